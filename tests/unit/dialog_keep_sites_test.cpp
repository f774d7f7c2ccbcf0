// The options dialog's https box and sites to keep over in-memory controls:
// what the lists show and count, the editor of the sites to keep, and when
// its result reaches the INI file.
#include <gmock/gmock.h>

#include "DialogTestKit.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

using TEditorAction = TScriptedEditorView::TAction;

class KeepSitesFixture : public DialogFixture {
protected:
  KeepSitesFixture() {
    Cache.Add("http://www.example.com/index.htm", "C:\\Cache\\X1\\index[1].htm", 2048);
    Cache.Add("https://www.example.com/login.htm", "C:\\Cache\\X1\\login[1].htm", 300);
    Cache.Add("http://news.example.com/a.gif", "C:\\Cache\\X2\\a[1].gif", 17);
    Cache.Add("https://shop.example.net/cart", "C:\\Cache\\X2\\cart[1]", 40);
    Cache.Add("Cookie:user@www.example.com/", std::nullopt, 0);
    Cache.Add("Cookie:user@shop.example.net/", std::nullopt, 0);
    Cache.Add("Cookie:user@WWW.Example.com/b", std::nullopt, 0);
    Cache.Add("Cookie:user@news.example.com/", std::nullopt, 0);
    Cache.Add("Visited:user@http://news.example.com/", std::nullopt, 0);
    Cleaner.Settings.DeleteCache = Cleaner.Settings.DeleteCookies = Cleaner.Settings.DeleteHistory =
        true;
  }

  // The URLs a list shows.
  static std::vector<std::string> Urls(const TListView &list) {
    std::vector<std::string> urls;
    for (size_t i = 0; i < list.RowCount(); ++i)
      urls.push_back(list.Cell(i, 0));
    return urls;
  }

  static std::vector<std::string> KeptCounts(const TConfForm &form) {
    return {form.lblCacheKept.Caption(), form.lblCookiesKept.Caption(),
            form.lblHistoryKept.Caption()};
  }

  // Opens the editor over `form` (which has a scripted view) playing `script`.
  void Edit(TConfForm &form, std::vector<TEditorAction> script) {
    View.EditorScripts.push_back(std::move(script));
    form.HandleEvent([&] { form.btnKeepSites.Click(); });
  }
};

const std::string kWwwIndex = "http://www.example.com/index.htm";
const std::string kWwwLogin = "https://www.example.com/login.htm";
const std::string kNewsGif = "http://news.example.com/a.gif";
const std::string kShopCart = "https://shop.example.net/cart";

TEST_F(KeepSitesFixture, HttpsBoxListsTheHttpsPagesAfterTheHttpOnes) {
  struct TCase {
    bool Https;
    std::string Mask; // by mask when not empty
    std::vector<std::string> Rows, Toggled;
  };
  const std::vector<std::string> none;
  const TCase cases[] = {
      {false, "", {kWwwIndex, kNewsGif}, {kWwwIndex, kNewsGif, kWwwLogin, kShopCart}},
      {true, "", {kWwwIndex, kNewsGif, kWwwLogin, kShopCart}, {kWwwIndex, kNewsGif}},
      {true, "*www*", {kWwwIndex, kWwwLogin}, {kWwwIndex}},
      {false, "*shop*", none, {kShopCart}},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(std::to_string(c.Https) + " " + c.Mask);
    Cleaner.Settings.DeleteCacheHttps = c.Https;
    Cleaner.Settings.DeleteCacheType = c.Mask.empty() ? TSweepType::All : TSweepType::ByMask;
    Cleaner.Settings.CacheMask = c.Mask;
    TFormWithReader rig(*this);
    Cleaner.WriteToForm(rig.Form);
    rig.Settle();
    EXPECT_EQ(rig.Form.cbDeleteCacheHttps.Checked(), c.Https);
    EXPECT_EQ(Urls(rig.Form.lvCache), c.Rows);
    // Toggling refreshes the list at once: the https rows come or go.
    rig.Form.cbDeleteCacheHttps.SetChecked(!c.Https);
    EXPECT_EQ(Urls(rig.Form.lvCache), c.Toggled);
    Cleaner.ReadFromForm(rig.Form);
    EXPECT_EQ(Cleaner.Settings.DeleteCacheHttps, !c.Https);
  }
}

