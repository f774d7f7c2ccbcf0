// The options dialog's form logic over in-memory controls: settings into the
// form and back, the handlers, the configuration run with its summary, and
// what happens to failures.
#include <gmock/gmock.h>

#include "DialogTestKit.h"
#include "IniFiles.h"
#include "Masks.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

class FormFixture : public DialogFixture {
protected:
  FormFixture() {
    Cache.Add("http://www.example.com/index.htm", "C:\\Cache\\X1\\index[1].htm", 2048);
    Cache.Add("Cookie:user@news.example.com/", std::nullopt, 0);
    Cache.Add("Visited:user@http://news.example.com/", std::nullopt, 0);
    Cache.Add("http://news.example.com/a.gif", "C:\\Cache\\X2\\a[1].gif", 17);
  }
};

struct TSectionCase {
  int32_t Type;
  bool AllChecked, MaskChecked, EditEnabled;
  std::vector<std::string> CacheRows, CookieRows, HistoryRows;
};

TEST_F(FormFixture, WriteToFormSetsEachSectionByItsType) {
  const std::vector<std::string> httpRows = {"http://www.example.com/index.htm|index[1].htm|2048",
                                             "http://news.example.com/a.gif|a[1].gif|17"};
  const std::vector<std::string> cookieRows = {"Cookie:user@news.example.com/||0"};
  const std::vector<std::string> historyRows = {"Visited:user@http://news.example.com/||0"};
  // "All" lists every entry of the category, as its clean deletes them; the
  // mask, and a type that is neither, list the mask's selection.
  const TSectionCase cases[] = {{0, true, false, false, httpRows, cookieRows, historyRows},
                                {1, false, true, true, httpRows, cookieRows, {}},
                                {2, false, false, true, httpRows, cookieRows, {}},
                                {-7, false, false, true, httpRows, cookieRows, {}}};
  for (const TSectionCase &c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.Type));
    Cleaner.Settings.DeleteCache = true;
    Cleaner.Settings.DeleteCookies = false;
    Cleaner.Settings.DeleteHistory = true;
    Cleaner.Settings.DeleteCacheType = Cleaner.Settings.DeleteCookiesType =
        Cleaner.Settings.DeleteHistoryType = SweepTypeOf(c.Type);
    Cleaner.Settings.CacheMask = "*example*";
    Cleaner.Settings.CookiesMask = "*news*";
    Cleaner.Settings.HistoryMask = "";
    TFormWithReader rig(*this);
    TConfForm &form = rig.Form;
    Cleaner.WriteToForm(form);
    rig.Settle();
    EXPECT_TRUE(form.cbDeleteCache.Checked());
    EXPECT_FALSE(form.cbDeleteCookies.Checked());
    EXPECT_TRUE(form.cbDeleteHistory.Checked());
    const std::pair<TRadioButton *, TRadioButton *> radios[] = {
        {&form.rbDeleteCacheAll, &form.rbDeleteCacheMask},
        {&form.rbDeleteCookiesAll, &form.rbDeleteCookiesMask},
        {&form.rbDeleteHistoryAll, &form.rbDeleteHistoryMask}};
    for (auto [all, byMask] : radios) {
      EXPECT_EQ(all->Checked(), c.AllChecked) << all->Name;
      EXPECT_EQ(byMask->Checked(), c.MaskChecked) << byMask->Name;
    }
    for (TEdit *edit : {&form.edtCacheMask, &form.edtCookiesMask, &form.edtHistoryMask})
      EXPECT_EQ(edit->Enabled(), c.EditEnabled) << edit->Name;
    // A disabled edit box still shows its mask.
    EXPECT_EQ(form.edtCacheMask.Text(), "*example*");
    EXPECT_EQ(form.edtCookiesMask.Text(), "*news*");
    EXPECT_EQ(RowsOf(form.lvCache), c.CacheRows);
    EXPECT_EQ(RowsOf(form.lvCookies), c.CookieRows);
    EXPECT_EQ(RowsOf(form.lvHistory), c.HistoryRows); // "Visited:" alone matches no entry
  }
}

