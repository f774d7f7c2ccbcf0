// ienorvane.exe against the real URL cache of the Wine prefix: what preview
// lists for each category and type, a clean that deletes exactly that and
// reports what the plug-in reports, and the error exits.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>

#include "CacheSeeder.h"
#include "JsonValue.h"
#include "PlugHostRun.h"

namespace {

struct TSeed {
  const char *Url;
  uint32_t Size;
};

const TSeed kSeeds[] = {
    {"http://www.example.com/index.html", 1000},
    {"Cookie:jane@example.com/", 0},
    {"http://www.example.com/logo.gif", 2345},
    {"Visited: jane@http://www.example.com/index.html", 0},
    {"http://news.example.org/story/today.html", 4000},
    {"Cookie:jane@ads.tracker.net/", 0},
    {"http://localhost/", 700},
    {"Cookie:jane@localhost/", 0},
    {"Visited: jane@http://news.example.org/story/today.html", 0},
    {"Visited: jane@about:blank", 0},
};

const char *const kSection = "IE Norvane";

using TKeys = std::map<std::string, std::string>;

// Seeds the cache afresh; returns the local file of each http entry.
std::map<std::string, std::string> SeedCache() {
  EmptyUrlCache();
  std::map<std::string, std::string> files;
  for (const TSeed &seed : kSeeds) {
    if (std::string(seed.Url).rfind("http://", 0) == 0)
      files[seed.Url] = SeedHttpEntry(seed.Url, seed.Size);
    else
      SeedEntry(seed.Url, seed.Size);
  }
  return files;
}

std::string IniPath() {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "nv-cli.ini";
}

void WriteSettings(const std::string &ini, const TKeys &keys) {
  DeleteFileA(ini.c_str());
  WritePrivateProfileStringA("Host", "Language", "en", ini.c_str());
  for (const auto &[key, value] : keys)
    ASSERT_TRUE(WritePrivateProfileStringA(kSection, key.c_str(), value.c_str(), ini.c_str()));
}

TProgramRun RunCli(const std::string &command, const std::string &ini,
                   const std::string &extra = "") {
  return RunProgram("ienorvane.exe " + command + " --ini \"" + ini + "\" --section \"" + kSection +
                    "\"" + extra);
}

uint32_t SizeOf(const std::string &url) {
  for (const TSeed &seed : kSeeds)
    if (url == seed.Url) return seed.Size;
  ADD_FAILURE() << "not seeded: " << url;
  return 0;
}

std::vector<std::string> Sorted(std::vector<std::string> urls) {
  std::sort(urls.begin(), urls.end());
  return urls;
}

std::vector<std::string> UrlsOf(const TJsonValue &category) {
  std::vector<std::string> urls;
  for (const TJsonValue &entry : category["entries"].Array())
    urls.push_back(entry["url"].String());
  return urls;
}

struct TCategoryExpectation {
  std::optional<std::string> Pattern; // none: not swept
  std::vector<std::string> Urls;      // sorted
};

struct TCliCase {
  const char *Name;
  TKeys Keys;
  TCategoryExpectation Cache, Cookies, History;
};

const std::vector<std::string> kHttpWithDot =
    Sorted({"http://www.example.com/index.html", "http://www.example.com/logo.gif",
            "http://news.example.org/story/today.html"});
const std::vector<std::string> kCookiesWithDot =
    Sorted({"Cookie:jane@example.com/", "Cookie:jane@ads.tracker.net/"});
const std::vector<std::string> kVisitedWithDot =
    Sorted({"Visited: jane@http://www.example.com/index.html",
            "Visited: jane@http://news.example.org/story/today.html"});

const std::vector<TCliCase> &Cases() {
  static const std::vector<TCliCase> cases = {
      {"type 0 everywhere",
       {{"DeleteCache", "1"}, {"DeleteCookies", "1"}, {"DeleteHistory", "1"}},
       {"http://*.*", kHttpWithDot},
       {"Cookie:*.*", kCookiesWithDot},
       {"Visited:*.*", kVisitedWithDot}},
      {"type 1 masks",
       {{"DeleteCacheType", "1"},
        {"CacheMask", "www.example.com/*"},
        {"DeleteCookiesType", "1"},
        {"CookiesMask", "*@ADS.*"},
        {"DeleteHistoryType", "1"},
        {"HistoryMask", "*about:*"}},
       {"http://www.example.com/*",
        Sorted({"http://www.example.com/index.html", "http://www.example.com/logo.gif"})},
       {"Cookie:*@ADS.*", {"Cookie:jane@ads.tracker.net/"}},
       {"Visited:*about:*", {"Visited: jane@about:blank"}}},
      {"type 1 star reaches entries without a dot; type 2 and off are not swept",
       {{"DeleteCacheType", "1"},
        {"CacheMask", "*"},
        {"DeleteCookiesType", "2"},
        {"DeleteHistory", "0"}},
       {"http://*", Sorted({"http://www.example.com/index.html", "http://www.example.com/logo.gif",
                            "http://news.example.org/story/today.html", "http://localhost/"})},
       {std::nullopt, {}},
       {std::nullopt, {}}},
  };
  return cases;
}

void ExpectCategory(const TJsonValue &category, const TCategoryExpectation &expected,
                    const std::map<std::string, std::string> &files) {
  SCOPED_TRACE(category["name"].String());
  if (expected.Pattern)
    EXPECT_EQ(category["pattern"].String(), *expected.Pattern);
  else
    EXPECT_TRUE(category["pattern"].IsNull());
  EXPECT_EQ(Sorted(UrlsOf(category)), expected.Urls);
  uint64_t bytes = 0;
  for (const TJsonValue &entry : category["entries"].Array()) {
    const std::string &url = entry["url"].String();
    EXPECT_EQ(entry["size"].Unsigned(), SizeOf(url)) << url;
    bytes += SizeOf(url);
    auto file = files.find(url);
    if (file != files.end())
      EXPECT_EQ(entry["file"].String(), file->second) << url;
    else
      EXPECT_TRUE(entry["file"].IsNull()) << url;
  }
  EXPECT_EQ(category["count"].Unsigned(), expected.Urls.size());
  EXPECT_EQ(category["bytes"].Unsigned(), bytes);
}

// The JSON document is the first line; notes on standard error may follow.
TJsonValue ParseOutput(const TProgramRun &run) {
  try {
    return TJsonValue::Parse(run.Output.substr(0, run.Output.find('\n')));
  } catch (const std::exception &failure) {
    ADD_FAILURE() << failure.what() << "\n" << run.Output;
    return TJsonValue();
  }
}

} // namespace