TEST_F(KeepSitesFixture, KeepListRefreshesListsAndKeptCounts) {
  struct TCase {
    std::string Keep;
    std::vector<std::string> Cache, Cookies, History, Kept;
  };
  const TCase cases[] = {
      {"",
       {kWwwIndex, kNewsGif, kWwwLogin, kShopCart},
       {"Cookie:user@www.example.com/", "Cookie:user@shop.example.net/",
        "Cookie:user@WWW.Example.com/b", "Cookie:user@news.example.com/"},
       {"Visited:user@http://news.example.com/"},
       {"", "", ""}},
      {"www.example.com",
       {kNewsGif, kShopCart},
       {"Cookie:user@shop.example.net/", "Cookie:user@news.example.com/"},
       {"Visited:user@http://news.example.com/"},
       {"2 kept", "2 kept", ""}},
      {"example.com;shop.example.net", {}, {}, {}, {"4 kept", "4 kept", "1 kept"}},
      {" *.NEWS.example.com ; ",
       {kWwwIndex, kWwwLogin, kShopCart},
       {"Cookie:user@www.example.com/", "Cookie:user@shop.example.net/",
        "Cookie:user@WWW.Example.com/b"},
       {},
       {"1 kept", "1 kept", "1 kept"}},
      {"badexample.com", // a name keeps its own host and those ending in "." and it
       {kWwwIndex, kNewsGif, kWwwLogin, kShopCart},
       {"Cookie:user@www.example.com/", "Cookie:user@shop.example.net/",
        "Cookie:user@WWW.Example.com/b", "Cookie:user@news.example.com/"},
       {"Visited:user@http://news.example.com/"},
       {"", "", ""}},
  };
  Cleaner.Settings.DeleteCacheHttps = true;
  TFormWithReader rig(*this);
  TConfForm &form = rig.Form;
  Cleaner.WriteToForm(form);
  rig.Settle();
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Keep);
    form.SetKeepSites(c.Keep);
    EXPECT_EQ(Urls(form.lvCache), c.Cache);
    EXPECT_EQ(Urls(form.lvCookies), c.Cookies);
    EXPECT_EQ(Urls(form.lvHistory), c.History);
    EXPECT_EQ(KeptCounts(form), c.Kept);
    EXPECT_EQ(form.KeepSites(), c.Keep);
  }
  // A mask narrows what is counted as held back: only what it selects.
  form.SetKeepSites("www.example.com");
  form.rbDeleteCacheMask.SetChecked(true);
  form.edtCacheMask.TextEdited("*index*");
  EXPECT_THAT(Urls(form.lvCache), IsEmpty());
  EXPECT_EQ(form.lblCacheKept.Caption(), "1 kept");
}

TEST_F(KeepSitesFixture, MalformedStoredKeepListIsNamedWithTheMasksAndListsNothing) {
  WriteIni("[IE Norvane]\r\nKeepSites=news.example.com;bad/site\r\n"
           "DeleteCookiesType=1\r\nCookiesMask=[\r\n");
  std::vector<std::vector<std::string>> seen;
  Configure({[&](TConfForm &f) {
               seen = {Urls(f.lvCache), Urls(f.lvCookies), Urls(f.lvHistory), KeptCounts(f)};
             },
             [](TConfForm &f) { f.BitBtn2.Click(); }});
  ASSERT_EQ(View.Failures.size(), 1u) << "one box for every malformed stored setting";
  EXPECT_THAT(View.Failures[0], HasSubstr("'Cookie:[' is an invalid mask"));
  EXPECT_THAT(View.Failures[0], HasSubstr("'bad/site' is not a site name (item 2)"));
  // A clean with this list deletes nothing: no list promises a delete.
  const std::vector<std::string> none;
  EXPECT_THAT(seen, ElementsAre(none, none, none, std::vector<std::string>{"", "", ""}));
  EXPECT_THAT(ReadIni(), HasSubstr("KeepSites=news.example.com;bad/site\r\n"))
      << "OK saves the stored list back as it was";
}

