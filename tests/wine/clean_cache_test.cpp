// The walk and the sweep over the real WinInet URL cache of the Wine prefix,
// through TWin32Platform: which container each category's selector lists,
// the category filter for the http walk, sizes and failed deletes.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

#include "CacheSeeder.h"
#include "FaultyWin32Api.h"
#include "IENorvaneU.h"
#include "WalkSweep.h"
#include "Win32Platform.h"
#include "Win32System.h"

namespace {

std::set<std::string> WalkSet(IPlatform &platform, const std::string &pattern) {
  std::set<std::string> urls;
  Walk(platform, pattern, [&](const TCacheEntryView &entry) { urls.insert(entry.Url); });
  return urls;
}

class CleanRealCache : public ::testing::Test {
protected:
  void SetUp() override {
    EmptyUrlCache();
    ASSERT_TRUE(ListWholeUrlCache().empty());
    for (const TSampleEntry &seed : SampleCacheEntries())
      SeedEntry(seed.Url, seed.Size);
  }
  void TearDown() override { EmptyUrlCache(); }

  TWin32Platform Platform;
};

} // namespace

TEST_F(CleanRealCache, SeededEntriesAreListedWithTheirSizes) {
  std::vector<TListedEntry> listed = ListWholeUrlCache();
  ASSERT_EQ(listed.size(), SampleCacheEntries().size());
  for (const TSampleEntry &seed : SampleCacheEntries()) {
    auto found = std::find_if(listed.begin(), listed.end(),
                              [&](const TListedEntry &e) { return e.Url == seed.Url; });
    ASSERT_NE(found, listed.end()) << seed.Url;
    EXPECT_EQ(found->Size, seed.Size) << seed.Url;
  }
}

TEST_F(CleanRealCache, WalkSelectsEachCategory) {
  const struct {
    const char *Pattern;
    std::set<std::string> Urls;
  } cases[] = {
      {"http://*.*",
       {"http://www.example.com/index.html", "http://www.example.com/logo.gif",
        "http://news.example.org/story/today.html"}},
      {"http://*",
       {"http://www.example.com/index.html", "http://www.example.com/logo.gif",
        "http://news.example.org/story/today.html", "http://localhost/"}},
      {"http://www.example.com/*",
       {"http://www.example.com/index.html", "http://www.example.com/logo.gif"}},
      {"Cookie:*.*", {"Cookie:john@example.com/", "Cookie:john@ads.tracker.net/"}},
      {"cookie:*@ADS.*", {"Cookie:john@ads.tracker.net/"}},
      {"Visited:*.*",
       {"Visited: john@http://www.example.com/index.html",
        "Visited: john@http://news.example.org/story/today.html"}},
      {"Visited:*news*", {"Visited: john@http://news.example.org/story/today.html"}},
      {"Visited:*.invalid", {}},
  };
  for (const auto &c : cases)
    EXPECT_EQ(WalkSet(Platform, c.Pattern), c.Urls) << c.Pattern;
}

TEST_F(CleanRealCache, WalkSeesHttpEntrySizes) {
  std::map<std::string, uint64_t> sizes;
  Walk(Platform, "http://*", [&](const TCacheEntryView &e) {
    sizes[e.Url] = e.Size;
    EXPECT_NE(e.LocalFileName, nullptr) << e.Url;
  });
  EXPECT_EQ(sizes["http://www.example.com/logo.gif"], 2345u);
  EXPECT_EQ(sizes["http://localhost/"], 700u);
}

// Why the service chooses selectors: the platform lists nothing for a
// wildcard pattern, and hands cookie and history entries to the null
// selector, which the http walk's category filter then passes over.
TEST_F(CleanRealCache, SelectorsOfThePlatform) {
  EXPECT_TRUE(ListUrlCache("http://*.*").empty());
  EXPECT_TRUE(ListUrlCache("cookie:").empty());
  EXPECT_EQ(ListUrlCache("Cookie:").size(), 3u);
  std::set<std::string> listed;
  for (const TListedEntry &entry : ListUrlCache(nullptr))
    listed.insert(entry.Url);
  EXPECT_EQ(listed.size(), SampleCacheEntries().size());
  EXPECT_TRUE(listed.contains("Cookie:john@example.com/"));
  EXPECT_TRUE(listed.contains("Visited: john@about:blank"));
}

TEST_F(CleanRealCache, SweepDeletesAndCountsFileSizes) {
  const TCategoryTotals http = Sweep(Platform, "http://*.*");
  EXPECT_EQ(http.Count, 3u);
  EXPECT_EQ(http.Bytes, 1000u + 2345 + 4000);
  const TCategoryTotals cookies = Sweep(Platform, "Cookie:*.*");
  EXPECT_EQ(cookies.Count, 2u);
  EXPECT_EQ(cookies.Bytes, 0u);
  EXPECT_EQ(SortedCacheUrls(),
            (std::vector<std::string>{"Cookie:john@localhost/", "Visited: john@about:blank",
                                      "Visited: john@http://news.example.org/story/today.html",
                                      "Visited: john@http://www.example.com/index.html",
                                      "http://localhost/"}));
}