TEST_F(FormFixture, EverySettingGoesIntoTheFormAndBack) {
  // Each field off a new cleaner's value, so that one the form leaves out
  // stays behind.
  CleanerSettings shown;
  shown.DeleteCache = shown.DeleteCookies = shown.DeleteHistory = shown.DeleteCacheHttps = true;
  shown.WipeTraces = true;
  shown.DeleteCacheType = shown.DeleteCookiesType = shown.DeleteHistoryType = TSweepType::ByMask;
  shown.CacheMask = "*a*", shown.CookiesMask = "c*", shown.HistoryMask = "h*";
  shown.KeepSites = "a.com";
  Cleaner.Settings = shown;
  TConfForm form(*this);
  Cleaner.WriteToForm(form);
  TIENorvane back(*this);
  back.ReadFromForm(form);
  EXPECT_TRUE(back.Settings == shown);
  EXPECT_THAT(form.PendingFailures(), IsEmpty());
}

TEST_F(FormFixture, ListsShowTheReadingRowUntilTheirEntriesArrive) {
  TConfForm form(*this); // no reader: nothing arrives by itself
  Cleaner.WriteToForm(form);
  const std::string reading = std::string(kReadingRow) + "||";
  for (TListView *list : {&form.lvCache, &form.lvCookies, &form.lvHistory})
    EXPECT_THAT(RowsOf(*list), ElementsAre(reading)) << list->Name;
  form.edtCookiesMask.TextEdited("[");
  EXPECT_THAT(RowsOf(form.lvCookies), ElementsAre(reading)) << "nothing to match yet";

  auto cookies = std::make_shared<TCacheSnapshot>();
  ASSERT_TRUE(cookies->Read(Cache, TCategory::Cookies));
  form.edtCookiesMask.TextEdited("*news*");
  form.CategoryRead(TCategory::Cookies, cookies);
  EXPECT_THAT(RowsOf(form.lvCookies), ElementsAre("Cookie:user@news.example.com/||0"));
  EXPECT_THAT(RowsOf(form.lvCache), ElementsAre(reading)) << "the other lists wait for theirs";
  EXPECT_THAT(form.PendingFailures(), IsEmpty());
}

TEST_F(FormFixture, HandlersSwitchEditBoxesRefreshListsAndSetResults) {
  TFormWithReader rig(*this);
  TConfForm &form = rig.Form;
  rig.Settle();
  // As laid out: nothing checked, every edit box enabled.
  EXPECT_FALSE(form.rbDeleteCacheAll.Checked() || form.rbDeleteCacheMask.Checked());
  EXPECT_TRUE(form.edtCacheMask.Enabled());

  form.edtCookiesMask.TextEdited("*shop*");
  EXPECT_THAT(RowsOf(form.lvCookies), IsEmpty());
  form.rbDeleteCookiesAll.SetChecked(true);
  EXPECT_FALSE(form.edtCookiesMask.Enabled());
  EXPECT_THAT(RowsOf(form.lvCookies), ElementsAre("Cookie:user@news.example.com/||0"))
      << "'all' lists every cookie";
  form.rbDeleteCookiesMask.SetChecked(true);
  EXPECT_FALSE(form.rbDeleteCookiesAll.Checked()) << "the partner is unchecked";
  EXPECT_TRUE(form.edtCookiesMask.Enabled());
  EXPECT_THAT(RowsOf(form.lvCookies), IsEmpty()) << "the mask again";
  EXPECT_FALSE(form.edtCacheMask.Enabled() == false) << "groups are independent";

  form.rbDeleteHistoryAll.SetChecked(true);
  form.cbDeleteHistory.SetChecked(false);
  EXPECT_FALSE(form.edtHistoryMask.Enabled()) << "the check box carries no event";
  form.rbDeleteHistoryMask.SetChecked(true);
  EXPECT_TRUE(form.edtHistoryMask.Enabled());

  // Each edit refreshes with the current text, untrimmed.
  form.edtCacheMask.TextEdited("*news");
  EXPECT_EQ(form.lvCache.RowCount(), 0u);
  form.edtCacheMask.TextEdited("*news*");
  EXPECT_THAT(RowsOf(form.lvCache), ElementsAre("http://news.example.com/a.gif|a[1].gif|17"));
  form.edtCacheMask.TextEdited("*NEWS* ");
  EXPECT_EQ(form.lvCache.RowCount(), 0u);
  form.edtCacheMask.TextEdited("*NEWS*");
  EXPECT_EQ(form.lvCache.RowCount(), 1u) << "case of ASCII letters is ignored";

  form.BitBtn1.Click();
  EXPECT_EQ(form.ModalResult, mrCancel);
  form.BitBtn2.Click();
  EXPECT_EQ(form.ModalResult, mrOk);
}