TEST(CliExe, PreviewListsWhatEachCategoryAndTypeSelects) {
  const std::string ini = IniPath();
  const auto files = SeedCache();
  const std::vector<std::string> before = SortedCacheUrls();
  for (const TCliCase &c : Cases()) {
    SCOPED_TRACE(c.Name);
    WriteSettings(ini, c.Keys);
    const TProgramRun run = RunCli("preview", ini, " --json");
    ASSERT_EQ(run.ExitCode, 0u) << run.Output;
    const TJsonValue document = ParseOutput(run);
    const TJsonArray &categories = document["categories"].Array();
    ASSERT_EQ(categories.size(), 3u);
    ExpectCategory(categories[0], c.Cache, files);
    ExpectCategory(categories[1], c.Cookies, files);
    ExpectCategory(categories[2], c.History, files);
    EXPECT_EQ(document["total"]["count"].Unsigned(),
              c.Cache.Urls.size() + c.Cookies.Urls.size() + c.History.Urls.size());
    EXPECT_EQ(SortedCacheUrls(), before) << "a preview deleted something";
  }
  DeleteFileA(ini.c_str());
  EmptyUrlCache();
}

TEST(CliExe, CleanDeletesWhatThePreviewListedAndReportsAsThePlugIn) {
  const std::string ini = IniPath();
  for (const TCliCase &c : Cases()) {
    SCOPED_TRACE(c.Name);
    WriteSettings(ini, c.Keys);
    SeedCache();
    const std::vector<std::string> before = SortedCacheUrls();
    const TProgramRun preview = RunCli("preview", ini, " --json");
    const TProgramRun clean = RunCli("clean", ini, " --json");
    ASSERT_EQ(preview.ExitCode, 0u) << preview.Output;
    // Wine's history store answers E_NOTIMPL: a clean with history on is partial.
    const bool historyOn = c.Keys.count("DeleteHistory") == 0 || c.Keys.at("DeleteHistory") == "1";
    ASSERT_EQ(clean.ExitCode, historyOn ? 4u : 0u) << clean.Output;
    const TJsonValue previewed = ParseOutput(preview);
    const TJsonValue cleaned = ParseOutput(clean);
    std::vector<std::string> listed;
    for (size_t i = 0; i < 3; ++i) {
      // The same entries in the same order, and the same totals.
      const std::vector<std::string> announced = UrlsOf(previewed["categories"][i]);
      EXPECT_EQ(UrlsOf(cleaned["categories"][i]), announced);
      EXPECT_EQ(cleaned["categories"][i]["bytes"].Unsigned(),
                previewed["categories"][i]["bytes"].Unsigned());
      listed.insert(listed.end(), announced.begin(), announced.end());
    }
    const uint64_t bytes = previewed["total"]["bytes"].Unsigned();
    EXPECT_EQ(cleaned["total"]["bytes"].Unsigned(), bytes);
    // The cache lost exactly what was listed.
    std::vector<std::string> expectedLeft;
    std::set_difference(before.begin(), before.end(), Sorted(listed).begin(), Sorted(listed).end(),
                        std::back_inserter(expectedLeft));
    EXPECT_EQ(SortedCacheUrls(), expectedLeft);

    // The plug-in, given the same cache and section, reports the same text.
    SeedCache();
    const TProgramRun plugin = RunPlugHostClean(NV_PLUGIN_DLL, ini, kSection);
    EXPECT_NE(plugin.Output.find("text: [" + cleaned["report"].String() + "]"), std::string::npos)
        << plugin.Output << "\nienorvane: " << cleaned["report"].String();
    EXPECT_EQ(cleaned["report"].String(), "Exempted space is " + std::to_string(bytes) + " bytes");
  }
  DeleteFileA(ini.c_str());
  EmptyUrlCache();
}

