// The cache snapshot that feeds the dialog's lists: its rows are those of a
// walk of the same cache for random masks and caches, a malformed mask raises
// exactly when a walk would, and a new read sees the cache as it changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CacheSnapshot.h"
#include "Controls.h"
#include "IENorvaneU.h"
#include "Masks.h"
#include "SeededRandom.h"
#include "StandInPlatform.h"
#include "UrlCorpus.h"
#include "WalkSweep.h"

namespace {

constexpr TCategory kCategories[] = {TCategory::Cache, TCategory::Cookies, TCategory::History};

using TRows = std::vector<std::string>;

// What a selection visits, or the fault it raised.
struct TOutcome {
  TRows Rows;
  std::optional<std::string> Fault;
  bool operator==(const TOutcome &) const = default;
};

template <typename TSelect> TOutcome Collect(const TSelect &select) {
  TOutcome outcome;
  try {
    select([&](const TCacheEntryView &entry) {
      outcome.Rows.push_back(std::string(entry.Url) + "|" +
                             (entry.LocalFileName ? entry.LocalFileName : "(none)") + "|" +
                             std::to_string(entry.Size));
    });
  } catch (const EMaskException &fault) {
    outcome.Fault = fault.what();
  }
  return outcome;
}

TCacheSnapshot ReadAll(IUrlCache &cache) {
  TCacheSnapshot snapshot;
  for (TCategory category : kCategories)
    EXPECT_TRUE(snapshot.Read(cache, category));
  return snapshot;
}

// A mask from pieces that select some of the generated URLs, and now and
// then a malformed one.
std::string RandomPattern(TSeededRandom &random) {
  const char *const prefixes[] = {"http://", "Cookie:", "Visited:", "HTTP://", "", "cookie:"};
  const char *const pieces[] = {"*",     "?",      "www",     ".", "news", "[a-m]", "[!x]",
                                "john@", "*.gif*", "example", "/", "[",    "*.*",   "[0-9]"};
  std::string pattern = random.Pick(prefixes);
  for (size_t n = random.Below(5); n > 0; --n)
    pattern += random.Pick(pieces);
  return pattern;
}

} // namespace

TEST(CacheSnapshot, SelectsWhatAWalkOfTheSameCacheVisits) {
  size_t withRows = 0, withFaults = 0; // the cases must cover both
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TSeededRandom random(seed);
    TStandInPlatform platform;
    if (seed % 4 == 0) platform.CodePageLeadBytes = LeadBytesOfCodePage(932);
    const size_t count = random.Below(60);
    for (const std::string &url : GenerateCacheUrls(count, seed)) {
      std::optional<std::string> file;
      if (random.Chance(60)) file = "C:\\Cache\\" + std::to_string(random.Below(9)) + "\\f[1]";
      platform.Cache.Add(url, file, random.Next() % 100000);
    }
    const TCacheSnapshot snapshot = ReadAll(platform.Cache);
    for (int round = 0; round < 50; ++round) {
      const std::string pattern = RandomPattern(random);
      const TOutcome walked = Collect([&](const auto &visit) { Walk(platform, pattern, visit); });
      const TOutcome selected = Collect(
          [&](const auto &visit) { snapshot.Select(pattern, platform.LeadBytes(), visit); });
      EXPECT_EQ(selected, walked) << "pattern '" << pattern << "'";
      if (!walked.Rows.empty()) ++withRows;
      if (walked.Fault) ++withFaults;
    }
  }
  EXPECT_GT(withRows, 100u);
  EXPECT_GT(withFaults, 50u);
}

TEST(CacheSnapshot, MalformedMaskRaisesOnlyWhenAnEntryReachesTheMatch) {
  TStandInPlatform platform;
  platform.Cache.Add("Cookie:john@a.example/", std::nullopt, 1);
  platform.Cache.Add("Visited:john@http://a.example/", std::nullopt, 1);
  TCacheSnapshot snapshot = ReadAll(platform.Cache);
  const auto select = [&](const std::string &pattern) {
    return Collect([&](const auto &visit) { snapshot.Select(pattern, {}, visit); }).Fault;
  };
  // The http category holds only entries its filter drops: no match, no fault.
  EXPECT_EQ(select("http://["), std::nullopt);
  EXPECT_EQ(select("Cookie:["), "'Cookie:[' is an invalid mask at (9)");
  platform.Cache.Delete({"Cookie:john@a.example/", nullptr, 1});
  ASSERT_TRUE(snapshot.Read(platform.Cache, TCategory::Cookies));
  EXPECT_EQ(select("Cookie:["), std::nullopt);
}

