// The real DLL cleaning the real cache, called by plughost as a host calls
// it: INI sections of each kind, the entries deleted and left, the report.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "CacheSeeder.h"
#include "MaskOracle.h"
#include "PlugHostRun.h"
#include "SeededRandom.h"
#include "UrlEscape.h"
#include "Win32System.h"

namespace {

using TKeys = std::map<std::string, std::string>;

struct TDllCase {
  const char *Name;
  TKeys Keys; // written to the section; none: the section does not exist
  std::vector<std::string> Left;
  const char *Output; // what plughost prints, line breaks as "\n"
  uint32_t ExitCode;
};

std::vector<std::string> Sorted(std::vector<std::string> urls) {
  std::sort(urls.begin(), urls.end());
  return urls;
}

std::vector<std::string> AllBut(std::initializer_list<const char *> gone) {
  std::vector<std::string> left;
  for (const TSampleEntry &seed : SampleCacheEntries())
    if (std::find_if(gone.begin(), gone.end(),
                     [&](const char *g) { return std::string(g) == seed.Url; }) == gone.end())
      left.push_back(seed.Url);
  return Sorted(left);
}

std::string WithoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

std::string IniPath() {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "nv-clean-dll.ini";
}

} // namespace

TEST(CleanDll, CleansAsTheSectionSays) {
  const TDllCase cases[] = {
      {"missing section: defaults clean everything with a dot",
       {},
       Sorted({"http://localhost/", "Cookie:john@localhost/", "Visited: john@about:blank"}),
       "text: [Exempted space is 7345 bytes]\nresult: true\n",
       0},
      {"cache masked to one site",
       {{"DeleteCache", "1"},
        {"DeleteCacheType", "1"},
        {"CacheMask", "www.example.com/*"},
        {"DeleteCookies", "0"},
        {"DeleteHistory", "0"}},
       AllBut({"http://www.example.com/index.html", "http://www.example.com/logo.gif"}),
       "text: [Exempted space is 3345 bytes]\nresult: true\n",
       0},
      {"cookies masked, cache type 2, history all",
       {{"DeleteCache", "1"},
        {"DeleteCacheType", "2"},
        {"DeleteCookies", "1"},
        {"DeleteCookiesType", "1"},
        {"CookiesMask", "*@ADS.*"},
        {"DeleteHistory", "1"},
        {"DeleteHistoryType", "0"},
        {"HistoryMask", "["}},
       AllBut({"Cookie:john@ads.tracker.net/", "Visited: john@http://www.example.com/index.html",
               "Visited: john@http://news.example.org/story/today.html"}),
       "text: [Exempted space is 0 bytes]\nresult: true\n",
       0},
      {"history masked",
       {{"DeleteCache", "0"},
        {"DeleteCookies", "0"},
        {"DeleteHistory", "1"},
        {"DeleteHistoryType", "1"},
        {"HistoryMask", "*news*"}},
       AllBut({"Visited: john@http://news.example.org/story/today.html"}),
       "text: [Exempted space is 0 bytes]\nresult: true\n",
       0},
      {"all off",
       {{"DeleteCache", "0"}, {"DeleteCookies", "0"}, {"DeleteHistory", "0"}},
       AllBut({}),
       "text: [Exempted space is 0 bytes]\nresult: true\n",
       0},
      {"malformed cookie mask: cache cleaned, then false without a report",
       {{"DeleteCache", "1"},
        {"DeleteCacheType", "0"},
        {"DeleteCookies", "1"},
        {"DeleteCookiesType", "1"},
        {"CookiesMask", "*[a-"},
        {"DeleteHistory", "1"},
        {"DeleteHistoryType", "0"}},
       AllBut({"http://www.example.com/index.html", "http://www.example.com/logo.gif",
               "http://news.example.org/story/today.html"}),
       "text: (untouched)\nresult: false\n",
       1},
  };
  const std::string ini = IniPath();
  for (const TDllCase &c : cases) {
    SCOPED_TRACE(c.Name);
    EmptyUrlCache();
    for (const TSampleEntry &seed : SampleCacheEntries())
      SeedEntry(seed.Url, seed.Size);
    DeleteFileA(ini.c_str());
    for (const auto &[key, value] : c.Keys)
      ASSERT_TRUE(
          WritePrivateProfileStringA("IE Norvane", key.c_str(), value.c_str(), ini.c_str()));

    const TProgramRun run = RunPlugHostClean(NV_PLUGIN_DLL, ini, "IE Norvane");

    EXPECT_EQ(WithoutCarriageReturns(run.Output), c.Output);
    EXPECT_EQ(run.ExitCode, c.ExitCode); // 1: the host got false and lived on
    EXPECT_EQ(SortedCacheUrls(), c.Left);
  }
  DeleteFileA(ini.c_str());
  EmptyUrlCache();
}

