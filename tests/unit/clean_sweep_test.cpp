// The clean over the portable platform: which entries each category and type
// deletes, what is counted, the history store, and where a failure stops it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <set>

#include "Masks.h"
#include "PortableIniStore.h"
#include "SeededRandom.h"
#include "StandInPlatform.h"
#include "TempDir.h"
#include "UrlCorpus.h"
#include "WalkSweep.h"
#include "clean_fixture.h"

namespace {

// A small cache of every category, with entries each pattern must leave.
const std::vector<TSeed> kMixedCache = {
    {"Cookie:john@example.com/", 101},
    {"http://www.example.com/index.html", 1000, "C:\\Cache\\AB12CD34\\index[1].html"},
    {"Visited: john@http://www.example.com/index.html", 0},
    {"http://www.example.com/logo.gif", 2000, "C:\\Cache\\AB12CD34\\logo[1].gif"},
    {"Cookie:john@ads.tracker.net/", 102},
    {"http://news.example.org/story/today", 4000, "C:\\Cache\\EF56GH78\\today[1]"},
    {"http://localhost/", 8000},                  // no "." anywhere: "*.*" leaves it
    {"HTTP://WWW.EXAMPLE.COM/UPPER.HTM", 16000},  // prefix matched without case
    {"https://secure.example.com/app.js", 32000}, // not "http://"
    {"Cookie:john@localhost/", 104},              // no "."
    {"Visited: john@http://news.example.org/story/today", 0},
    {"Visited: john@about:blank", 0}, // no "."
};

struct TSweepCase {
  const char *Name;
  TCategory Category;
  int32_t Type;
  std::string Mask;
  std::set<std::string> Deleted;
  uint32_t HistoryClears;
};

void SwitchOn(TIENorvane &cleaner, TCategory category, int32_t type, const std::string &mask) {
  switch (category) {
  case TCategory::Cache:
    cleaner.Settings.DeleteCache = true, cleaner.Settings.DeleteCacheType = SweepTypeOf(type),
    cleaner.Settings.CacheMask = mask;
    break;
  case TCategory::Cookies:
    cleaner.Settings.DeleteCookies = true, cleaner.Settings.DeleteCookiesType = SweepTypeOf(type),
    cleaner.Settings.CookiesMask = mask;
    break;
  case TCategory::History:
    cleaner.Settings.DeleteHistory = true, cleaner.Settings.DeleteHistoryType = SweepTypeOf(type),
    cleaner.Settings.HistoryMask = mask;
    break;
  }
}

const TCategoryTotals &TotalsOf(const TCleanTotals &totals, TCategory category) {
  return category == TCategory::Cache     ? totals.Cache
         : category == TCategory::Cookies ? totals.Cookies
                                          : totals.History;
}

} // namespace