TEST(CacheSnapshot, ANewReadSeesTheChangedCacheAndACancelledOneKeepsNothing) {
  TStandInPlatform platform;
  platform.Cache.Add("http://a.example/", std::nullopt, 1);
  const TCacheSnapshot before = ReadAll(platform.Cache);
  TCacheSnapshot after = ReadAll(platform.Cache);
  EXPECT_TRUE(after.SameAs(before, TCategory::Cache));

  platform.Cache.Add("http://b.example/", "C:\\b", 2);
  ASSERT_TRUE(after.Read(platform.Cache, TCategory::Cache));
  EXPECT_FALSE(after.SameAs(before, TCategory::Cache));
  EXPECT_TRUE(after.SameAs(before, TCategory::Cookies));
  EXPECT_EQ(after.Count(TCategory::Cache), 2u);

  TCacheSnapshot cancelled;
  EXPECT_FALSE(cancelled.Read(platform.Cache, TCategory::Cache, [] { return true; }));
  EXPECT_FALSE(cancelled.HasRead(TCategory::Cache));
  EXPECT_EQ(platform.Cache.OpenEnumerations(), 0u);
}

TEST(CacheSnapshot, FillFromASnapshotGivesTheRowsOfAWalkFill) {
  TStandInPlatform platform;
  platform.Cache.Add("http://www.example.com/a.gif", "C:\\Cache\\X\\a[1].gif", 4294967296ull);
  platform.Cache.Add("Cookie:john@www.example.com/", std::nullopt, 0);
  platform.Cache.Add("http://news.example.org/", std::nullopt, 7);
  const TCacheSnapshot snapshot = ReadAll(platform.Cache);
  TListView walked("lvCache", nullptr, {}, 0, {}), matched("lvCache", nullptr, {}, 0, {});
  TCategorySnapshots each;
  for (TCategory category : kAllCategories)
    each[static_cast<size_t>(category)] =
        std::make_shared<const TCacheSnapshot>(snapshot.Only(category));
  const TKeepSites none;
  for (const std::string pattern : {"http://*.*", "http://*www*", "http://", "Cookie:*"}) {
    FillFromWalk(platform, walked, pattern);
    TIENorvane::FillPreviewList(matched, SettingsSweeping(pattern), CategoryOfPattern(pattern),
                                each, {}, &none);
    ASSERT_EQ(matched.RowCount(), walked.RowCount()) << pattern;
    for (size_t row = 0; row < walked.RowCount(); ++row)
      for (size_t column = 0; column < 3; ++column)
        EXPECT_STREQ(matched.Cell(row, column), walked.Cell(row, column)) << pattern;
  }
}

// Where the platform lists the cookie and history containers with the
// content, one enumeration of the content keeps for every category what its
// own enumeration would, and hears of a category as soon as the entries
// move past it.
TEST(CacheSnapshot, OneReadOfTheContentKeepsWhatEachCategorysOwnReadKeeps) {
  const std::vector<TCategory> alongside = {TCategory::Cookies, TCategory::History};
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    // Odd seeds file the entries by container, as the platform lists them;
    // even seeds mix them.
    std::vector<std::string> urls = GenerateCacheUrls(TSeededRandom(seed).Below(80), seed);
    if (seed % 2) {
      std::stable_sort(urls.begin(), urls.end(), [](const std::string &a, const std::string &b) {
        const auto rank = [](const std::string &url) {
          return url.rfind("Cookie:", 0) == 0 ? 0 : url.rfind("Visited:", 0) == 0 ? 1 : 2;
        };
        return rank(a) < rank(b);
      });
    }
    TMemoryUrlCache cache;
    for (const std::string &url : urls)
      cache.Add(url, std::nullopt, url.size());
    const TCacheSnapshot apart = ReadAll(cache);

    TCacheSnapshot together;
    std::vector<std::pair<TCategory, size_t>> passed;
    const auto content = cache.Enumerate(TCategory::Cache);
    ASSERT_TRUE(together.ReadWithContent(*content, alongside, {}, [&](TCategory category) {
      passed.push_back({category, together.Count(category)});
    }));
    for (TCategory category : kCategories)
      EXPECT_TRUE(together.SameAs(apart, category)) << CategoryPrefix(category);
    for (size_t i = 0; i < passed.size(); ++i)
      for (size_t j = 0; j < i; ++j)
        EXPECT_NE(passed[i].first, passed[j].first) << "each category is passed once";
    if (seed % 2) {
      // Filed by container: each is whole when it is passed.
      for (const auto &[category, count] : passed)
        EXPECT_EQ(count, apart.Count(category)) << CategoryPrefix(category);
    }
  }
}