TEST_F(FormFixture, TypedMalformedMaskEmptiesTheListAndReachesTheLoop) {
  TFormWithReader rig(*this);
  TConfForm &form = rig.Form;
  rig.Settle();
  form.edtCacheMask.SetText("*.*");
  ASSERT_EQ(form.lvCache.RowCount(), 2u);
  const uint64_t repaints = form.lvCache.RepaintCount();
  try {
    form.edtCacheMask.TextEdited("[");
    FAIL() << "no exception";
  } catch (const EMaskException &e) {
    EXPECT_STREQ(e.what(), "'http://[' is an invalid mask at (9)");
  }
  EXPECT_EQ(form.lvCache.RowCount(), 0u);
  EXPECT_EQ(form.lvCache.UpdateCount(), 0) << "the bracket closes on the failure";
  EXPECT_EQ(form.lvCache.RepaintCount(), repaints + 1);

  // A malformed mask that no entry of its category reaches raises nothing.
  TStandInPlatform httpOnly;
  httpOnly.Cache.Add("http://a.b/", std::nullopt, 1);
  TFormWithReader other(httpOnly);
  other.Settle();
  EXPECT_NO_THROW(other.Form.edtCookiesMask.TextEdited("["));

  form.edtCacheMask.TextEdited("*www*");
  EXPECT_EQ(form.lvCache.RowCount(), 1u) << "a later fill works";
}

TEST_F(FormFixture, LoopShowsHandlerFailuresAndKeepsTheDialogOpen) {
  WriteIni("[IE Norvane]\r\nDeleteCacheType=1\r\n");
  std::vector<size_t> rowsSeen;
  auto note = [&](TConfForm &form) { rowsSeen.push_back(form.lvCache.RowCount()); };
  const auto summary = Configure({[](TConfForm &f) { f.edtCacheMask.TextEdited("["); }, note,
                                  [](TConfForm &f) { f.edtCacheMask.TextEdited("[!"); }, note,
                                  [](TConfForm &f) { f.edtCacheMask.TextEdited("[!x]*"); }, note,
                                  [](TConfForm &f) { f.BitBtn2.Click(); }});
  EXPECT_THAT(View.Failures, ElementsAre("'http://[' is an invalid mask at (9)",
                                         "'http://[!' is an invalid mask at (10)"));
  EXPECT_THAT(rowsSeen, ElementsAre(0u, 0u, 2u));
  EXPECT_THAT(View.Focused, ElementsAre("edtCacheMask", "edtCacheMask"))
      << "after each box the focus is back in the malformed mask's box";
  EXPECT_EQ(summary, "http://[!x]*, Cookie:*.*, Visited:*.*");
}