namespace {

// Entries of every kind whose URLs hold bytes of 0x80 and above (user names
// and pages), beside plain ones.
const std::vector<std::string> kMixedBytes = {"http://www.example.com/caf\xE9.html",
                                              "http://news.example.org/M\xFCnchen/",
                                              "http://shop.example.com/se\xF1or.png",
                                              "http://www.example.com/plain.html",
                                              "http://ads.tracker.net/\xA9.gif",
                                              "Cookie:j\xFCrgen@shop.example.com/",
                                              "Cookie:jos\xE9@news.example.org/",
                                              "Cookie:john@ads.tracker.net/",
                                              "Visited: fran\xE7ois@http://www.example.com/",
                                              "Visited: john@http://news.example.org/"};

// A random mask of the pieces URLs are masked with, mostly between stars.
std::string RandomMask(TSeededRandom &random) {
  static const char *const pieces[] = {"?",    "[a-m]", "[!e]", ".",    "e",           "o", "/",
                                       "\xE9", "\xFC",  "www",  "news", "[\xE0-\xFF]", "@", "*"};
  std::string mask = random.Chance(80) ? "*" : "";
  for (size_t n = 1 + random.Below(3); n > 0; --n)
    mask += pieces[random.Below(std::size(pieces))];
  return mask + (random.Chance(80) ? "*" : "");
}

} // namespace

// Random masks of every category through the real DLL over entries of
// every byte: what is left is exactly what the literal matcher does not
// select, but for the entries whose key names freed slots in Wine's index.
TEST(CleanDll, RandomMasksDeleteExactlyWhatTheySelect) {
  const TWin32System system = TWin32System::Detect(TWin32Api::System());
  const std::string ini = IniPath();
  TSeededRandom random(2312);
  size_t deletedInAll = 0;
  for (int round = 0; round < 24; ++round) {
    const char *const prefixes[] = {"http://", "Cookie:", "Visited:"};
    const char *const keys[][3] = {{"DeleteCache", "DeleteCacheType", "CacheMask"},
                                   {"DeleteCookies", "DeleteCookiesType", "CookiesMask"},
                                   {"DeleteHistory", "DeleteHistoryType", "HistoryMask"}};
    std::string masks[3];
    DeleteFileA(ini.c_str());
    for (size_t c = 0; c < 3; ++c) {
      masks[c] = RandomMask(random);
      for (const auto &[key, value] : {std::pair{keys[c][0], "1"}, std::pair{keys[c][1], "1"},
                                       std::pair{keys[c][2], masks[c].c_str()}})
        ASSERT_TRUE(WritePrivateProfileStringA("IE Norvane", key, value, ini.c_str()));
    }
    EmptyUrlCache();
    for (const std::string &url : kMixedBytes)
      SeedEntry(url, 10);

    const TProgramRun run = RunPlugHostClean(NV_PLUGIN_DLL, ini, "IE Norvane");

    std::vector<std::string> left;
    for (const std::string &url : kMixedBytes) {
      const size_t c = url.rfind("Cookie:", 0) == 0 ? 1 : url.rfind("Visited:", 0) == 0 ? 2 : 0;
      const bool selected = OracleMatchesMask(url, prefixes[c] + masks[c]);
      const bool refused = system.IndexKeys && system.IndexKeys->MatchesFreedSlots(url);
      if (!selected || refused) left.push_back(url);
    }
    deletedInAll += kMixedBytes.size() - left.size();
    EXPECT_EQ(SortedCacheUrls(), Sorted(left))
        << "masks " << EscapedUrl(masks[0]) << " " << EscapedUrl(masks[1]) << " "
        << EscapedUrl(masks[2]) << "\n"
        << run.Output;
  }
  EXPECT_GT(deletedInAll, 48u) << "the masks select something";
  DeleteFileA(ini.c_str());
  EmptyUrlCache();
}