TEST_F(CleanFixture, CleanEachCategoryAndType) {
  const TSweepCase cases[] = {
      {"cache all",
       TCategory::Cache,
       0,
       "[ignored",
       {"http://www.example.com/index.html", "http://www.example.com/logo.gif",
        "http://news.example.org/story/today", "HTTP://WWW.EXAMPLE.COM/UPPER.HTM"},
       0},
      {"cache one site",
       TCategory::Cache,
       1,
       "www.example.com/*",
       {"http://www.example.com/index.html", "http://www.example.com/logo.gif",
        "HTTP://WWW.EXAMPLE.COM/UPPER.HTM"},
       0},
      {"cache whole URL only", TCategory::Cache, 1, "www.example.com", {}, 0},
      {"cache empty mask", TCategory::Cache, 1, "", {}, 0},
      {"cache no dot needed",
       TCategory::Cache,
       1,
       "*",
       {"http://www.example.com/index.html", "http://www.example.com/logo.gif",
        "http://news.example.org/story/today", "http://localhost/",
        "HTTP://WWW.EXAMPLE.COM/UPPER.HTM"},
       0},
      {"cache type 2", TCategory::Cache, 2, "*", {}, 0},
      {"cookies all",
       TCategory::Cookies,
       0,
       "",
       {"Cookie:john@example.com/", "Cookie:john@ads.tracker.net/"},
       0},
      {"cookies masked", TCategory::Cookies, 1, "*@ads.*", {"Cookie:john@ads.tracker.net/"}, 0},
      {"cookies type -1", TCategory::Cookies, -1, "*", {}, 0},
      {"history all",
       TCategory::History,
       0,
       "",
       {"Visited: john@http://www.example.com/index.html",
        "Visited: john@http://news.example.org/story/today"},
       1},
      {"history masked",
       TCategory::History,
       1,
       "*NEWS*",
       {"Visited: john@http://news.example.org/story/today"},
       0},
      {"history type 2", TCategory::History, 2, "*", {}, 1},
  };
  for (const TSweepCase &c : cases) {
    SCOPED_TRACE(c.Name);
    TCleanPlatform platform;
    TMemoryUrlCache &cache = platform.Cache;
    TRecordingHistoryStore &history = platform.HistoryStore;
    for (const TSeed &seed : kMixedCache)
      cache.Add(seed.Url, seed.File, seed.Size);
    TIENorvane cleaner(platform);
    SwitchOn(cleaner, c.Category, c.Type, c.Mask);

    const TCleanTotals totals = cleaner.Clean();

    uint64_t bytes = 0;
    for (const TSeed &seed : kMixedCache) {
      EXPECT_EQ(cache.Contains(seed.Url), !c.Deleted.contains(seed.Url)) << seed.Url;
      if (c.Deleted.contains(seed.Url)) bytes += seed.Size;
    }
    EXPECT_EQ(TotalsOf(totals, c.Category).Count, c.Deleted.size());
    EXPECT_EQ(TotalsOf(totals, c.Category).Bytes, bytes);
    EXPECT_EQ(totals.FreedBytes(), bytes);
    EXPECT_EQ(history.Clears(), c.HistoryClears);
    EXPECT_EQ(cache.OpenEnumerations(), 0u);
    // A type other than 0 and 1 does not walk at all.
    if (c.Type != 0 && c.Type != 1) {
      EXPECT_EQ(cache.Calls().Total(), 0u);
    }
  }
}

TEST_F(CleanFixture, CleanEverythingAddsUpTheCategories) {
  Seed(kMixedCache);
  TIENorvane cleaner = Cleaner();
  SwitchOn(cleaner, TCategory::Cache, 0, "");
  SwitchOn(cleaner, TCategory::Cookies, 0, "");
  SwitchOn(cleaner, TCategory::History, 0, "");

  const TCleanTotals totals = cleaner.Clean();

  EXPECT_EQ(Cache.Urls(),
            (std::vector<std::string>{"http://localhost/", "https://secure.example.com/app.js",
                                      "Cookie:john@localhost/", "Visited: john@about:blank"}));
  EXPECT_EQ(totals.Cache.Count, 4u);
  EXPECT_EQ(totals.Cookies.Count, 2u);
  EXPECT_EQ(totals.History.Count, 2u);
  EXPECT_EQ(totals.FreedBytes(), 1000u + 2000 + 4000 + 16000 + 101 + 102);
  EXPECT_EQ(HistoryStore.Clears(), 1u);
  EXPECT_EQ(CountingProfiles.Calls, 0u);
}

TEST_F(CleanFixture, CleanAllFlagsOffMakesNoPlatformCall) {
  Seed(kMixedCache);
  TIENorvane cleaner = Cleaner();
  cleaner.Settings.CacheMask = cleaner.Settings.CookiesMask = cleaner.Settings.HistoryMask = "[";

  const TCleanTotals totals = cleaner.Clean();

  EXPECT_EQ(totals.FreedBytes(), 0u);
  EXPECT_EQ(Cache.Calls().Total(), 0u);
  EXPECT_EQ(HistoryStore.Calls(), 0u);
  EXPECT_EQ(CountingProfiles.Calls, 0u);
  EXPECT_EQ(Cache.Urls().size(), kMixedCache.size());
}