TEST(CliExe, TextOutputListsRowsAndTotals) {
  const std::string ini = IniPath();
  const auto files = SeedCache();
  WriteSettings(ini, {{"DeleteCacheType", "1"},
                      {"CacheMask", "news.*"},
                      {"DeleteCookies", "0"},
                      {"DeleteHistoryType", "2"}});
  const TProgramRun run = RunCli("preview", ini);
  EXPECT_EQ(run.ExitCode, 0u);
  EXPECT_EQ(run.Output, "[cache] http://news.*\r\n"
                        "  3.9 KiB (4000 bytes)  http://news.example.org/story/today.html  " +
                            files.at("http://news.example.org/story/today.html") +
                            "\r\n"
                            "  1 entry, 3.9 KiB (4000 bytes)\r\n"
                            "[cookies] off\r\n"
                            "[history] type 2, not swept\r\n"
                            "total: 1 entry, 3.9 KiB (4000 bytes)\r\n"
                            "history store: to be emptied by a clean\r\n");
  DeleteFileA(ini.c_str());
  EmptyUrlCache();
}

TEST(CliExe, ErrorsExitWithTheirCodes) {
  const std::string ini = IniPath();
  SeedCache();
  const std::vector<std::string> before = SortedCacheUrls();

  WriteSettings(ini, {{"DeleteCookiesType", "1"}, {"CookiesMask", "*[-a]"}});
  const TProgramRun malformed = RunCli("preview", ini);
  EXPECT_EQ(malformed.ExitCode, 3u);
  EXPECT_NE(malformed.Output.find("malformed cookies mask (CookiesMask): pattern 'Cookie:*[-a]', "
                                  "position 10: 'Cookie:*[-a]' is an invalid mask at (10)"),
            std::string::npos)
      << malformed.Output;

  const TProgramRun badOption = RunCli("preview", ini, " --colour");
  EXPECT_EQ(badOption.ExitCode, 2u);
  EXPECT_EQ(badOption.Output, "ienorvane: unknown option '--colour'; see 'ienorvane --help'\r\n");

  const TProgramRun help = RunProgram("ienorvane.exe --help");
  EXPECT_EQ(help.ExitCode, 0u);
  EXPECT_NE(help.Output.find("Exit codes:"), std::string::npos);

  DeleteFileA(ini.c_str());
  const TProgramRun missing = RunCli("show", ini);
  EXPECT_EQ(missing.ExitCode, 5u);
  EXPECT_NE(missing.Output.find("INI file '" + ini + "' does not exist; give --defaults"),
            std::string::npos)
      << missing.Output;
  const TProgramRun defaults = RunCli("show", ini, " --defaults");
  EXPECT_EQ(defaults.ExitCode, 0u);
  EXPECT_NE(defaults.Output.find("summary: http://*.*, Cookie:*.*, Visited:*.*"),
            std::string::npos);
  EXPECT_EQ(GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES) << "show created the file";

  // A name without a folder is looked for in the Windows directory, as the
  // platform's INI services do.
  ASSERT_TRUE(WritePrivateProfileStringA("S", "DeleteCache", "0", "nv-cli-bare.ini"));
  const TProgramRun bare = RunProgram("ienorvane.exe show --ini nv-cli-bare.ini --section S");
  EXPECT_EQ(bare.ExitCode, 0u);
  EXPECT_EQ(bare.Output.rfind("DeleteCache=0\r\n", 0), 0u) << bare.Output;
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  DeleteFileA((std::string(windows) + "\\nv-cli-bare.ini").c_str());

  EXPECT_EQ(SortedCacheUrls(), before) << "a failing command deleted something";

  // A clean with a malformed cookie mask deletes nothing, not even the
  // cache that a plug-in's clean sweeps before the cookies.
  WriteSettings(ini, {{"DeleteCookiesType", "1"}, {"CookiesMask", "*[-a]"}});
  const TProgramRun clean = RunCli("clean", ini, " --json");
  EXPECT_EQ(clean.ExitCode, 3u);
  EXPECT_EQ(SortedCacheUrls(), before);
  const TJsonValue document = ParseOutput(clean);
  EXPECT_EQ(document["error"]["masks"][0]["position"].Unsigned(), 10u);
  DeleteFileA(ini.c_str());
  EmptyUrlCache();
}

