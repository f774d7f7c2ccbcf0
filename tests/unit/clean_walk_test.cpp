// The cache walk against the in-memory cache's faults: the enumeration
// protocol, records larger than the buffer, failing fetches and queries, a
// cache that changes underneath, and the handle closed on every path.
#include <gtest/gtest.h>

#include <stdexcept>

#include "Masks.h"
#include "clean_fixture.h"

namespace {

std::vector<std::string> WalkUrls(IUrlCache &cache, const std::string &pattern) {
  std::vector<std::string> urls;
  Walk(cache, pattern, [&](const TCacheEntryView &entry) { urls.push_back(entry.Url); });
  return urls;
}

std::vector<std::string> Strings(std::initializer_list<const char *> items) {
  return {items.begin(), items.end()};
}

} // namespace

using WalkFixture = CleanFixture;

TEST_F(WalkFixture, WalkOffersEntriesInOrderWithTheirFields) {
  Seed({{"http://a.example.com/x.gif", (7ull << 32) + 5, "C:\\Cache\\Q1\\x[1].gif"},
        {"Cookie:john@a.example.com/", 0},
        {"http://b.example.com/", 9}});
  std::vector<TCacheEntryView> views;
  std::vector<std::string> files;
  Walk(Cache, "http://*.*", [&](const TCacheEntryView &entry) {
    views.push_back(entry);
    files.push_back(entry.LocalFileName ? entry.LocalFileName : "(none)");
  });
  ASSERT_EQ(views.size(), 2u);
  EXPECT_EQ(views[0].Size, (7ull << 32) + 5);
  EXPECT_EQ(views[1].Size, 9u);
  EXPECT_EQ(files, Strings({"C:\\Cache\\Q1\\x[1].gif", "(none)"}));
  // One query per entry and one that ends the walk; the handle is closed.
  EXPECT_EQ(Cache.Calls().FindFirst, 1u);
  EXPECT_EQ(Cache.Calls().FindNext, 3u);
  EXPECT_EQ(Cache.Calls().FindClose, 1u);
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
}

TEST_F(WalkFixture, WalkSelectsByCategoryAndMatch) {
  Seed({{"Cookie:john@a.example.com/", 0},
        {"http://a.example.com/", 0},
        {"Visited: john@http://a.example.com/", 0},
        {"Cookie:john@b.example.net/", 0}});
  struct {
    const char *Pattern;
    std::vector<std::string> Urls;
  } cases[] = {
      {"http://*.*", Strings({"http://a.example.com/"})},
      {"http://*", Strings({"http://a.example.com/"})},
      {"*", Strings({"Cookie:john@a.example.com/", "http://a.example.com/",
                     "Visited: john@http://a.example.com/", "Cookie:john@b.example.net/"})},
      {"Cookie:*.*", Strings({"Cookie:john@a.example.com/", "Cookie:john@b.example.net/"})},
      {"COOKIE:*.net/", Strings({"Cookie:john@b.example.net/"})},
      {"Visited:*", Strings({"Visited: john@http://a.example.com/"})},
      {"Visited:*.org", {}},
  };
  for (const auto &c : cases)
    EXPECT_EQ(WalkUrls(Cache, c.Pattern), c.Urls) << c.Pattern;
}

TEST_F(WalkFixture, WalkEmptyCacheAndEmptySelection) {
  EXPECT_TRUE(WalkUrls(Cache, "http://*.*").empty());
  Cache.Add("http://a.example.com/", std::nullopt, 1);
  EXPECT_TRUE(WalkUrls(Cache, "Cookie:*.*").empty());
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
}

TEST_F(WalkFixture, WalkGrowsTheBufferForLongRecords) {
  const std::string longFirst = "http://first.example.com/" + std::string(9000, 'a');
  const std::string longer = "http://later.example.com/" + std::string(40000, 'b');
  Seed({{longFirst, 1},
        {"http://short.example.com/", 2},
        {longer, 3},
        {"http://z.example.com/", 4}});
  EXPECT_EQ(WalkUrls(Cache, "http://*.*"),
            (std::vector<std::string>{longFirst, "http://short.example.com/", longer,
                                      "http://z.example.com/"}));
  // The first record needed a second start, the third a second fetch.
  EXPECT_EQ(Cache.Calls().FindFirst, 2u);
  EXPECT_EQ(Cache.Calls().FindNext, 5u);
}