TEST_F(CleanFixture, CleanFailedDeletesCountNothing) {
  Seed(kMixedCache);
  Cache.FailDeleteOf("http://www.example.com/logo.gif");
  Cache.FailDeleteOf("Cookie:john@ads.tracker.net/");
  TIENorvane cleaner = Cleaner();
  SwitchOn(cleaner, TCategory::Cache, 0, "");
  SwitchOn(cleaner, TCategory::Cookies, 0, "");

  const TCleanTotals totals = cleaner.Clean();

  EXPECT_TRUE(Cache.Contains("http://www.example.com/logo.gif"));
  EXPECT_TRUE(Cache.Contains("Cookie:john@ads.tracker.net/"));
  EXPECT_FALSE(Cache.Contains("http://news.example.org/story/today"));
  EXPECT_EQ(totals.Cache.Count, 3u);
  EXPECT_EQ(totals.Cache.Bytes, 1000u + 4000 + 16000);
  EXPECT_EQ(totals.Cookies.Count, 1u);
  EXPECT_EQ(totals.Cookies.Bytes, 101u);
  // What stayed is counted as such, whatever the platform's reason.
  EXPECT_EQ(totals.Cache.NotDeleted, 1u);
  EXPECT_EQ(totals.Cookies.NotDeleted, 1u);
}

TEST_F(CleanFixture, CleanReportsTheHistoryStoresAnswerAsItCame) {
  TIENorvane cleaner = Cleaner();
  EXPECT_FALSE(cleaner.Clean().HistoryStore) << "history off: the store is not asked";
  SwitchOn(cleaner, TCategory::History, 2, "");
  const TCleanTotals cleared = cleaner.Clean();
  ASSERT_TRUE(cleared.HistoryStore);
  EXPECT_TRUE(cleared.HistoryStore->Cleared());
  HistoryStore.FailWith(TRecordingHistoryStore::TFailure::NotImplemented);
  const TCleanTotals refused = cleaner.Clean();
  ASSERT_TRUE(refused.HistoryStore);
  EXPECT_FALSE(refused.HistoryStore->Cleared());
  EXPECT_EQ(refused.HistoryStore->Code, TRecordingHistoryStore::kNotImplemented);
}

TEST_F(CleanFixture, CleanCountsSizesAbove4GiBInFull) {
  const uint64_t fiveGiB = 5ull << 30, threeGiB = 3ull << 30;
  Seed({{"http://big.example.com/disk.img", fiveGiB},
        {"http://big.example.com/other.iso", threeGiB + 7},
        {"http://big.example.com/exact.bin", 1ull << 32},
        {"Cookie:john@big.example.com/", 0xFFFFFFFFull}});
  TIENorvane cleaner = Cleaner();
  SwitchOn(cleaner, TCategory::Cache, 0, "");
  SwitchOn(cleaner, TCategory::Cookies, 0, "");

  const TCleanTotals totals = cleaner.Clean();

  EXPECT_EQ(totals.Cache.Bytes, fiveGiB + threeGiB + 7 + (1ull << 32));
  EXPECT_EQ(totals.Cookies.Bytes, 0xFFFFFFFFull);
  EXPECT_EQ(totals.FreedBytes(), fiveGiB + threeGiB + 7 + (1ull << 32) + 0xFFFFFFFFull);
}

TEST_F(CleanFixture, CleanHistoryStoreFailuresLeaveTheClean) {
  for (auto failure : {TRecordingHistoryStore::TFailure::OleSysError,
                       TRecordingHistoryStore::TFailure::IntfCastError}) {
    TCleanPlatform platform;
    TMemoryUrlCache &cache = platform.Cache;
    TRecordingHistoryStore &history = platform.HistoryStore;
    history.FailWith(failure);
    cache.Add("Visited: john@http://www.example.com/", std::nullopt, 0);
    TIENorvane cleaner(platform);
    SwitchOn(cleaner, TCategory::History, 0, "");
    if (failure == TRecordingHistoryStore::TFailure::OleSysError)
      EXPECT_THROW(cleaner.Clean(), EOleSysError);
    else
      EXPECT_THROW(cleaner.Clean(), EIntfCastError);
    // The sweep ran before the store was asked.
    EXPECT_FALSE(cache.Contains("Visited: john@http://www.example.com/"));
    EXPECT_EQ(history.Calls(), 1u);
    EXPECT_EQ(history.Clears(), 0u);
  }
}