TEST_F(KeepSitesFixture, EditorListsTheCookieSitesSortedWithTheirCounts) {
  struct TCase {
    std::string Keep;
    std::vector<std::string> Offered, Kept;
  };
  const TCase cases[] = {
      {"", {"news.example.com|1", "shop.example.net|1", "www.example.com|2"}, {}},
      {"news.example.com", {"shop.example.net|1", "www.example.com|2"}, {"news.example.com|"}},
      {"*.Example.COM;x.org", {"shop.example.net|1"}, {"*.Example.COM|", "x.org|"}},
      // A malformed stored list: the editor starts from its well-formed items.
      {"x.org;bad/site;;shop.example.net",
       {"news.example.com|1", "www.example.com|2"},
       {"x.org|", "shop.example.net|"}},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Keep);
    TFormWithReader rig(*this);
    TScriptedFormView view(rig.Form, {}, View);
    rig.Form.HandleEvent([&] { rig.Form.SetKeepSites(c.Keep); });
    rig.Settle();
    Edit(rig.Form, {});
    EXPECT_EQ(View.Editor.CookieSites, c.Offered);
    EXPECT_EQ(View.Editor.KeptSites, c.Kept);
  }
}

TEST_F(KeepSitesFixture, EditorMovesAddsAndRemovesSites) {
  TFormWithReader rig(*this);
  TScriptedFormView view(rig.Form, {}, View);
  TConfForm &form = rig.Form;
  Cleaner.WriteToForm(form);
  rig.Settle();
  auto select = [](TListView TKeepSitesForm::*list, size_t row) {
    return [=](TKeepSitesForm &e) { (e.*list).Select(row); };
  };
  auto type = [](std::string name) {
    return [=](TKeepSitesForm &e) { e.edtSite.TextEdited(name); };
  };
  auto click = [](TButton TKeepSitesForm::*button) {
    return [=](TKeepSitesForm &e) { (e.*button).Click(); };
  };
  Edit(form, {select(&TKeepSitesForm::lvCookieSites, 2), click(&TKeepSitesForm::btnKeep),
              select(&TKeepSitesForm::lvCookieSites, 0), click(&TKeepSitesForm::btnKeep),
              type("*.Example.org"), click(&TKeepSitesForm::btnAdd), type("shop.example.net"),
              click(&TKeepSitesForm::btnAdd), select(&TKeepSitesForm::lvKeptSites, 1),
              click(&TKeepSitesForm::btnUnkeep), select(&TKeepSitesForm::lvKeptSites, 0),
              click(&TKeepSitesForm::btnRemove),
              // Nothing selected: the buttons do nothing.
              click(&TKeepSitesForm::btnKeep), click(&TKeepSitesForm::btnUnkeep),
              // A name left in the box is kept by OK.
              type(" x.net "), click(&TKeepSitesForm::btnOk)});
  EXPECT_THAT(View.Editor.Failures, IsEmpty());
  EXPECT_EQ(View.Editor.CookieSites,
            (std::vector<std::string>{"news.example.com|1", "www.example.com|2"}));
  EXPECT_EQ(form.KeepSites(), "*.Example.org;shop.example.net;x.net");
  // The lists followed at once: the kept shop's entries went.
  EXPECT_EQ(Urls(form.lvCache), (std::vector<std::string>{kWwwIndex, kNewsGif}));
  EXPECT_EQ(KeptCounts(form), (std::vector<std::string>{"", "1 kept", ""}));
}

TEST_F(KeepSitesFixture, MalformedNameIsShownAndTheEditorStaysOpen) {
  TFormWithReader rig(*this);
  TScriptedFormView view(rig.Form, {}, View);
  rig.Settle();
  int resultAfterFaults = -1;
  Edit(rig.Form,
       {[](TKeepSitesForm &e) { e.edtSite.TextEdited("bad/site"); },
        [](TKeepSitesForm &e) { e.btnAdd.Click(); }, [](TKeepSitesForm &e) { e.btnOk.Click(); },
        [](TKeepSitesForm &e) { e.edtSite.TextEdited(" "); },
        [](TKeepSitesForm &e) { e.btnAdd.Click(); },
        [&](TKeepSitesForm &e) { resultAfterFaults = e.ModalResult; },
        [](TKeepSitesForm &e) { e.edtSite.TextEdited("good.site"); },
        [](TKeepSitesForm &e) { e.btnOk.Click(); }});
  ASSERT_EQ(View.Editor.Failures.size(), 3u);
  EXPECT_EQ(View.Editor.Failures[0], View.Editor.Failures[1]);
  EXPECT_THAT(View.Editor.Failures[0], HasSubstr("'bad/site' is not a site name: "));
  EXPECT_THAT(View.Editor.Failures[2], HasSubstr("is not a site name"));
  EXPECT_THAT(View.Editor.Focused, ElementsAre("edtSite", "edtSite", "edtSite"));
  EXPECT_EQ(resultAfterFaults, mrNone);
  EXPECT_EQ(rig.Form.KeepSites(), "good.site");
  EXPECT_THAT(View.Failures, IsEmpty()) << "the dialog's own box stays shut";
}