TEST_F(WalkFixture, WalkSkipsEntriesWhoseFetchFails) {
  Seed({{"http://a.example.com/", 1}, {"http://b.example.com/", 2}, {"http://c.example.com/", 3}});
  Cache.FailFetchOf("http://b.example.com/");
  EXPECT_EQ(WalkUrls(Cache, "http://*.*"),
            Strings({"http://a.example.com/", "http://c.example.com/"}));

  // Also when the failing fetch is the one after a sizing call.
  TMemoryUrlCache cache;
  cache.Add("http://a.example.com/", std::nullopt, 1);
  cache.Add("http://b.example.com/" + std::string(8000, 'b'), std::nullopt, 2);
  cache.Add("http://c.example.com/", std::nullopt, 3);
  cache.FailFetchOf("http://b.example.com/" + std::string(8000, 'b'));
  EXPECT_EQ(WalkUrls(cache, "http://*.*"),
            Strings({"http://a.example.com/", "http://c.example.com/"}));
}

TEST_F(WalkFixture, WalkEndsWhenTheFirstEntryCannotBeFetched) {
  Seed({{"http://a.example.com/", 1}, {"http://b.example.com/", 2}});
  Cache.FailFetchOf("http://a.example.com/");
  EXPECT_TRUE(WalkUrls(Cache, "http://*.*").empty());
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
}

TEST_F(WalkFixture, WalkOtherQueryErrorsRepeatThenEndTheWalk) {
  const char *urls[] = {"http://a.example.com/", "http://b.example.com/", "http://c.example.com/"};
  for (const char *url : urls)
    Cache.Add(url, std::nullopt, 1);

  // A few failures in a row: the query is repeated and the walk goes on.
  Cache.FailNextQueriesBefore("http://b.example.com/", 87, kWalkMaxFruitlessQueries - 1);
  EXPECT_EQ(WalkUrls(Cache, "http://*.*"), Strings({urls[0], urls[1], urls[2]}));

  // A code that never stops: the walk ends after the bound, closed, with
  // what came before it visited.
  Cache.FailNextQueriesBefore("http://b.example.com/", 31, TMemoryUrlCache::kForever);
  const uint64_t queriesBefore = Cache.Calls().FindNext;
  EXPECT_EQ(WalkUrls(Cache, "http://*.*"), Strings({urls[0]}));
  EXPECT_EQ(Cache.Calls().FindNext - queriesBefore, kWalkMaxFruitlessQueries);
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
}

TEST_F(WalkFixture, WalkSeesTheCacheChangeUnderIt) {
  Seed({{"http://a.example.com/", 1}, {"http://b.example.com/", 2}, {"http://c.example.com/", 3}});
  Cache.OnDelivered([&](const std::string &url) {
    if (url == "http://a.example.com/") {
      Cache.Delete("http://b.example.com/");
      Cache.Add("http://d.example.com/", std::nullopt, 4);
    }
  });
  const TCategoryTotals totals = Sweep(Cache, "http://*.*");
  EXPECT_EQ(totals.Count, 3u); // a, c and the added d; b went before it was reached
  EXPECT_EQ(totals.Bytes, 1u + 3 + 4);
  EXPECT_TRUE(Cache.Urls().empty());
}

TEST_F(WalkFixture, WalkClosesTheEnumerationOnEveryPath) {
  Seed({{"http://a.example.com/", 1}, {"http://b.example.com/", 2}});
  EXPECT_THROW(WalkUrls(Cache, "http://[z-"), EMaskException);
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);

  EXPECT_THROW(Walk(Cache, "http://*",
                    [](const TCacheEntryView &) { throw std::runtime_error("visitor failed"); }),
               std::runtime_error);
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
  EXPECT_EQ(Cache.Calls().FindClose, 2u);
}

TEST_F(WalkFixture, WalkCompilesTheMaskOnlyWhenAnEntryReachesIt) {
  EXPECT_NO_THROW(WalkUrls(Cache, "Cookie:["));
  Cache.Add("http://a.example.com/", std::nullopt, 1);
  EXPECT_NO_THROW(WalkUrls(Cache, "Cookie:["));
  try {
    WalkUrls(Cache, "http://[");
    FAIL() << "no EMaskException";
  } catch (const EMaskException &e) {
    EXPECT_STREQ(e.what(), "'http://[' is an invalid mask at (9)");
  }
}

TEST_F(WalkFixture, WalkSweepPatterns) {
  EXPECT_EQ(SweepPattern(TCategory::Cache, 0, "[x"), "http://*.*");
  EXPECT_EQ(SweepPattern(TCategory::Cookies, 0, ""), "Cookie:*.*");
  EXPECT_EQ(SweepPattern(TCategory::History, 0, "a"), "Visited:*.*");
  EXPECT_EQ(SweepPattern(TCategory::Cache, 1, " site*"), "http:// site*");
  EXPECT_EQ(SweepPattern(TCategory::Cookies, 1, ""), "Cookie:");
  EXPECT_EQ(SweepPattern(TCategory::History, 1, "*News*"), "Visited:*News*");
  for (int32_t type : {2, -1, 100, INT32_MIN})
    EXPECT_EQ(SweepPattern(TCategory::Cache, type, "*"), std::nullopt) << type;
}
