// The options dialog's form logic over in-memory controls: settings into the
// form and back, the handlers, the configuration run with its summary, and
// what happens to failures.
#include <gmock/gmock.h>

#include "DialogTestKit.h"
#include "IniFiles.h"
#include "Masks.h"

using ::testing::ElementsAre;
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
};

TEST_F(FormFixture, WriteToFormSetsEachSectionByItsType) {
  const TSectionCase cases[] = {{0, true, false, false},
                                {1, false, true, true},
                                {2, false, false, true},
                                {-7, false, false, true}};
  for (const TSectionCase &c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.Type));
    Cleaner.DeleteCache = true;
    Cleaner.DeleteCookies = false;
    Cleaner.DeleteHistory = true;
    Cleaner.DeleteCacheType = Cleaner.DeleteCookiesType = Cleaner.DeleteHistoryType = c.Type;
    Cleaner.CacheMask = "*example*";
    Cleaner.CookiesMask = "*news*";
    Cleaner.HistoryMask = "";
    TConfForm form(*this);
    Cleaner.WriteToForm(form);
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
    // A disabled edit box still shows its mask, and the lists use the stored
    // masks whatever the type.
    EXPECT_EQ(form.edtCacheMask.Text(), "*example*");
    EXPECT_EQ(form.edtCookiesMask.Text(), "*news*");
    EXPECT_THAT(RowsOf(form.lvCache),
                ElementsAre("http://www.example.com/index.htm|index[1].htm|2048",
                            "http://news.example.com/a.gif|a[1].gif|17"));
    EXPECT_THAT(RowsOf(form.lvCookies), ElementsAre("Cookie:user@news.example.com/||0"));
    EXPECT_THAT(RowsOf(form.lvHistory), IsEmpty()); // "Visited:" alone matches no entry
  }
}

TEST_F(FormFixture, WriteToFormFillsAListTwiceWhenItsMaskIsNotEmpty) {
  Cleaner.CacheMask = "*.*";
  Cleaner.CookiesMask = "";
  Cleaner.HistoryMask = "*";
  TConfForm form(*this);
  Cleaner.WriteToForm(form);
  // Setting a non-empty text fires the change handler, then the last step
  // fills again with the same pattern; each fill repaints once.
  EXPECT_EQ(form.lvCache.RepaintCount(), 2u);
  EXPECT_EQ(form.lvCookies.RepaintCount(), 1u);
  EXPECT_EQ(form.lvHistory.RepaintCount(), 2u);
  EXPECT_EQ(form.lvCache.RowCount(), 2u);
  EXPECT_EQ(form.lvCookies.RowCount(), 0u); // "Cookie:" needs the URL to be exactly that
  EXPECT_EQ(form.lvHistory.RowCount(), 1u);
  EXPECT_THAT(form.PendingFailures(), IsEmpty());
}

TEST_F(FormFixture, HandlersSwitchEditBoxesRefreshListsAndSetResults) {
  TConfForm form(*this);
  // As laid out: nothing checked, every edit box enabled.
  EXPECT_FALSE(form.rbDeleteCacheAll.Checked() || form.rbDeleteCacheMask.Checked());
  EXPECT_TRUE(form.edtCacheMask.Enabled());

  const uint64_t repaints = form.lvCookies.RepaintCount();
  form.rbDeleteCookiesAll.SetChecked(true);
  EXPECT_FALSE(form.edtCookiesMask.Enabled());
  form.rbDeleteCookiesMask.SetChecked(true);
  EXPECT_FALSE(form.rbDeleteCookiesAll.Checked()) << "the partner is unchecked";
  EXPECT_TRUE(form.edtCookiesMask.Enabled());
  EXPECT_EQ(form.lvCookies.RepaintCount(), repaints) << "radio handlers do not refresh";
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
  TConfForm form(*this);
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
  TConfForm other(httpOnly);
  EXPECT_NO_THROW(other.edtCookiesMask.TextEdited("["));

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
  EXPECT_EQ(summary, "http://[!x]*, Cookie:*.*, Visited:*.*");
}