// A malformed mask ends the clean at the first entry that reaches the match:
// earlier categories stay cleaned, later ones and the history store untouched.
TEST_F(CleanFixture, CleanMalformedMaskStopsWhereItIsMet) {
  Seed(kMixedCache);
  TIENorvane cleaner = Cleaner();
  SwitchOn(cleaner, TCategory::Cache, 1, "www.example.com/*");
  SwitchOn(cleaner, TCategory::Cookies, 1, "*[");
  SwitchOn(cleaner, TCategory::History, 0, "");

  try {
    cleaner.Clean();
    FAIL() << "no EMaskException";
  } catch (const EMaskException &e) {
    EXPECT_STREQ(e.what(), "'Cookie:*[' is an invalid mask at (10)");
  }
  EXPECT_FALSE(Cache.Contains("http://www.example.com/index.html"));
  EXPECT_FALSE(Cache.Contains("http://www.example.com/logo.gif"));
  EXPECT_TRUE(Cache.Contains("Cookie:john@example.com/"));
  EXPECT_TRUE(Cache.Contains("Visited: john@http://www.example.com/index.html"));
  EXPECT_EQ(HistoryStore.Calls(), 0u);
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
}

TEST_F(CleanFixture, CleanMalformedMaskNoEntryReachesRaisesNothing) {
  // Only cookies and history: an http walk is handed them all, and the
  // category filter passes them over before the broken mask is compiled.
  Seed({{"Cookie:john@example.com/", 1}, {"Visited: john@http://www.example.com/", 2}});
  TIENorvane cleaner = Cleaner();
  SwitchOn(cleaner, TCategory::Cache, 1, "[");
  SwitchOn(cleaner, TCategory::Cookies, 1, "*.com/");

  const TCleanTotals totals = cleaner.Clean();

  EXPECT_EQ(totals.Cache.Count, 0u);
  EXPECT_EQ(totals.Cookies.Count, 1u);
  EXPECT_TRUE(Cache.Contains("Visited: john@http://www.example.com/"));
}

TEST_F(CleanFixture, CleanCategoryFilterIsExactAndCaseSensitive) {
  // "cookie:" in lower case is no cookie to the filter: it reaches the match,
  // where the broken mask fails.
  Seed({{"Cookie:john@example.com/", 1}, {"cookie:john@example.com/", 2}});
  TIENorvane cleaner = Cleaner();
  SwitchOn(cleaner, TCategory::Cache, 1, "[");
  EXPECT_THROW(cleaner.Clean(), EMaskException);
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
}

namespace {

// What a clean did, entry by entry, and how it ended.
struct TCleanRecord {
  // "category url result" per selected entry, per category in the order of
  // the deletes (a walk that lists several containers at once deletes their
  // entries interleaved).
  std::array<std::vector<std::string>, 3> Steps;
  std::optional<std::string> Fault;
  std::vector<std::string> Left;
  bool operator==(const TCleanRecord &) const = default;
};

template <typename TRun> TCleanRecord Record(TCleanPlatform &platform, const TRun &run) {
  TCleanRecord record;
  const TSweepObserver observe = [&](TCategory category, const TCacheEntryView &entry,
                                     TDeleteResult result) {
    record.Steps[static_cast<size_t>(category)].push_back(std::string(CategoryPrefix(category)) +
                                                          " " + entry.Url + " " +
                                                          std::to_string(static_cast<int>(result)));
  };
  try {
    run(observe);
  } catch (const EMaskException &fault) {
    record.Fault = fault.what();
  }
  record.Left = platform.Cache.Urls();
  return record;
}

// The clean as its definition reads: each category that is on swept by a
// walk of its own, in the order cache, cookies, history.
void CleanByOwnWalks(TCleanPlatform &platform, const TIENorvane &settings,
                     const TSweepObserver &observe) {
  for (TCategory category : {TCategory::Cache, TCategory::Cookies, TCategory::History})
    if (settings.Settings.Enabled(category))
      if (auto pattern = SweepPattern(category, settings.Settings.TypeOf(category),
                                      settings.Settings.MaskOf(category)))
        Sweep(platform, *pattern, observe);
}

} // namespace

