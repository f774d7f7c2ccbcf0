// ienorvane preview and clean over the stand-in cache: what each category
// and type lists, the JSON read back, and a clean that deletes exactly what
// the preview announced.
#include <algorithm>
#include <map>

#include "cli_fixture.h"

namespace {

// The seeds listed for one category, in enumeration order.
struct TExpectedCategory {
  const char *Name;
  std::optional<std::string> Pattern; // none: not swept
  std::vector<std::string> Urls;
};

struct TPreviewCase {
  const char *Title;
  std::vector<std::string> Settings;
  TExpectedCategory Cache, Cookies, History;
};

const std::vector<std::string> kAllHttp = {
    "http://www.example.com/index.html", "http://www.example.com/style.css",
    "http://news.site.org/app.js", "HTTP://UPPER.EXAMPLE.NET/X"};
const std::vector<std::string> kAllCookies = {"Cookie:admin@example.com/",
                                              "Cookie:admin@news.site.org/"};
const std::vector<std::string> kAllVisited = {"Visited:admin@http://www.example.com/index.html",
                                              "Visited:admin@http://news.site.org/"};

const std::vector<TPreviewCase> &PreviewCases() {
  static const std::vector<TPreviewCase> cases = {
      {"the defaults, stored",
       {"DeleteCache=1"},
       {"cache", "http://*.*", kAllHttp},
       {"cookies", "Cookie:*.*", kAllCookies},
       {"history", "Visited:*.*", kAllVisited}},
      {"type 1 masks",
       {"DeleteCacheType=1", "CacheMask=www.example.com/*", "DeleteCookiesType=1",
        "CookiesMask=*news*", "DeleteHistoryType=1", "HistoryMask=*@localhost"},
       {"cache",
        "http://www.example.com/*",
        {"http://www.example.com/index.html", "http://www.example.com/style.css"}},
       {"cookies", "Cookie:*news*", {"Cookie:admin@news.site.org/"}},
       {"history", "Visited:*@localhost", {"Visited:admin@localhost"}}},
      {"type 1 mask without a dot reaches what *.* does not",
       {"DeleteCacheType=1", "CacheMask=*", "DeleteCookiesType=1", "CookiesMask=*localhost*"},
       {"cache",
        "http://*",
        {"http://www.example.com/index.html", "http://www.example.com/style.css",
         "http://news.site.org/app.js", "http://localhost/", "HTTP://UPPER.EXAMPLE.NET/X"}},
       {"cookies", "Cookie:*localhost*", {"Cookie:admin@localhost/"}},
       {"history", "Visited:*.*", kAllVisited}},
      {"type 0 ignores a malformed stored mask; other types are not swept",
       {"DeleteCacheType=0", "CacheMask=[", "DeleteCookiesType=2", "CookiesMask=[",
        "DeleteHistoryType=-1"},
       {"cache", "http://*.*", kAllHttp},
       {"cookies", std::nullopt, {}},
       {"history", std::nullopt, {}}},
      {"categories switched off",
       {"DeleteCache=0", "DeleteCookies=1", "DeleteHistory=0"},
       {"cache", std::nullopt, {}},
       {"cookies", "Cookie:*.*", kAllCookies},
       {"history", std::nullopt, {}}},
  };
  return cases;
}

const TCliSeed &SeedOf(const std::string &url) {
  const auto &seeds = CliStandardSeeds();
  return *std::find_if(seeds.begin(), seeds.end(),
                       [&](const TCliSeed &seed) { return seed.Url == url; });
}

uint64_t BytesOf(const std::vector<std::string> &urls) {
  uint64_t bytes = 0;
  for (const std::string &url : urls)
    bytes += SeedOf(url).Size;
  return bytes;
}

// Checks one category of a preview's or a clean's JSON against the seeds.
void ExpectCategoryJson(const TJsonValue &category, const TExpectedCategory &expected) {
  SCOPED_TRACE(expected.Name);
  EXPECT_EQ(category["name"].String(), expected.Name);
  if (expected.Pattern)
    EXPECT_EQ(category["pattern"].String(), *expected.Pattern);
  else
    EXPECT_TRUE(category["pattern"].IsNull());
  const TJsonArray &entries = category["entries"].Array();
  ASSERT_EQ(entries.size(), expected.Urls.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    const TCliSeed &seed = SeedOf(expected.Urls[i]);
    EXPECT_EQ(entries[i]["url"].String(), seed.Url);
    if (!seed.File.empty())
      EXPECT_EQ(entries[i]["file"].String(), seed.File);
    else
      EXPECT_TRUE(entries[i]["file"].IsNull());
    EXPECT_EQ(entries[i]["size"].Unsigned(), seed.Size);
  }
  EXPECT_EQ(category["count"].Unsigned(), expected.Urls.size());
  EXPECT_EQ(category["bytes"].Unsigned(), BytesOf(expected.Urls));
}

void ExpectListingJson(const TJsonValue &document, const TPreviewCase &c) {
  const TJsonArray &categories = document["categories"].Array();
  ASSERT_EQ(categories.size(), 3u);
  ExpectCategoryJson(categories[0], c.Cache);
  ExpectCategoryJson(categories[1], c.Cookies);
  ExpectCategoryJson(categories[2], c.History);
  const uint64_t count = c.Cache.Urls.size() + c.Cookies.Urls.size() + c.History.Urls.size();
  const uint64_t bytes = BytesOf(c.Cache.Urls) + BytesOf(c.Cookies.Urls) + BytesOf(c.History.Urls);
  EXPECT_EQ(document["total"]["count"].Unsigned(), count);
  EXPECT_EQ(document["total"]["bytes"].Unsigned(), bytes);
}

std::vector<std::string> AllListedUrls(const TPreviewCase &c) {
  std::vector<std::string> urls = c.Cache.Urls;
  urls.insert(urls.end(), c.Cookies.Urls.begin(), c.Cookies.Urls.end());
  urls.insert(urls.end(), c.History.Urls.begin(), c.History.Urls.end());
  return urls;
}

TEST_F(CliTest, PreviewListsExactlyWhatEachCategoryAndTypeSelects) {
  for (const TPreviewCase &c : PreviewCases()) {
    SCOPED_TRACE(c.Title);
    WriteSettings(c.Settings);
    const TCliRun run = RunOnSettings("preview", {"--json"});
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    const TJsonValue document = run.Json();
    EXPECT_EQ(document["command"].String(), "preview");
    EXPECT_EQ(document["section"].String(), "IENorvane");
    EXPECT_EQ(document["settings"]["source"].String(), "file");
    ExpectListingJson(document, c);
    EXPECT_EQ(Cache.Urls().size(), CliStandardSeeds().size()) << "a preview deleted something";
    EXPECT_EQ(History.Calls(), 0u);
  }
}

TEST_F(CliTest, PreviewOfOneCategoryListsOnlyIt) {
  WriteSettings({"DeleteCookiesType=1", "CookiesMask=*news*"});
  const TCliRun run = RunOnSettings("preview", {"--category", "cookies", "--json"});
  ASSERT_EQ(run.Code, 0) << run.Err;
  const TJsonValue document = run.Json();
  ASSERT_EQ(document["categories"].Array().size(), 1u);
  ExpectCategoryJson(document["categories"][0],
                     {"cookies", "Cookie:*news*", {"Cookie:admin@news.site.org/"}});
  EXPECT_EQ(document["total"]["count"].Unsigned(), 1u);
  EXPECT_FALSE(document["historyStoreToBeCleared"].Bool()) << "history is not part of it";
}

TEST_F(CliTest, CleanDeletesExactlyWhatThePreviewListed) {
  for (const TPreviewCase &c : PreviewCases()) {
    SCOPED_TRACE(c.Title);
    Cache.RestoreDeleted();
    WriteSettings(c.Settings);
    const uint32_t clearsBefore = History.Clears();
    const TCliRun preview = RunOnSettings("preview", {"--json"});
    const TCliRun clean = RunOnSettings("clean", {"--json"});
    ASSERT_EQ(preview.Code, 0) << preview.Err;
    ASSERT_EQ(clean.Code, 0) << clean.Err;
    const TJsonValue previewed = preview.Json();
    const TJsonValue cleaned = clean.Json();
    EXPECT_EQ(cleaned["command"].String(), "clean");
    ExpectListingJson(cleaned, c);
    // The same entries, in the same order, and the same totals.
    for (size_t i = 0; i < 3; ++i) {
      const TJsonArray &announced = previewed["categories"][i]["entries"].Array();
      const TJsonArray &deleted = cleaned["categories"][i]["entries"].Array();
      ASSERT_EQ(announced.size(), deleted.size());
      for (size_t k = 0; k < announced.size(); ++k)
        EXPECT_EQ(announced[k]["url"].String(), deleted[k]["url"].String());
    }
    const uint64_t bytes = previewed["total"]["bytes"].Unsigned();
    EXPECT_EQ(cleaned["total"]["bytes"].Unsigned(), bytes);
    EXPECT_EQ(cleaned["report"].String(), "Exempted space is " + std::to_string(bytes) + " bytes");
    // The cache lost exactly the listed entries.
    const std::vector<std::string> listed = AllListedUrls(c);
    for (const TCliSeed &seed : CliStandardSeeds()) {
      const bool wasListed = std::find(listed.begin(), listed.end(), seed.Url) != listed.end();
      EXPECT_EQ(Cache.Contains(seed.Url), !wasListed) << seed.Url;
    }
    const bool historyOn =
        std::find(c.Settings.begin(), c.Settings.end(), "DeleteHistory=0") == c.Settings.end();
    EXPECT_EQ(previewed["historyStoreToBeCleared"].Bool(), historyOn);
    // By mask the store forgets only the deleted visits' URLs; else it is emptied.
    const bool historyByMask =
        std::find(c.Settings.begin(), c.Settings.end(), "DeleteHistoryType=1") != c.Settings.end();
    if (historyOn)
      EXPECT_EQ(cleaned["historyStore"]["emptied"].Bool(), !historyByMask);
    else
      EXPECT_TRUE(cleaned["historyStore"].IsNull());
    if (historyOn && historyByMask) {
      EXPECT_TRUE(cleaned["historyStore"]["onlyDeletedVisits"].Bool());
    }
    EXPECT_TRUE(cleaned["complete"].Bool());
    EXPECT_EQ(History.Clears() - clearsBefore, historyOn && !historyByMask ? 1u : 0u);
  }
}

TEST_F(CliTest, TextOutputOfPreviewAndClean) {
  WriteSettings({"DeleteCacheType=1", "CacheMask=www.example.com/*", "DeleteCookies=0",
                 "DeleteHistoryType=2"});
  const std::string rows = "[cache] http://www.example.com/*\n"
                           "  1.2 KiB (1200 bytes)  http://www.example.com/index.html  "
                           "C:\\cache\\A1\\index[1].html\n"
                           "             300 bytes  http://www.example.com/style.css  "
                           "C:\\cache\\A1\\style[1].css\n";
  const TCliRun preview = RunOnSettings("preview");
  ASSERT_EQ(preview.Code, 0) << preview.Err;
  EXPECT_EQ(preview.Out, rows + "  2 entries, 1.5 KiB (1500 bytes)\n"
                                "[cookies] off\n"
                                "[history] type 2, not swept\n"
                                "total: 2 entries, 1.5 KiB (1500 bytes)\n"
                                "history store: to be emptied by a clean\n");
  const TCliRun clean = RunOnSettings("clean");
  ASSERT_EQ(clean.Code, 0) << clean.Err;
  EXPECT_EQ(clean.Out, rows + "  2 entries, 1.5 KiB (1500 bytes) deleted\n"
                              "[cookies] off\n"
                              "[history] type 2, not swept\n"
                              "total: 2 entries, 1.5 KiB (1500 bytes) deleted\n"
                              "history store: emptied\n"
                              "Exempted space is 1500 bytes\n");
  EXPECT_EQ(clean.Err, "");
}

TEST_F(CliTest, EntryWithoutFileIsListedWithDash) {
  WriteSettings({"DeleteCache=0", "DeleteHistory=0", "DeleteCookiesType=1", "CookiesMask=*news*"});
  const TCliRun run = RunOnSettings("preview");
  EXPECT_NE(run.Out.find("\n  0 bytes  Cookie:admin@news.site.org/  -\n"), std::string::npos)
      << run.Out;
}

TEST_F(CliTest, SizesAndTotalsBeyondFourGigabytesStayExact) {
  const uint64_t big = (uint64_t{5} << 30) + 3; // 5 GiB + 3
  Cache.Add("http://big.example.com/disk.img", "C:\\cache\\D4\\disk[1].img", big);
  Cache.Add("http://big.example.com/disk2.img", "C:\\cache\\D4\\disk2[1].img", big);
  WriteSettings(
      {"DeleteCacheType=1", "CacheMask=big.example.com/*", "DeleteCookies=0", "DeleteHistory=0"});
  const TCliRun preview = RunOnSettings("preview", {"--json"});
  ASSERT_EQ(preview.Code, 0);
  EXPECT_EQ(preview.Json()["categories"][0]["entries"][1]["size"].Unsigned(), big);
  EXPECT_EQ(preview.Json()["total"]["bytes"].Unsigned(), 2 * big);
  const TCliRun clean = RunOnSettings("clean", {"--json"});
  ASSERT_EQ(clean.Code, 0);
  EXPECT_EQ(clean.Json()["report"].String(),
            "Exempted space is " + std::to_string(2 * big) + " bytes");
}

TEST_F(CliTest, JsonCarriesAwkwardTextsIntact) {
  // A quote, a backslash, a tab and a Latin-1 byte (the portable build reads
  // texts that are not UTF-8 as Latin-1).
  Cache.Add("http://odd.example.com/a\"b\\c\td\xE9.html", "C:\\cache\\E5\\odd[1].html", 5);
  WriteSettings({"DeleteCacheType=1", "CacheMask=odd.*", "DeleteCookies=0", "DeleteHistory=0"});
  const TCliRun run = RunOnSettings("preview", {"--json"});
  ASSERT_EQ(run.Code, 0);
  EXPECT_EQ(run.Json()["categories"][0]["entries"][0]["url"].String(),
            "http://odd.example.com/a\"b\\c\td\xC3\xA9.html");
}

TEST_F(CliTest, ShowPrintsTheNineSettingsAndTheSummary) {
  WriteSettings({"DeleteCache=1", "DeleteCacheType=1", "CacheMask=*news*", "DeleteCookies=0",
                 "DeleteCookiesType=$10", "DeleteHistory=2", "DeleteHistoryType=2",
                 "HistoryMask="});
  const TCliRun run = RunOnSettings("show");
  ASSERT_EQ(run.Code, 0) << run.Err;
  EXPECT_EQ(run.Out, "DeleteCache=1\nDeleteCacheType=1\nCacheMask=*news*\n"
                     "DeleteCookies=0\nDeleteCookiesType=16\nCookiesMask=*.*\n"
                     "DeleteHistory=1\nDeleteHistoryType=2\nHistoryMask=\n"
                     "summary: http://*news*, Visited:\n"
                     "platform: portable\n");
  EXPECT_EQ(run.Err, "");
}

} // namespace