TEST(CliExe, JsonTextsAreUtf8FromTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "the check is written for code page 1252";
  const std::string ini = IniPath();
  EmptyUrlCache();
  const std::string url = "http://www.example.com/caf\xE9.html"; // "café" in code page 1252
  SeedHttpEntry(url, 10);
  ASSERT_TRUE(UrlCacheHas(url)) << "the platform changed the URL";
  WriteSettings(ini, {{"DeleteCookies", "0"}, {"DeleteHistory", "0"}});
  const TProgramRun run = RunCli("preview", ini, " --json");
  ASSERT_EQ(run.ExitCode, 0u) << run.Output;
  const TJsonValue document = ParseOutput(run);
  EXPECT_EQ(document["categories"][0]["entries"][0]["url"].String(),
            "http://www.example.com/caf\xC3\xA9.html");
  DeleteFileA(ini.c_str());
  EmptyUrlCache();
}

TEST(CliExe, KeptSitesAndTheHttpsHalfOnTheRealCache) {
  const std::string ini = IniPath();
  WriteSettings(ini, {{"DeleteCache", "1"},
                      {"DeleteCookies", "1"},
                      {"DeleteHistory", "0"},
                      {"DeleteCacheHttps", "1"}});
  const TProgramRun added = RunCli("keep add", ini, " example.com");
  ASSERT_EQ(added.ExitCode, 0u) << added.Output;
  char stored[64] = "";
  GetPrivateProfileStringA(kSection, "KeepSites", "", stored, sizeof stored, ini.c_str());
  EXPECT_STREQ(stored, "example.com");
  GetPrivateProfileStringA("Host", "Language", "", stored, sizeof stored, ini.c_str());
  EXPECT_STREQ(stored, "en") << "the host's section is untouched";

  const auto seedAll = [] {
    SeedCache();
    SeedHttpEntry("https://secure.example.org/app.js", 500);
    SeedHttpEntry("https://www.example.com/private.js", 77);
    SeedHttpEntry("ftp://files.example.net/c.txt", 30);
  };
  seedAll();
  const TProgramRun clean = RunCli("clean", ini, " --json");
  ASSERT_EQ(clean.ExitCode, 0u) << clean.Output;
  const TJsonValue cleaned = ParseOutput(clean);
  const TJsonValue &cache = cleaned["categories"][0];
  EXPECT_EQ(Sorted(UrlsOf(cache)), Sorted({"http://news.example.org/story/today.html",
                                           "https://secure.example.org/app.js"}));
  EXPECT_EQ(cache["kept"]["count"].Unsigned(), 3u);
  EXPECT_EQ(cache["kept"]["bytes"].Unsigned(), 1000u + 2345u + 77u);
  EXPECT_EQ(cleaned["categories"][1]["kept"]["sites"]["example.com"].Unsigned(), 1u);
  EXPECT_EQ(cleaned["report"].String(), "Exempted space is 4500 bytes");
  for (const char *kept : {"http://www.example.com/index.html", "http://www.example.com/logo.gif",
                           "https://www.example.com/private.js", "Cookie:jane@example.com/",
                           "ftp://files.example.net/c.txt", "http://localhost/"})
    EXPECT_TRUE(UrlCacheHas(kept)) << kept;
  for (const char *gone : {"https://secure.example.org/app.js", "Cookie:jane@ads.tracker.net/"})
    EXPECT_FALSE(UrlCacheHas(gone)) << gone;

  // The plug-in, on the same cache and section, deletes and reports the same.
  seedAll();
  const TProgramRun plugin = RunPlugHostClean(NV_PLUGIN_DLL, ini, kSection);
  EXPECT_NE(plugin.Output.find("text: [Exempted space is 4500 bytes]"), std::string::npos)
      << plugin.Output;
  EXPECT_TRUE(UrlCacheHas("https://www.example.com/private.js"));

  // A malformed list: the plug-in fails and deletes nothing.
  WritePrivateProfileStringA(kSection, "KeepSites", "example.com;bad/site", ini.c_str());
  seedAll();
  const std::vector<std::string> before = SortedCacheUrls();
  const TProgramRun refused = RunPlugHostClean(NV_PLUGIN_DLL, ini, kSection);
  EXPECT_NE(refused.Output.find("result: false"), std::string::npos) << refused.Output;
  EXPECT_EQ(SortedCacheUrls(), before);
  EXPECT_EQ(RunCli("clean", ini).ExitCode, 3u);
  EXPECT_EQ(SortedCacheUrls(), before);
  DeleteFileA(ini.c_str());
  EmptyUrlCache();
}
