// The clean's steps one by one: which container and category a URL or a
// pattern names, what a selection holds and where a malformed mask stops it,
// and that deleting a selection and emptying the history store does what
// Clean() does.
#include <gtest/gtest.h>

#include "clean_fixture.h"

namespace {

TEST(EngineCategories, ContainersAreExactPatternsIgnoreCase) {
  const struct {
    const char *Text;
    TCategory Container; // ContainerOfUrl: the prefix exactly
    TCategory Listed;    // CategoryOfPattern: the prefix in any case
  } cases[] = {
      {"Cookie:john@example.com/", TCategory::Cookies, TCategory::Cookies},
      {"cookie:john@example.com/", TCategory::Cache, TCategory::Cookies},
      {"Visited: john@http://a.b/", TCategory::History, TCategory::History},
      {"VISITED:x", TCategory::Cache, TCategory::History},
      {"Visited", TCategory::Cache, TCategory::Cache},
      {"Cookie", TCategory::Cache, TCategory::Cache},
      {"http://Cookie:x", TCategory::Cache, TCategory::Cache},
      {"", TCategory::Cache, TCategory::Cache},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Text);
    EXPECT_EQ(ContainerOfUrl(c.Text), c.Container);
    EXPECT_EQ(CategoryOfPattern(c.Text), c.Listed);
  }
  for (const TCategoryFields &c : Categories())
    EXPECT_EQ(ContainerOfUrl(CategoryPrefix(c.Category)), c.Category) << c.Name;
}

const std::vector<TSeed> kCache = {
    {"http://www.example.com/a.htm", 10, "C:\\c\\a.htm"},
    {"Cookie:john@example.com/", 20},
    {"http://news.example.org/b.gif", 40, "C:\\c\\b.gif"},
    {"Visited: john@http://www.example.com/a.htm", 80},
    {"http://localhost/", 160},
};

TEST(EngineSteps, SelectionStopsAtAMalformedMaskAndItsDeletesLeaveTheHistoryStore) {
  for (const char *cookieMask : {"*[", "*example*"}) {
    SCOPED_TRACE(cookieMask);
    TCleanPlatform platform;
    for (const TSeed &seed : kCache)
      platform.Cache.Add(seed.Url, seed.File, seed.Size);
    TIENorvane cleaner(platform);
    cleaner.Settings.DeleteCache = cleaner.Settings.DeleteCookies = cleaner.Settings.DeleteHistory =
        true;
    cleaner.Settings.DeleteCookiesType = TSweepType::ByMask;
    cleaner.Settings.CookiesMask = cookieMask;
    const bool malformed = cookieMask[1] == '[';

    const TSelection selection = cleaner.Select();
    ASSERT_EQ(selection.Sweeps.size(), malformed ? 2u : 3u);
    EXPECT_EQ(selection.Sweeps[0].Pattern, "http://*.*");
    EXPECT_EQ(selection.Sweeps[0].Entries.size(), 2u); // localhost has no "."
    EXPECT_EQ(selection.Sweeps[1].Entries.size(), malformed ? 0u : 1u);
    EXPECT_EQ(selection.Fault.has_value(), malformed);
    if (malformed) {
      EXPECT_EQ(selection.Fault->Category, TCategory::Cookies);
      EXPECT_EQ(selection.Fault->Pattern, "Cookie:*[");
      EXPECT_EQ(selection.Fault->Position, 10u);
    }
    EXPECT_EQ(selection.EntryCount(), malformed ? 2u : 4u);
    EXPECT_EQ(platform.Cache.Urls().size(), kCache.size()) << "a selection deletes nothing";

    std::vector<std::string> heard;
    const TCleanRun run = cleaner.SelectAndDelete(
        [&](TCategory category, const TCacheEntryView &entry, TDeleteResult result) {
          heard.push_back(std::string(CategoryPrefix(category)) + entry.Url +
                          (result == TDeleteResult::Deleted ? "" : " stays"));
        });
    const TCleanTotals &totals = run.Totals;
    // The walk that deletes chooses what the selection chose, and stops at
    // the same mask.
    EXPECT_EQ(run.Selection.EntryCount(), selection.EntryCount());
    EXPECT_EQ(run.Selection.Sweeps.size(), selection.Sweeps.size());
    EXPECT_EQ(run.Selection.Fault.has_value(), malformed);
    EXPECT_EQ(totals.Cache.Bytes, 50u);
    EXPECT_EQ(totals.FreedBytes(), malformed ? 50u : 150u);
    EXPECT_EQ(heard.size(), selection.EntryCount());
    EXPECT_FALSE(totals.HistoryStore.has_value());
    EXPECT_EQ(platform.HistoryStore.Calls(), 0u) << "deleting leaves the history store alone";
    EXPECT_TRUE(cleaner.EmptyHistoryStore().has_value());
    EXPECT_EQ(platform.HistoryStore.Calls(), 1u);
    cleaner.Settings.DeleteHistory = false;
    EXPECT_FALSE(cleaner.EmptyHistoryStore().has_value());
    EXPECT_EQ(platform.HistoryStore.Calls(), 1u);
  }
}

} // namespace