TEST_F(FormFixture, StoredMalformedMaskStillOpensTheDialog) {
  const std::string stored = "[IE Norvane]\r\nDeleteCacheType=1\r\nCacheMask=[\r\n";
  WriteIni(stored);
  std::vector<std::string> seenWhileShown;
  std::vector<size_t> cacheRows, cookieRows;
  const auto cancelled = Configure({[&](TConfForm &f) {
    seenWhileShown = View.Failures; // already shown when the user can act
    cacheRows.push_back(f.lvCache.RowCount());
    cookieRows.push_back(f.lvCookies.RowCount());
    EXPECT_EQ(f.edtCacheMask.Text(), "[");
    f.BitBtn1.Click();
  }});
  EXPECT_EQ(View.ShowCount, 1);
  EXPECT_THAT(seenWhileShown, ElementsAre("'http://[' is an invalid mask at (9)"));
  EXPECT_THAT(cacheRows, ElementsAre(0u));
  EXPECT_THAT(cookieRows, ElementsAre(1u)); // the other sections are filled
  EXPECT_FALSE(cancelled.has_value());
  EXPECT_EQ(ReadIni(), stored) << "Cancel saves nothing";

  const auto summary = Configure({[](TConfForm &f) { f.edtCacheMask.TextEdited("*news*"); },
                                  [](TConfForm &f) { f.BitBtn2.Click(); }});
  EXPECT_EQ(summary, "http://*news*, Cookie:*.*, Visited:*.*");
  EXPECT_NE(ReadIni().find("CacheMask=*news*"), std::string::npos);
}

TEST_F(FormFixture, OkSavesAndSummarises) {
  struct TCase {
    std::string Ini;
    std::vector<TScriptedFormView::TAction> Script;
    std::string Summary;
  };
  auto ok = [](TConfForm &f) { f.BitBtn2.Click(); };
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
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    std::filesystem::remove(IniPath());
    if (!cases[i].Ini.empty()) WriteIni(cases[i].Ini);
    EXPECT_EQ(Configure(cases[i].Script), cases[i].Summary);
    EXPECT_NE(ReadIni().find("HistoryMask="), std::string::npos) << "the settings were saved";
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
  EXPECT_EQ(Cleaner.DeleteHistoryType, 2);
  EXPECT_EQ(Cleaner.DeleteCookiesType, 0);
  EXPECT_EQ(Cleaner.CookiesMask, "*a*");

  Configure({[](TConfForm &f) { f.rbDeleteHistoryMask.SetChecked(true); },
             [](TConfForm &f) { f.BitBtn2.Click(); }});
  Cleaner.LoadSettings(IniPath(), Section);
  EXPECT_EQ(Cleaner.DeleteHistoryType, 1) << "picking a choice replaces the 2";
}

TEST_F(FormFixture, CancelAndCloseSaveNothing) {
  auto cancel = [](TConfForm &f) { f.BitBtn1.Click(); };
  auto edit = [](TConfForm &f) {
    f.cbDeleteCache.SetChecked(false);
    f.edtCacheMask.TextEdited("x");
  };
  const std::vector<std::vector<TScriptedFormView::TAction>> scripts = {{edit, cancel}, {edit}};
  for (const auto &script : scripts) {
    std::filesystem::remove(IniPath());
    EXPECT_FALSE(Configure(script).has_value());
    EXPECT_FALSE(std::filesystem::exists(IniPath()));
    EXPECT_TRUE(Cleaner.DeleteCache) << "nothing read back";
    EXPECT_EQ(ConfForm, nullptr);
  }
}

TEST_F(FormFixture, RefusedSaveRaisesAfterTheDialogClosed) {
  const std::string missing = Folder.File("no-such-folder/norvane.ini");
  Cleaner.LoadSettings(missing, Section);
  TScriptedFormView::TAction ok = [](TConfForm &f) { f.BitBtn2.Click(); };
  try {
    RunConfiguration(Cleaner, missing, Section, [&](TConfForm &form) {
      return std::make_unique<TScriptedFormView>(form, std::vector{ok}, View);
    });
    FAIL() << "no exception";
  } catch (const EIniFileException &e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + missing);
  }
  EXPECT_THAT(View.Failures, IsEmpty()) << "not shown in a box";
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

TEST(FormLayout, ControlsFollowTheTablesAndTheTabOrder) {
  TStandInPlatform platform;
  TConfForm form(platform);
  const std::vector<TControl *> controls = form.Controls();
  // Each section's controls lie inside it, and the sections fill Panel1.
  for (TControl *control : controls) {
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
