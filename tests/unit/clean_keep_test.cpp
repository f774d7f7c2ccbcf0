// The cache's https half and the sites to keep in the clean's steps, over the
// in-memory cache listed both ways (the cookie and history containers with
// the content, as Wine, or apart, as Windows documents): what each sweep
// selects, what a site holds back and how it is counted, what a malformed
// keep list stops, and how the history store is emptied with sites to keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "clean_fixture.h"

namespace {

using TListing = TMemoryUrlCache::TListing;
constexpr TListing kListings[] = {TListing::WithContent, TListing::Apart};

// Every size a power of two, so that a sum of sizes names its entries.
const std::vector<TSeed> kCache = {
    {"http://www.example.com/a.htm", 1, "C:\\c\\a.htm"},
    {"Cookie:john@example.com/", 2},
    {"https://www.example.com/b.js", 4, "C:\\c\\b.js"},
    {"http://badexample.com/c.gif", 8},
    {"Visited: john@https://www.example.com/b.js", 16},
    {"https://secure.bank.test/login", 32},
    {"Cookie:john@bank.test/", 64},
    {"ftp://files.example.com/x.zip", 128},
    {"HTTPS://UPPER.EXAMPLE.NET/U.HTM", 256},
    {"https://localhost/", 512}, // no "."
    {"http://news.example.org/c.gif", 1024},
    {"Visited: john@http://news.example.org/c.gif", 2048},
    {"Cookie:john@ads.tracker.net/", 4096},
    {"https://news.example.org/d.htm", 8192},
};

const std::vector<std::string> kHttpAll = {
    "http://www.example.com/a.htm", "http://badexample.com/c.gif", "http://news.example.org/c.gif"};
const std::vector<std::string> kCookiesAll = {"Cookie:john@example.com/", "Cookie:john@bank.test/",
                                              "Cookie:john@ads.tracker.net/"};
const std::vector<std::string> kHistoryAll = {"Visited: john@https://www.example.com/b.js",
                                              "Visited: john@http://news.example.org/c.gif"};

uint64_t SizeOf(const std::string &url) {
  for (const TSeed &seed : kCache)
    if (seed.Url == url) return seed.Size;
  ADD_FAILURE() << "not in the cache: " << url;
  return 0;
}

std::vector<std::string> UrlsOf(const std::vector<TCacheEntry> &entries) {
  std::vector<std::string> urls;
  for (const TCacheEntry &entry : entries)
    urls.push_back(entry.Url);
  return urls;
}

std::vector<std::string> UrlsOf(const std::vector<TKeptEntry> &entries) {
  std::vector<std::string> urls;
  for (const TKeptEntry &entry : entries)
    urls.push_back(entry.Entry.Url);
  return urls;
}

// The seeded cache less `gone`, in its order.
std::vector<std::string> CacheWithout(const std::vector<std::string> &gone) {
  std::vector<std::string> left;
  for (const TSeed &seed : kCache)
    if (std::find(gone.begin(), gone.end(), seed.Url) == gone.end()) left.push_back(seed.Url);
  return left;
}

class TSeededPlatform : public TCleanPlatform {
public:
  explicit TSeededPlatform(TListing listing) : TCleanPlatform(listing) {
    for (const TSeed &seed : kCache)
      Cache.Add(seed.Url, seed.File, seed.Size);
  }
};

// A cleaner over `platform` with every category on, type All, the cache's
// https half as given.
TIENorvane AllOn(IPlatform &platform, bool https) {
  TIENorvane cleaner(platform);
  cleaner.Settings.DeleteCache = cleaner.Settings.DeleteCookies = cleaner.Settings.DeleteHistory =
      true;
  cleaner.Settings.DeleteCacheHttps = https;
  return cleaner;
}

// "site:count" per site, in the order first met.
std::vector<std::string> SiteCounts(const TKeptTotals &kept) {
  std::vector<std::string> sites;
  for (const TKeptSite &site : kept.Sites)
    sites.push_back(site.Site + ":" + std::to_string(site.Count));
  return sites;
}

// One sweep as a selection should hold it.
struct TExpectedSweep {
  std::string Pattern;
  std::vector<std::string> Urls;
};

TEST(CleanHttps, CacheSweepsTheHttpsHalfAfterTheHttpHalf) {
  const struct {
    const char *Name;
    int32_t Type;
    const char *Mask;
    bool Https;
    std::vector<TExpectedSweep> Cache; // the cache's sweeps
  } cases[] = {
      {"type 0 with https",
       0,
       "[ignored",
       true,
       {{"http://*.*", kHttpAll},
        {"https://*.*",
         {"https://www.example.com/b.js", "https://secure.bank.test/login",
          "HTTPS://UPPER.EXAMPLE.NET/U.HTM", "https://news.example.org/d.htm"}}}},
      {"type 0 without https", 0, "", false, {{"http://*.*", kHttpAll}}},
      {"mask on both halves",
       1,
       "*example*",
       true,
       {{"http://*example*", kHttpAll},
        {"https://*example*",
         {"https://www.example.com/b.js", "HTTPS://UPPER.EXAMPLE.NET/U.HTM",
          "https://news.example.org/d.htm"}}}},
      {"mask of one site",
       1,
       "www.*",
       true,
       {{"http://www.*", {"http://www.example.com/a.htm"}},
        {"https://www.*", {"https://www.example.com/b.js"}}}},
      {"mask needing no dot",
       1,
       "*",
       true,
       {{"http://*", kHttpAll},
        {"https://*",
         {"https://www.example.com/b.js", "https://secure.bank.test/login",
          "HTTPS://UPPER.EXAMPLE.NET/U.HTM", "https://localhost/",
          "https://news.example.org/d.htm"}}}},
      {"mask only the https half selects",
       1,
       "s*",
       true,
       {{"http://s*", {}}, {"https://s*", {"https://secure.bank.test/login"}}}},
      {"type 2 sweeps neither half", 2, "*", true, {}},
  };
  for (const auto &c : cases)
    for (TListing listing : kListings) {
      SCOPED_TRACE(std::string(c.Name) + (listing == TListing::Apart ? ", apart" : ", with"));
      TSeededPlatform platform(listing);
      TIENorvane cleaner = AllOn(platform, c.Https);
      cleaner.Settings.DeleteCacheType = SweepTypeOf(c.Type);
      cleaner.Settings.CacheMask = c.Mask;

      std::vector<TExpectedSweep> expected = c.Cache;
      expected.push_back({"Cookie:*.*", kCookiesAll});
      expected.push_back({"Visited:*.*", kHistoryAll});
      const TSelection selection = cleaner.Select();
      ASSERT_EQ(selection.Sweeps.size(), expected.size());
      std::vector<std::string> selected;
      uint64_t cacheBytes = 0, cacheCount = 0;
      for (size_t i = 0; i < expected.size(); ++i) {
        const TSelectedCategory &part = selection.Sweeps[i];
        EXPECT_EQ(part.Pattern, expected[i].Pattern);
        EXPECT_EQ(UrlsOf(part.Entries), expected[i].Urls) << part.Pattern;
        EXPECT_EQ(part.Category,
                  i < c.Cache.size() ? TCategory::Cache : CategoryOfPattern(part.Pattern));
        EXPECT_TRUE(part.KeptEntries.empty());
        selected.insert(selected.end(), expected[i].Urls.begin(), expected[i].Urls.end());
        if (part.Category == TCategory::Cache)
          for (const std::string &url : expected[i].Urls)
            cacheBytes += SizeOf(url), ++cacheCount;
      }
      EXPECT_EQ(platform.Cache.Urls().size(), kCache.size()) << "a selection deletes nothing";

      // Clean() deletes the same entries; so does the select and delete
      // in one walk, which chooses what the selection chose.
      TSeededPlatform cleaned(listing);
      TIENorvane oneStep = AllOn(cleaned, c.Https);
      oneStep.Settings.DeleteCacheType = cleaner.Settings.DeleteCacheType;
      oneStep.Settings.CacheMask = c.Mask;
      const TCleanTotals totals = oneStep.Clean();
      EXPECT_EQ(cleaned.Cache.Urls(), CacheWithout(selected));
      EXPECT_EQ(totals.Cache.Count, cacheCount);
      EXPECT_EQ(totals.Cache.Bytes, cacheBytes);
      EXPECT_EQ(totals.Cookies.Count, kCookiesAll.size());
      EXPECT_EQ(totals.History.Count, kHistoryAll.size());
      const TCleanRun stepwise = cleaner.SelectAndDelete();
      EXPECT_EQ(platform.Cache.Urls(), cleaned.Cache.Urls());
      EXPECT_EQ(stepwise.Totals.FreedBytes(), totals.FreedBytes());
      EXPECT_EQ(stepwise.Selection.EntryCount(), selection.EntryCount());
      // Two content listings at most, each entry once in each; and the
      // cookie and history containers once more when listed apart.
      EXPECT_LE(cleaned.Cache.Calls().Next,
                2 * (kCache.size() + 1) + (listing == TListing::Apart ? 2 * 4 : 0));
      EXPECT_EQ(cleaned.Cache.OpenEnumerations(), 0u);
    }
}

// Only the sweeps' category filter keeps the entries of the other containers
// away from the https half's match: a malformed mask that no content entry
// reaches raises nothing. A content entry reaches the http half first, which
// stops the selection before the https half runs.
TEST(CleanHttps, MalformedMaskRaisesOnlyWhereAContentEntryReachesIt) {
  for (TListing listing : kListings) {
    SCOPED_TRACE(listing == TListing::Apart ? "apart" : "with the content");
    const std::vector<TSeed> others = {{"Cookie:john@example.com/", 1},
                                       {"Visited: john@https://a.example.com/", 2}};
    TCleanPlatform platform(listing);
    for (const TSeed &seed : others)
      platform.Cache.Add(seed.Url, seed.File, seed.Size);
    TIENorvane cleaner = AllOn(platform, true);
    cleaner.Settings.DeleteCacheType = TSweepType::ByMask;
    cleaner.Settings.CacheMask = "[";
    const TSelection quiet = cleaner.Select();
    EXPECT_FALSE(quiet.Fault.has_value());
    EXPECT_EQ(quiet.Sweeps.size(), 4u);
    EXPECT_EQ(quiet.EntryCount(), 2u);

    platform.Cache.Add("https://a.example.com/", std::nullopt, 4);
    const TSelection stopped = cleaner.Select();
    ASSERT_TRUE(stopped.Fault.has_value());
    EXPECT_EQ(stopped.Fault->Pattern, "http://[");
    EXPECT_EQ(stopped.Fault->Category, TCategory::Cache);
    EXPECT_EQ(stopped.Sweeps.size(), 1u) << "the sweeps after the http half did not run";
    EXPECT_THROW(cleaner.Clean(), EMaskException);
    EXPECT_EQ(platform.Cache.Urls().size(), 3u);
    EXPECT_EQ(platform.HistoryStore.Calls() + platform.HistoryStore.Walks(), 0u);
  }
}

TEST(CleanKeep, SitesHoldBackTheirEntriesInEveryCategory) {
  const std::vector<std::string> storeUrls = {"http://www.example.com/", "https://mail.bank.test/x",
                                              "http://news.example.org/"};
  struct TKept {
    std::vector<std::string> Sites; // "site:count"
    uint64_t Bytes;
  };
  const struct {
    const char *Keep;
    TKept Cache, Cookies, History;
    std::vector<std::string> KeptUrls;  // the cache's entries held back, in any order
    std::vector<std::string> StoreLeft; // what the history store holds afterwards
    bool Walked;                        // the history store was walked, not emptied whole
  } cases[] = {
      {"example.com; bank.test",
       {{"example.com:2", "bank.test:1"}, 1 + 4 + 32},
       {{"example.com:1", "bank.test:1"}, 2 + 64},
       {{"example.com:1"}, 16},
       {"http://www.example.com/a.htm", "Cookie:john@example.com/", "https://www.example.com/b.js",
        "Visited: john@https://www.example.com/b.js", "https://secure.bank.test/login",
        "Cookie:john@bank.test/"},
       {"http://www.example.com/", "https://mail.bank.test/x"},
       true},
      {"*.EXAMPLE.org",
       {{"*.EXAMPLE.org:2"}, 1024 + 8192},
       {{}, 0},
       {{"*.EXAMPLE.org:1"}, 2048},
       {"http://news.example.org/c.gif", "Visited: john@http://news.example.org/c.gif",
        "https://news.example.org/d.htm"},
       {"http://news.example.org/"},
       true},
      {"www.example.com;example.com",
       {{"www.example.com:2"}, 1 + 4},
       {{"example.com:1"}, 2},
       {{"www.example.com:1"}, 16},
       {"http://www.example.com/a.htm", "Cookie:john@example.com/", "https://www.example.com/b.js",
        "Visited: john@https://www.example.com/b.js"},
       {"http://www.example.com/"},
       true},
      {"nothing.invalid", {{}, 0}, {{}, 0}, {{}, 0}, {}, {}, true},
      {"", {{}, 0}, {{}, 0}, {{}, 0}, {}, {}, false},
      {" ; ;", {{}, 0}, {{}, 0}, {{}, 0}, {}, {}, false},
  };
  for (const auto &c : cases)
    for (TListing listing : kListings) {
      SCOPED_TRACE(std::string("'") + c.Keep + (listing == TListing::Apart ? "', apart" : "'"));
      std::vector<std::string> selectedAll = kHttpAll;
      for (const char *url : {"https://www.example.com/b.js", "https://secure.bank.test/login",
                              "HTTPS://UPPER.EXAMPLE.NET/U.HTM", "https://news.example.org/d.htm"})
        selectedAll.push_back(url);
      selectedAll.insert(selectedAll.end(), kCookiesAll.begin(), kCookiesAll.end());
      selectedAll.insert(selectedAll.end(), kHistoryAll.begin(), kHistoryAll.end());
      std::vector<std::string> deleted;
      uint64_t freed = 0;
      for (const std::string &url : selectedAll)
        if (std::find(c.KeptUrls.begin(), c.KeptUrls.end(), url) == c.KeptUrls.end())
          deleted.push_back(url), freed += SizeOf(url);
      const std::vector<std::string> left = CacheWithout(deleted);

      // Select, then delete what was selected, then empty the history store.
      TSeededPlatform stepped(listing);
      stepped.HistoryStore.Urls = storeUrls;
      TIENorvane cleaner = AllOn(stepped, true);
      cleaner.Settings.KeepSites = c.Keep;
      const TSelection selection = cleaner.Select();
      std::vector<std::string> kept, chosen;
      for (const TSelectedCategory &part : selection.Sweeps) {
        const std::vector<std::string> partKept = UrlsOf(part.KeptEntries);
        kept.insert(kept.end(), partKept.begin(), partKept.end());
        EXPECT_EQ(part.Kept.Count, partKept.size()) << part.Pattern;
        for (const TKeptEntry &entry : part.KeptEntries)
          EXPECT_TRUE(cleaner.SitesToKeep().Lists(entry.Site)) << entry.Site;
        const std::vector<std::string> partChosen = UrlsOf(part.Entries);
        chosen.insert(chosen.end(), partChosen.begin(), partChosen.end());
      }
      std::sort(kept.begin(), kept.end());
      std::vector<std::string> keptExpected = c.KeptUrls;
      std::sort(keptExpected.begin(), keptExpected.end());
      EXPECT_EQ(kept, keptExpected);
      EXPECT_EQ(chosen, deleted);
      const std::pair<TCategory, const TKept *> expectedKept[] = {{TCategory::Cache, &c.Cache},
                                                                  {TCategory::Cookies, &c.Cookies},
                                                                  {TCategory::History, &c.History}};
      for (const auto &[category, expectation] : expectedKept) {
        const TKeptTotals totals = selection.KeptOf(category);
        EXPECT_EQ(SiteCounts(totals), expectation->Sites) << CategoryPrefix(category);
        EXPECT_EQ(totals.Bytes, expectation->Bytes) << CategoryPrefix(category);
      }
      const TCleanRun run = cleaner.SelectAndDelete();
      EXPECT_EQ(run.Selection.EntryCount(), selection.EntryCount());
      const TCleanTotals &deletedTotals = run.Totals;
      EXPECT_EQ(deletedTotals.FreedBytes(), freed);
      for (const auto &[category, expectation] : expectedKept) {
        EXPECT_EQ(SiteCounts(deletedTotals.Of(category).Kept), expectation->Sites);
        EXPECT_EQ(deletedTotals.Of(category).Kept.Bytes, expectation->Bytes);
      }
      EXPECT_EQ(stepped.Cache.Urls(), left);
      const std::optional<THistoryAnswer> answer = cleaner.EmptyHistoryStore();
      ASSERT_TRUE(answer.has_value());
      EXPECT_TRUE(answer->Cleared());
      EXPECT_EQ(answer->Walked, c.Walked);
      EXPECT_EQ(stepped.HistoryStore.Urls, c.StoreLeft);
      EXPECT_EQ(stepped.HistoryStore.Calls(), c.Walked ? 0u : 1u) << "emptied whole";
      EXPECT_EQ(stepped.HistoryStore.Walks(), c.Walked ? 1u : 0u);
      if (c.Walked) {
        EXPECT_EQ(answer->Left, c.StoreLeft.size());
        EXPECT_EQ(answer->Deleted, storeUrls.size() - c.StoreLeft.size());
      }

      // Clean(): the same deletes, the same counts.
      TSeededPlatform whole(listing);
      whole.HistoryStore.Urls = storeUrls;
      TIENorvane oneStep = AllOn(whole, true);
      oneStep.Settings.KeepSites = c.Keep;
      const TCleanTotals totals = oneStep.Clean();
      EXPECT_EQ(whole.Cache.Urls(), left);
      EXPECT_EQ(totals.FreedBytes(), freed);
      for (const auto &[category, expectation] : expectedKept) {
        EXPECT_EQ(SiteCounts(totals.Of(category).Kept), expectation->Sites);
        EXPECT_EQ(totals.Of(category).Kept.Bytes, expectation->Bytes);
        EXPECT_EQ(totals.Of(category).Kept.Count, selection.KeptOf(category).Count);
        EXPECT_EQ(totals.Of(category).Count, deletedTotals.Of(category).Count);
      }
      ASSERT_TRUE(totals.HistoryStore.has_value());
      EXPECT_EQ(totals.HistoryStore->Walked, c.Walked);
      EXPECT_EQ(whole.HistoryStore.Urls, c.StoreLeft);
      EXPECT_EQ(whole.HistoryStore.Calls(), c.Walked ? 0u : 1u);
    }
}

TEST(CleanKeep, MalformedListDeletesNothing) {
  for (const char *keep : {"example.com;mail/x", "*", "a..b", "example.com."}) {
    SCOPED_TRACE(keep);
    TSeededPlatform platform(TListing::WithContent);
    platform.HistoryStore.Urls = {"http://www.example.com/"};
    TIENorvane cleaner = AllOn(platform, true);
    cleaner.Settings.KeepSites = keep;
    EXPECT_THROW(cleaner.Select(), EKeepSitesException);
    EXPECT_THROW(cleaner.Select(TCategory::Cookies), EKeepSitesException);
    EXPECT_THROW(cleaner.Clean(), EKeepSitesException);
    EXPECT_THROW(cleaner.EmptyHistoryStore(), EKeepSitesException);
    EXPECT_EQ(platform.Cache.Calls().Total(), 0u) << "the list is checked before any walk";
    EXPECT_EQ(platform.Cache.Urls().size(), kCache.size());
    EXPECT_EQ(platform.HistoryStore.Calls() + platform.HistoryStore.Walks(), 0u);
    EXPECT_EQ(platform.HistoryStore.Urls.size(), 1u);
    // With history off the store is not asked, and the list not read.
    cleaner.Settings.DeleteHistory = false;
    EXPECT_FALSE(cleaner.EmptyHistoryStore().has_value());
  }
}

TEST(CleanKeep, HistoryStoreThatCannotBeWalkedIsLeftAlone) {
  TSeededPlatform platform(TListing::WithContent);
  platform.HistoryStore.Urls = {"http://www.example.com/", "http://news.example.org/"};
  platform.HistoryStore.FailWith(TRecordingHistoryStore::TFailure::NotImplemented);
  TIENorvane cleaner = AllOn(platform, false);
  cleaner.Settings.KeepSites = "example.com";
  const TCleanTotals totals = cleaner.Clean();
  ASSERT_TRUE(totals.HistoryStore.has_value());
  EXPECT_TRUE(totals.HistoryStore->Walked);
  EXPECT_EQ(totals.HistoryStore->Code, TRecordingHistoryStore::kNotImplemented);
  EXPECT_FALSE(totals.HistoryStore->Cleared());
  EXPECT_EQ(platform.HistoryStore.Urls.size(), 2u);
  EXPECT_EQ(platform.HistoryStore.Calls(), 0u);
  EXPECT_FALSE(platform.Cache.Contains("Visited: john@http://news.example.org/c.gif"));
  EXPECT_TRUE(platform.Cache.Contains("Visited: john@https://www.example.com/b.js"));
}

// The history store forgets no more than the clean selected: with history
// by mask only the URLs of the visits it deleted (the URL after "user@"),
// whatever a site to keep holds back; otherwise it is emptied whole, or but
// for the kept sites' URLs. Both ways of cleaning alike.
TEST(CleanHistoryStore, ForgetsOnlyWhatTheCleanSelected) {
  const std::vector<std::string> store = {
      "https://www.example.com/b.js", "http://news.example.org/c.gif", "http://www.facebook.com/",
      "http://unrelated.example.net/"};
  const struct {
    const char *Name;
    int Type;
    const char *Mask, *Keep;
    std::vector<std::string> Left;
    bool Walked;
  } cases[] = {
      {"every visit", 0, "", "", {}, false},
      {"every visit, a site kept", 0, "", "example.com", {"https://www.example.com/b.js"}, true},
      {"by mask", 1, "*news*", "", {store[0], store[2], store[3]}, true},
      {"by a mask no visit matches", 1, "*facebook*", "", store, true},
      {"by mask, a site kept", 1, "*", "example.org", {store[1], store[2], store[3]}, true},
      {"a type no clean sweeps", 2, "", "", {}, false},
  };
  for (const auto &c : cases)
    for (const bool stepped : {false, true}) {
      SCOPED_TRACE(std::string(c.Name) + (stepped ? ", step by step" : ", by Clean()"));
      TSeededPlatform platform(TListing::WithContent);
      platform.HistoryStore.Urls = store;
      TIENorvane cleaner = AllOn(platform, false);
      cleaner.Settings.DeleteCache = cleaner.Settings.DeleteCookies = false;
      cleaner.Settings.DeleteHistoryType = SweepTypeOf(c.Type);
      cleaner.Settings.HistoryMask = c.Mask;
      cleaner.Settings.KeepSites = c.Keep;
      std::optional<THistoryAnswer> answer;
      if (stepped) {
        answer = cleaner.EmptyHistoryStore(cleaner.SelectAndDelete().Totals);
      } else {
        answer = cleaner.Clean().HistoryStore;
      }
      ASSERT_TRUE(answer.has_value());
      EXPECT_TRUE(answer->Cleared());
      EXPECT_EQ(platform.HistoryStore.Urls, c.Left);
      EXPECT_EQ(answer->Walked, c.Walked);
      EXPECT_EQ(answer->OnlyDeletedVisits, c.Type == 1);
      EXPECT_EQ(platform.HistoryStore.Clears(), c.Walked ? 0u : 1u);
      if (c.Walked) {
        EXPECT_EQ(answer->Deleted, store.size() - c.Left.size());
      }
    }
}

TEST(CleanHttps, SummaryNamesTheHttpsHalfAfterTheHttpHalf) {
  TCleanPlatform platform;
  const struct {
    bool Cache, Https, Cookies;
    const char *Mask;
    const char *Summary;
  } cases[] = {
      {true, true, true, "*.gif", "http://*.gif, https://*.gif, Cookie:*.*"},
      {true, false, true, "*.gif", "http://*.gif, Cookie:*.*"},
      {false, true, true, "*.gif", "Cookie:*.*"},
      {true, true, false, "", "http://, https://"},
      {false, true, false, "*", ""},
  };
  for (const auto &c : cases) {
    TIENorvane cleaner(platform);
    cleaner.Settings.DeleteCache = c.Cache, cleaner.Settings.DeleteCacheHttps = c.Https;
    cleaner.Settings.DeleteCookies = c.Cookies, cleaner.Settings.CookiesMask = "*.*";
    cleaner.Settings.CacheMask = c.Mask;
    EXPECT_EQ(SummaryText(cleaner.Settings), c.Summary);
  }
}

TEST(CleanHttps, OtherSchemesAreTheContentEntriesNotOfHttp) {
  for (TListing listing : kListings) {
    TSeededPlatform platform(listing);
    platform.Cache.Add("HTTP://UPPER.EXAMPLE.COM/", std::nullopt, 1u << 20);
    TIENorvane cleaner(platform);
    cleaner.Settings.DeleteCache = true; // http only, the selection passes the rest by
    const TSchemeTotals others = cleaner.Select(TCategory::Cache).OtherSchemes.value();
    // https (five entries, one without a dot) and ftp; not cookies, visited
    // pages, nor http in any case.
    EXPECT_EQ(others.Count, 6u);
    EXPECT_EQ(others.Bytes, 4u + 32 + 128 + 256 + 512 + 8192);
    EXPECT_EQ(platform.Cache.OpenEnumerations(), 0u);
  }
}

} // namespace
