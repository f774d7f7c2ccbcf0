// The real DLL cleaning the real cache, called by plughost as a host calls
// it: INI sections of each kind, the entries deleted and left, the report.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "CacheSeeder.h"
#include "PlugHostRun.h"

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