TEST_F(KeepSitesFixture, EditorCancelChangesNothing) {
  TFormWithReader rig(*this);
  TScriptedFormView view(rig.Form, {}, View);
  TConfForm &form = rig.Form;
  form.HandleEvent([&] { form.SetKeepSites("shop.example.net"); });
  rig.Settle();
  const std::vector<std::string> cookies = Urls(form.lvCookies);
  const std::vector<std::string> kept = KeptCounts(form);
  const uint64_t repaints = form.lvCookies.RepaintCount();
  Edit(form, {[](TKeepSitesForm &e) { e.edtSite.TextEdited("www.example.com"); },
              [](TKeepSitesForm &e) { e.btnAdd.Click(); },
              [](TKeepSitesForm &e) { e.lvKeptSites.Select(0); },
              [](TKeepSitesForm &e) { e.btnRemove.Click(); },
              [](TKeepSitesForm &e) { e.btnCancel.Click(); }});
  Edit(form, {}); // closed by its close box
  EXPECT_EQ(View.Editor.ShowCount, 2);
  EXPECT_EQ(View.Editor.KeptSites, (std::vector<std::string>{"shop.example.net|"}));
  EXPECT_EQ(form.KeepSites(), "shop.example.net");
  EXPECT_EQ(Urls(form.lvCookies), cookies);
  EXPECT_EQ(KeptCounts(form), kept);
  EXPECT_EQ(form.lvCookies.RepaintCount(), repaints) << "not even refilled";
}

TEST_F(KeepSitesFixture, EditorOkReachesTheFileOnlyWithTheDialogsOk) {
  auto keepNews = [](TKeepSitesForm &e) {
    e.edtSite.TextEdited("news.example.com");
    e.btnOk.Click();
  };
  for (const bool dialogOk : {false, true}) {
    SCOPED_TRACE(dialogOk ? "dialog OK" : "dialog Cancel");
    WriteIni("[IE Norvane]\r\nDeleteCacheHttps=1\r\n");
    View = {};
    View.EditorScripts.push_back({keepNews});
    std::string fileWhileOpen;
    const auto summary =
        Configure({[](TConfForm &f) { f.btnKeepSites.Click(); },
                   [&](TConfForm &f) {
                     fileWhileOpen = ReadIni();
                     EXPECT_EQ(f.lblCookiesKept.Caption(), "1 kept");
                   },
                   [&](TConfForm &f) { (dialogOk ? f.BitBtn2 : f.BitBtn1).Click(); }});
    EXPECT_EQ(fileWhileOpen, "[IE Norvane]\r\nDeleteCacheHttps=1\r\n");
    EXPECT_EQ(View.Editor.ShowCount, 1);
    if (dialogOk) {
      EXPECT_EQ(summary, "http://*.*, https://*.*, Cookie:*.*, Visited:*.*");
      EXPECT_THAT(ReadIni(), HasSubstr("KeepSites=news.example.com\r\n"));
      EXPECT_THAT(ReadIni(), HasSubstr("DeleteCacheHttps=1\r\n"));
    } else {
      EXPECT_EQ(summary, std::nullopt);
      EXPECT_EQ(ReadIni(), "[IE Norvane]\r\nDeleteCacheHttps=1\r\n");
    }
  }
}

TEST(ListSelection, FollowsTheRowsAndClearForgetsIt) {
  TListView list("lv", nullptr, {}, 0, {{"Site", 100}});
  list.AddRow("a", "", "");
  list.AddRow("b", "", "");
  const struct {
    std::optional<size_t> Asked, Selected;
  } cases[] = {{1, 1}, {0, 0}, {2, std::nullopt}, {std::nullopt, std::nullopt}};
  for (const auto &c : cases) {
    list.Select(c.Asked);
    EXPECT_EQ(list.Selected(), c.Selected);
  }
  list.Select(1);
  list.Clear();
  EXPECT_EQ(list.Selected(), std::nullopt);
}

} // namespace