TEST_F(CleanRealCache, SweepCountsNothingForALockedEntry) {
  const char *locked = "http://www.example.com/logo.gif";
  std::vector<char> info(8192);
  DWORD size = static_cast<DWORD>(info.size());
  ASSERT_TRUE(RetrieveUrlCacheEntryFileA(
      locked, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(info.data()), &size, 0));
  const TCategoryTotals http = Sweep(Platform, "http://www.example.com/*");
  UnlockUrlCacheEntryFileA(locked, 0);
  EXPECT_EQ(http.Count, 1u);
  EXPECT_EQ(http.Bytes, 1000u);
}

TEST_F(CleanRealCache, WalkGrowsItsBufferForLargeRecords) {
  // Records larger than the walk's first buffer: the platform answers 122
  // with the size, and the walk grows its buffer and fetches again.
  const std::string headers =
      "HTTP/1.1 200 OK\r\nX-Padding: " + std::string(9000, 'p') + "\r\n\r\n";
  SeedHttpEntryWithHeaders("http://big1.example.com/a.htm", 10, headers);
  SeedHttpEntryWithHeaders("http://big2.example.com/b.htm", 20, headers + headers);
  EXPECT_EQ(
      WalkSet(Platform, "http://big*"),
      (std::set<std::string>{"http://big1.example.com/a.htm", "http://big2.example.com/b.htm"}));
  EXPECT_EQ(WalkSet(Platform, "http://*.*").size(), 5u);
}

namespace {

// Two URLs whose keys agree above the flag bits, in different buckets, so
// that the index holds both; none where the keys are not known.
std::optional<std::pair<std::string, std::string>> UrlsSharingAKey() {
  const TWin32System system = TWin32System::Detect(TWin32Api::System());
  if (system.Guard() != TIndexGuard::FreedSlotKeys || !system.IndexKeys) return std::nullopt;
  const TUrlIndexKeys &keys = *system.IndexKeys;
  std::unordered_map<uint32_t, std::string> seen; // by the key's bits above the flags
  for (int i = 0; i < 1'000'000; ++i) {
    std::string url = "http://shared.example.com/" + std::to_string(i);
    const uint32_t key = keys.KeyOf(url);
    const auto [first, fresh] = seen.emplace(key >> TUrlIndexKeys::kFlagBits, url);
    if (!fresh && (keys.KeyOf(first->second) & 63u) != (key & 63u))
      return std::pair{first->second, std::move(url)};
  }
  ADD_FAILURE() << "no two URLs share a key";
  return std::nullopt;
}

} // namespace

// One listing of the content serves every sweep, and each delete is
// checked: under Wine, where the keys are known, by the listing just before
// it, and by a lookup for an entry whose key the walk met before (the second
// of two URLs sharing one); elsewhere by a lookup for each.
TEST_F(CleanRealCache, CleanListsEveryEntryOnceAndChecksEachDelete) {
  const auto shared = UrlsSharingAKey();
  for (const bool https : {false, true}) {
    SCOPED_TRACE(https ? "with the https half" : "http only");
    EmptyUrlCache();
    for (const TSampleEntry &seed : SampleCacheEntries())
      SeedEntry(seed.Url, seed.Size);
    SeedHttpEntry("https://secure.example.com/app.js", 500);
    if (shared) {
      SeedHttpEntry(shared->first, 0);
      SeedHttpEntry(shared->second, 0);
    }
    const size_t listed = ListUrlCache(nullptr).size();
    TFaultyWin32Api faulty;
    TWin32Platform platform(faulty.Api());
    TIENorvane cleaner(platform);
    cleaner.Settings.DeleteCache = cleaner.Settings.DeleteCookies = cleaner.Settings.DeleteHistory =
        true;
    cleaner.Settings.DeleteCacheHttps = https;
    const TCleanTotals totals = cleaner.Clean();

    const uint64_t deleted = totals.Cache.Count + totals.Cookies.Count + totals.History.Count;
    EXPECT_EQ(deleted, (https ? 8u : 7u) + (shared ? 2 : 0)) << "every seeded entry with a dot";
    EXPECT_EQ(totals.Cache.Bytes, 1000u + 2345 + 4000 + (https ? 500 : 0));
    EXPECT_EQ(totals.Cookies.Count, 2u);
    EXPECT_EQ(totals.History.Count, 2u);
    EXPECT_EQ(totals.Cache.NotDeleted + totals.Cookies.NotDeleted + totals.History.NotDeleted, 0u);
    // The cookie and history selectors list nothing here; one listing of
    // the content serves every sweep, the https half's too.
    EXPECT_EQ(faulty.Calls(TWin32Call::FindFirstUrlCacheEntryA), 3u);
    EXPECT_EQ(faulty.Calls(TWin32Call::FindNextUrlCacheEntryA), listed);
    EXPECT_EQ(faulty.Calls(TWin32Call::FindCloseUrlCache), 1u);
    EXPECT_EQ(faulty.Calls(TWin32Call::GetUrlCacheEntryInfoA), shared ? 1u : deleted);
    EXPECT_EQ(faulty.Calls(TWin32Call::DeleteUrlCacheEntryA), deleted);
    EXPECT_EQ(UrlCacheHas("https://secure.example.com/app.js"), !https);
    if (shared) {
      EXPECT_FALSE(UrlCacheHas(shared->first));
      EXPECT_FALSE(UrlCacheHas(shared->second));
    }
  }
}