// However the platform lists the cookie and history containers (with the
// content, as Wine, or apart, as Windows documents), the clean deletes what
// a walk of each category's own would, in the same order within each
// category, with the same answers and faults, and asks the platform for
// each entry once.
TEST(CleanListing, DeletesWhatOwnWalksDeleteListingEachEntryOnce) {
  using TListing = TMemoryUrlCache::TListing;
  const char *const masks[] = {"*", "*.*", "*example*", "*[a-m]*", "*[", "[!h]*", ""};
  size_t withFaults = 0, withDeletes = 0;
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    TSeededRandom random(seed);
    const std::vector<std::string> urls = GenerateCacheUrls(random.Below(60), seed);
    TCleanPlatform drawn;
    TIENorvane settings(drawn);
    for (const TCategoryFields &c : Categories()) {
      settings.Settings.*c.Flag = random.Chance(75);
      settings.Settings.*c.Type = SweepTypeOf(static_cast<int32_t>(random.Below(3)));
      settings.Settings.*c.Mask = random.Pick(masks);
    }
    for (TListing listing : {TListing::WithContent, TListing::Apart}) {
      SCOPED_TRACE("seed " + std::to_string(seed) +
                   (listing == TListing::Apart ? ", apart" : ", with the content"));
      const auto seeded = [&](TCleanPlatform &platform) {
        for (size_t i = 0; i < urls.size(); ++i)
          platform.Cache.Add(urls[i], std::nullopt, i);
        if (!urls.empty()) platform.Cache.FailDeleteOf(urls[seed % urls.size()]);
      };
      TCleanPlatform own(listing), clean(listing);
      seeded(own);
      seeded(clean);
      TIENorvane cleaner(clean);
      cleaner.Settings = settings.Settings;
      const TCleanRecord expected =
          Record(own, [&](const auto &observe) { CleanByOwnWalks(own, cleaner, observe); });
      const TCleanRecord cleaned =
          Record(clean, [&](const auto &observe) { cleaner.Clean(observe); });
      EXPECT_EQ(cleaned, expected);
      EXPECT_LE(clean.Cache.Calls().Next, urls.size() + 3) << "an entry listed twice";
      EXPECT_EQ(clean.Cache.OpenEnumerations(), 0u);
      withFaults += expected.Fault.has_value();
      withDeletes += std::any_of(expected.Steps.begin(), expected.Steps.end(),
                                 [](const auto &steps) { return !steps.empty(); });
    }
  }
  EXPECT_GT(withFaults, 5u);
  EXPECT_GT(withDeletes, 40u);
}

// Settings read from a real INI file by the portable store, then the clean.
TEST(CleanFromIni, SectionsOfEachKind) {
  const struct {
    const char *Name;
    const char *Ini;
    std::vector<std::string> Left;
    uint64_t Freed;
  } cases[] = {
      {"no such section: every category, type 0",
       "[Other]\r\nDeleteCache=0\r\n",
       {"http://localhost/", "https://secure.example.com/app.js", "Cookie:john@localhost/",
        "Visited: john@about:blank"},
       1000 + 2000 + 4000 + 16000 + 101 + 102},
      {"cache masked, cookies type 2, history off",
       "[IE Norvane]\r\nDeleteCache=1\r\nDeleteCacheType=1\r\nCacheMask=news.*\r\n"
       "DeleteCookiesType=2\r\nDeleteHistory=0\r\n",
       {"Cookie:john@example.com/", "http://www.example.com/index.html",
        "Visited: john@http://www.example.com/index.html", "http://www.example.com/logo.gif",
        "Cookie:john@ads.tracker.net/", "http://localhost/", "HTTP://WWW.EXAMPLE.COM/UPPER.HTM",
        "https://secure.example.com/app.js", "Cookie:john@localhost/",
        "Visited: john@http://news.example.org/story/today", "Visited: john@about:blank"},
       4000},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    TTempDir folder;
    const std::string ini = folder.File("norvane.ini");
    WriteFileBytes(ini, c.Ini);
    TStandInPlatform platform;
    TMemoryUrlCache &cache = platform.Cache;
    for (const TSeed &seed : kMixedCache)
      cache.Add(seed.Url, seed.File, seed.Size);
    TIENorvane cleaner(platform);
    cleaner.LoadSettings(ini, "IE Norvane");
    EXPECT_EQ(cleaner.Clean().FreedBytes(), c.Freed);
    EXPECT_EQ(cache.Urls(), c.Left);
    EXPECT_EQ(ReadFileBytes(ini), c.Ini); // a clean never writes the settings
  }
}