TEST(CacheSnapshot, ACancelledReadOfTheContentSaysSo) {
  TMemoryUrlCache cache;
  cache.Add("Cookie:john@a.example/", std::nullopt, 1);
  cache.Add("http://a.example/", std::nullopt, 1);
  TCacheSnapshot snapshot;
  int asked = 0;
  const auto content = cache.Enumerate(TCategory::Cache);
  EXPECT_FALSE(
      snapshot.ReadWithContent(*content, {TCategory::Cookies}, [&] { return ++asked == 2; }));
}

// A read given the snapshot an earlier read kept shares the texts of every
// entry it meets again and copies the rest: it keeps what a read of its own
// keeps, whatever changed in between and in whatever order, and its entries
// stay whole once the earlier snapshot is gone.
TEST(CacheSnapshot, AReadSharesTheTextsOfTheEntriesAnEarlierOneKept) {
  std::vector<TCacheEntry> base;
  for (int i = 0; i < 40; ++i)
    base.push_back({"http://host" + std::to_string(i) + ".example/page",
                    "C:\\C\\f" + std::to_string(i), static_cast<uint64_t>(i)});
  const auto without = [&](size_t from, size_t count) {
    std::vector<TCacheEntry> entries = base;
    entries.erase(entries.begin() + static_cast<ptrdiff_t>(from),
                  entries.begin() + static_cast<ptrdiff_t>(from + count));
    return entries;
  };
  std::vector<TCacheEntry> added = base, resized = base, fileless = base, reversed = base;
  added.insert(added.begin() + 5, {"http://new.example/", std::nullopt, 7});
  resized[20].Size = 99;
  fileless[3].LocalFileName.reset();
  std::reverse(reversed.begin(), reversed.end());
  const struct {
    const char *Change;
    std::vector<TCacheEntry> Now;
    bool CopiesNone;
  } cases[] = {{"none", base, true},
               {"one gone", without(10, 1), true},
               {"more gone than looked ahead", without(10, 12), false},
               {"one added", added, false},
               {"one resized", resized, false},
               {"one's file gone", fileless, false},
               {"reversed", reversed, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Change);
    TStandInPlatform was, now;
    for (const TCacheEntry &e : base)
      was.Cache.Add(e.Url, e.LocalFileName, e.Size);
    for (const TCacheEntry &e : c.Now)
      now.Cache.Add(e.Url, e.LocalFileName, e.Size);
    auto earlier = std::make_unique<TCacheSnapshot>();
    ASSERT_TRUE(earlier->Read(was.Cache, TCategory::Cache));
    const size_t earlierBytes = earlier->TextBytes();
    TCacheSnapshot shared, own;
    ASSERT_TRUE(shared.Read(now.Cache, TCategory::Cache, {}, earlier.get()));
    ASSERT_TRUE(own.Read(now.Cache, TCategory::Cache));
    EXPECT_TRUE(shared.SameAs(own, TCategory::Cache));
    if (c.CopiesNone) {
      EXPECT_EQ(shared.TextBytes(), earlierBytes);
    }
    earlier.reset();
    EXPECT_TRUE(shared.SameAs(own, TCategory::Cache));
  }
}