TEST_F(FormFixture, StoredMalformedMasksAreNamedOnceInOneBox) {
  // Cache and history malformed and listed by their masks (type 2 lists the
  // mask too); the cookies' mask is malformed as well, but "all" lists every
  // cookie without it.
  const std::string stored = "[IE Norvane]\r\nDeleteCacheType=1\r\nCacheMask=[\r\n"
                             "DeleteCookiesType=0\r\nCookiesMask=[\r\n"
                             "DeleteHistoryType=2\r\nHistoryMask=*[a-\r\n";
  WriteIni(stored);
  std::vector<std::string> seenWhileShown;
  std::vector<size_t> cacheRows, cookieRows, historyRows;
  const auto cancelled = Configure({[&](TConfForm &f) {
    seenWhileShown = View.Failures; // already shown when the user can act
    cacheRows.push_back(f.lvCache.RowCount());
    cookieRows.push_back(f.lvCookies.RowCount());
    historyRows.push_back(f.lvHistory.RowCount());
    EXPECT_EQ(f.edtCacheMask.Text(), "[");
    f.BitBtn1.Click();
  }});
  EXPECT_EQ(View.ShowCount, 1);
  EXPECT_THAT(seenWhileShown, ElementsAre("'http://[' is an invalid mask at (9)\n"
                                          "'Visited:*[a-' is an invalid mask at (13)"));
  EXPECT_THAT(View.Focused, ElementsAre("edtCacheMask")) << "the first malformed mask's box";
  EXPECT_THAT(cacheRows, ElementsAre(0u));
  EXPECT_THAT(cookieRows, ElementsAre(1u));
  EXPECT_THAT(historyRows, ElementsAre(0u));
  EXPECT_FALSE(cancelled.has_value());
  EXPECT_EQ(ReadIni(), stored) << "Cancel saves nothing";

  View = {};
  const auto summary = Configure({[](TConfForm &f) { f.edtCacheMask.TextEdited("*news*"); },
                                  [](TConfForm &f) { f.edtHistoryMask.TextEdited("*"); },
                                  [](TConfForm &f) { f.BitBtn2.Click(); }});
  EXPECT_EQ(View.Failures.size(), 1u) << "one box for both";
  EXPECT_EQ(summary, "http://*news*, Cookie:[, Visited:*");
  EXPECT_NE(ReadIni().find("CacheMask=*news*"), std::string::npos);
}

TEST_F(FormFixture, OkSavesAndSummarises) {
  struct TCase {
    std::string Ini;
    std::vector<TScriptedFormView::TAction> Script;
    std::string Summary;
    std::string Wipe = ""; // the WipeTraces line saved; empty: none, as before it existed
  };
  auto ok = [](TConfForm &f) { f.BitBtn2.Click(); };
  auto toggleWipe = [](TConfForm &f) { f.cbWipeTraces.SetChecked(!f.cbWipeTraces.Checked()); };
  const TCase cases[] = {
      {"", {ok}, "http://*.*, Cookie:*.*, Visited:*.*"},
      {"[IE Norvane]\r\nDeleteCache=0\r\nDeleteHistory=0\r\nCookiesMask=*news*\r\n",
       {ok},
       "Cookie:*news*"},
      {"",
       {[](TConfForm &f) {
          f.cbDeleteCache.SetChecked(false);
          f.cbDeleteCookies.SetChecked(false);
          f.cbDeleteHistory.SetChecked(false);
        },
        ok},
       ""},
      {"[IE Norvane]\r\nDeleteCookies=0\r\n",
       {[](TConfForm &f) { f.edtHistoryMask.TextEdited(" x "); }, ok},
       "http://*.*, Visited: x "},
      {"", {toggleWipe, ok}, "http://*.*, Cookie:*.*, Visited:*.*", "WipeTraces=1"},
      {"[IE Norvane]\r\nWipeTraces=1\r\n",
       {[](TConfForm &f) { EXPECT_TRUE(f.cbWipeTraces.Checked()); }, toggleWipe, ok},
       "http://*.*, Cookie:*.*, Visited:*.*",
       "WipeTraces=0"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    std::filesystem::remove(IniPath());
    if (!cases[i].Ini.empty()) WriteIni(cases[i].Ini);
    EXPECT_EQ(Configure(cases[i].Script), cases[i].Summary);
    const std::string saved = ReadIni();
    EXPECT_NE(saved.find("HistoryMask="), std::string::npos) << "the settings were saved";
    const size_t wipe = saved.find("WipeTraces=");
    EXPECT_EQ(wipe == std::string::npos ? "" : saved.substr(wipe, saved.find('\r', wipe) - wipe),
              cases[i].Wipe);
    EXPECT_EQ(ConfForm, nullptr);
  }
}

TEST_F(FormFixture, OkKeepsAnUntouchedTypeTwoAndSavesDisabledMasks) {
  WriteIni("[IE Norvane]\r\nDeleteHistoryType=2\r\nDeleteCookiesType=0\r\nCookiesMask=*a*\r\n");
  Configure({[](TConfForm &f) {
               EXPECT_FALSE(f.rbDeleteHistoryAll.Checked() || f.rbDeleteHistoryMask.Checked());
               EXPECT_TRUE(f.edtHistoryMask.Enabled());
               EXPECT_FALSE(f.edtCookiesMask.Enabled());
             },
             [](TConfForm &f) { f.BitBtn2.Click(); }});
  Cleaner.LoadSettings(IniPath(), Section);
  EXPECT_EQ(TypeCode(Cleaner.Settings.DeleteHistoryType), 2);
  EXPECT_EQ(TypeCode(Cleaner.Settings.DeleteCookiesType), 0);
  EXPECT_EQ(Cleaner.Settings.CookiesMask, "*a*");

  Configure({[](TConfForm &f) { f.rbDeleteHistoryMask.SetChecked(true); },
             [](TConfForm &f) { f.BitBtn2.Click(); }});
  Cleaner.LoadSettings(IniPath(), Section);
  EXPECT_EQ(TypeCode(Cleaner.Settings.DeleteHistoryType), 1) << "picking a choice replaces the 2";
}

TEST_F(FormFixture, CancelAndCloseSaveNothing) {
  auto cancel = [](TConfForm &f) { f.BitBtn1.Click(); };
  auto edit = [](TConfForm &f) {
    f.cbDeleteCache.SetChecked(false);
    f.edtCacheMask.TextEdited("x");
    f.cbWipeTraces.SetChecked(true);
  };
  const std::vector<std::vector<TScriptedFormView::TAction>> scripts = {{edit, cancel}, {edit}};
  for (const auto &script : scripts) {
    std::filesystem::remove(IniPath());
    EXPECT_FALSE(Configure(script).has_value());
    EXPECT_FALSE(std::filesystem::exists(IniPath()));
    EXPECT_TRUE(Cleaner.Settings.DeleteCache) << "nothing read back";
    EXPECT_FALSE(Cleaner.Settings.WipeTraces);
    EXPECT_EQ(ConfForm, nullptr);
  }
}

TEST_F(FormFixture, RefusedSaveIsShownAndKeepsTheDialogOpen) {
  const std::string folder = Folder.File("later");
  const std::string ini = folder + "/norvane.ini";
  Cleaner.LoadSettings(ini, Section);
  bool stillOpen = false;
  auto run = [&](std::vector<TScriptedFormView::TAction> script) {
    return RunConfiguration(
        Cleaner, ini, Section,
        [&](TConfForm &form) {
          return std::make_unique<TScriptedFormView>(form, std::move(script), View);
        },
        std::chrono::milliseconds(0));
  };
  auto edit = [](TConfForm &f) {
    f.cbDeleteHistory.SetChecked(false);
    f.edtCacheMask.TextEdited("*news*");
  };
  auto ok = [](TConfForm &f) { f.BitBtn2.Click(); };
  auto keptEdits = [&](TConfForm &f) {
    stillOpen = f.ModalResult == mrNone;
    EXPECT_FALSE(f.cbDeleteHistory.Checked());
    EXPECT_EQ(f.edtCacheMask.Text(), "*news*");
  };
  auto fixCause = [&](TConfForm &) { std::filesystem::create_directory(folder); };

  // Refused, then the cause is fixed and OK pressed again: saved.
  const auto summary = run({edit, ok, keptEdits, fixCause, ok});
  EXPECT_THAT(View.Failures, ElementsAre("Unable to write to " + ini));
  EXPECT_TRUE(stillOpen) << "the refused save leaves the dialog open";
  EXPECT_THAT(View.Focused, IsEmpty()) << "not a mask's failure";
  EXPECT_EQ(summary, "http://*news*, Cookie:*.*");
  Cleaner.LoadSettings(ini, Section);
  EXPECT_FALSE(Cleaner.Settings.DeleteHistory);
  EXPECT_EQ(Cleaner.Settings.CacheMask, "*news*");

  // Refused, then cancelled: nothing saved, the call ends as a cancel.
  std::filesystem::remove_all(folder);
  View = {};
  Cleaner.LoadSettings(ini, Section);
  const auto cancelled = run({edit, ok, [](TConfForm &f) { f.BitBtn1.Click(); }});
  EXPECT_EQ(View.Failures.size(), 1u);
  EXPECT_FALSE(cancelled.has_value());
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_EQ(ConfForm, nullptr);
}

TEST_F(FormFixture, ConfFormHoldsTheDialogWhileItRuns) {
  TConfForm *during = nullptr;
  Configure({[&](TConfForm &f) {
    during = ConfForm;
    EXPECT_EQ(&f, ConfForm);
  }});
  EXPECT_NE(during, nullptr);
  EXPECT_EQ(ConfForm, nullptr);
}

// Each section as laid out: its controls' names, captions, places and tab
// orders, whichever category's description they were made from.
TEST(FormLayout, SectionsHaveTheirOwnNamesCaptionsAndPlaces) {
  struct TExpectedSection {
    TCategory Category;
    std::string Panel, Switch, All, ByMask, Edit, List, Prefix, Kept;
    int Top, TabOrder, SwitchWidth;
    int ChoicesTab; // the https box comes before the choices in the cache's section
    std::string SwitchCaption, AllCaption, PrefixCaption;
  };
  const TExpectedSection expected[] = {
      {TCategory::Cache, "Panel5", "cbDeleteCache", "rbDeleteCacheAll", "rbDeleteCacheMask",
       "edtCacheMask", "lvCache", "Label1", "lblCacheKept", 2, 2, 161, 2, "Delete http-cache files",
       "Delete all files", "http://"},
      {TCategory::Cookies, "Panel4", "cbDeleteCookies", "rbDeleteCookiesAll", "rbDeleteCookiesMask",
       "edtCookiesMask", "lvCookies", "Label2", "lblCookiesKept", 155, 1, 161, 1, "Delete cookies",
       "Delete all cookies", "Cookie:"},
      {TCategory::History, "Panel3", "cbDeleteHistory", "rbDeleteHistoryAll", "rbDeleteHistoryMask",
       "edtHistoryMask", "lvHistory", "Label3", "lblHistoryKept", 308, 0, 295, 1,
       "Delete visited links and history from IE gournal", "Delete all links", "Visited:"}};
  TStandInPlatform platform;
  TConfForm form(platform);
  auto place = [](const TControl &c) {
    return std::vector<int>{c.Bounds.Left, c.Bounds.Top, c.Bounds.Width, c.Bounds.Height,
                            c.TabOrder};
  };
  for (const TExpectedSection &e : expected) {
    const TSection &s = form.Section(e.Category);
    SCOPED_TRACE(e.Panel);
    EXPECT_EQ(s.Category, e.Category);
    EXPECT_EQ(s.Panel.Name, e.Panel);
    EXPECT_EQ(s.Panel.Parent, &form.Panel1);
    EXPECT_EQ(place(s.Panel), (std::vector<int>{2, e.Top, 542, 153, e.TabOrder}));
    EXPECT_EQ(s.Panel.BevelOuter, TBevel::Raised);
    EXPECT_EQ(s.Panel.BevelInner, TBevel::None);
    const std::pair<const TControl *, std::string> names[] = {
        {&s.Switch, e.Switch}, {&s.All, e.All},       {&s.ByMask, e.ByMask}, {&s.MaskEdit, e.Edit},
        {&s.List, e.List},     {&s.Prefix, e.Prefix}, {&s.Kept, e.Kept}};
    for (const auto &[control, name] : names) {
      EXPECT_EQ(control->Name, name);
      EXPECT_EQ(control->Parent, &s.Panel) << name;
    }
    EXPECT_EQ(place(s.Switch), (std::vector<int>{10, 10, e.SwitchWidth, 17, 0}));
    const int t = e.ChoicesTab;
    EXPECT_EQ(place(s.All), (std::vector<int>{25, 32, 113, 17, t}));
    EXPECT_EQ(place(s.ByMask), (std::vector<int>{152, 32, 121, 17, t + 1}));
    EXPECT_EQ(place(s.Prefix), (std::vector<int>{280, 33, 0, 13, -1}));
    EXPECT_EQ(place(s.MaskEdit), (std::vector<int>{320, 29, 213, 21, t + 2}));
    EXPECT_EQ(place(s.List), (std::vector<int>{8, 56, 525, 89, t + 3}));
    EXPECT_EQ(place(s.Kept), (std::vector<int>{440, 12, 93, 13, -1}));
    EXPECT_EQ(s.Kept.Caption(), "");
    EXPECT_EQ(s.Switch.Caption, e.SwitchCaption);
    EXPECT_TRUE(s.Switch.Font.Bold);
    EXPECT_EQ(s.All.Caption, e.AllCaption);
    EXPECT_EQ(s.ByMask.Caption, "Delete on URL-mask:");
    EXPECT_EQ(s.Prefix.Caption(), e.PrefixCaption);
    ASSERT_EQ(s.List.Columns.size(), 3u);
    EXPECT_EQ(s.List.Columns[0].Caption, "URL name");
    EXPECT_EQ(s.List.Columns[2].Width, 50);
  }
  EXPECT_EQ(form.cbDeleteCacheHttps.Parent, &form.Panel5);
  EXPECT_EQ(place(form.cbDeleteCacheHttps), (std::vector<int>{200, 10, 130, 17, 1}));
  EXPECT_EQ(form.cbDeleteCacheHttps.Caption, "Also https:// pages");
  EXPECT_EQ(form.btnKeepSites.Parent, &form.Panel2);
  EXPECT_EQ(place(form.btnKeepSites), (std::vector<int>{8, 8, 100, 25, 2}));
  EXPECT_EQ(form.btnKeepSites.Caption, "Sites to keep...");
  EXPECT_EQ(form.cbWipeTraces.Parent, &form.Panel2);
  EXPECT_EQ(place(form.cbWipeTraces), (std::vector<int>{362, 12, 182, 17, 3}));
  EXPECT_EQ(form.cbWipeTraces.Caption, "Wipe the traces of deleted entries");
  std::vector<std::string> declared;
  for (const TControl *control : form.Controls())
    declared.push_back(control->Name);
  EXPECT_THAT(declared, ElementsAreArray({"Panel11",
                                          "Label4",
                                          "Panel1",
                                          "Panel2",
                                          "BitBtn1",
                                          "BitBtn2",
                                          "btnKeepSites",
                                          "cbWipeTraces",
                                          "Panel3",
                                          "cbDeleteHistory",
                                          "rbDeleteHistoryAll",
                                          "rbDeleteHistoryMask",
                                          "edtHistoryMask",
                                          "lvHistory",
                                          "Panel4",
                                          "cbDeleteCookies",
                                          "rbDeleteCookiesAll",
                                          "rbDeleteCookiesMask",
                                          "edtCookiesMask",
                                          "lvCookies",
                                          "Panel5",
                                          "cbDeleteCache",
                                          "cbDeleteCacheHttps",
                                          "rbDeleteCacheAll",
                                          "rbDeleteCacheMask",
                                          "edtCacheMask",
                                          "lvCache",
                                          "Label1",
                                          "lblCacheKept",
                                          "Label2",
                                          "lblCookiesKept",
                                          "Label3",
                                          "lblHistoryKept"}));
}

// Every section's choices and mask box reach its own edit box and list, and
// only those; the named handlers do what the bound ones do.
TEST_F(FormFixture, EachSectionsHandlersTouchOnlyThatSection) {
  TFormWithReader rig(*this);
  TConfForm &form = rig.Form;
  rig.Settle();
  const TCategory categories[] = {TCategory::Cache, TCategory::Cookies, TCategory::History};
  auto repaints = [&] {
    std::vector<uint64_t> counts;
    for (TCategory c : categories)
      counts.push_back(form.Section(c).List.RepaintCount());
    return counts;
  };
  auto enabled = [&] {
    std::vector<bool> states;
    for (TCategory c : categories)
      states.push_back(form.Section(c).MaskEdit.Enabled());
    return states;
  };
  for (size_t i = 0; i < std::size(categories); ++i) {
    TSection &section = form.Section(categories[i]);
    SCOPED_TRACE(section.Panel.Name);
    std::vector<uint64_t> before = repaints();
    std::vector<bool> states = enabled();
    section.All.SetChecked(true);
    states[i] = false;
    ++before[i];
    EXPECT_EQ(enabled(), states);
    EXPECT_EQ(repaints(), before);
    section.ByMask.SetChecked(true);
    states[i] = true;
    ++before[i];
    EXPECT_EQ(enabled(), states);
    EXPECT_EQ(repaints(), before);
    section.MaskEdit.TextEdited("*");
    ++before[i];
    EXPECT_EQ(repaints(), before);
    EXPECT_FALSE(section.All.Checked()) << "the partner of the checked choice";
  }
  form.rbDeleteCookiesAllClick();
  EXPECT_FALSE(form.edtCookiesMask.Enabled());
  form.rbDeleteHistoryMaskClick();
  EXPECT_TRUE(form.edtHistoryMask.Enabled());
  const uint64_t cacheRepaints = form.lvCache.RepaintCount();
  form.edtCacheMaskChange();
  EXPECT_EQ(form.lvCache.RepaintCount(), cacheRepaints + 1);
}

TEST(FormLayout, ControlsFollowTheTablesAndTheTabOrder) {
  TStandInPlatform platform;
  TConfForm form(platform);
  const std::vector<TControl *> controls = form.Controls();
  // Each section's controls lie inside it, no two of one parent overlap (the
  // wipe box beside Cancel), and the sections fill Panel1.
  auto overlap = [](const TBounds &a, const TBounds &b) {
    return a.Left < b.Left + b.Width && b.Left < a.Left + a.Width && a.Top < b.Top + b.Height &&
           b.Top < a.Top + a.Height;
  };
  for (TControl *control : controls) {
    for (TControl *other : controls) {
      if (other == control || other->Parent != control->Parent) continue;
      EXPECT_FALSE(overlap(control->Bounds, other->Bounds)) << control->Name << other->Name;
    }
    if (!control->Parent) continue;
    const TBounds &inner = control->Bounds;
    const TBounds &outer = control->Parent->Bounds;
    EXPECT_LE(inner.Left + inner.Width, outer.Width) << control->Name;
    EXPECT_LE(inner.Top + inner.Height, outer.Height) << control->Name;
  }
  EXPECT_EQ(form.Panel3.Bounds.Top + form.Panel3.Bounds.Height + 2, form.Panel1.Bounds.Height);
  EXPECT_EQ(form.Panel2.Bounds.Top + form.Panel2.Bounds.Height, form.ClientHeight);
}

} // namespace
