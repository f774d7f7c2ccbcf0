// The real DLL, called by plughost as a host calls it, cleaning the real
// cache with sites to keep and with the cache's https half: what goes and
// what stays in each category, and that the report counts exactly the sizes
// of the entries that went. What the cache holds before and after is read by
// a fresh process (seedcache list), as a host's next run would see it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "CacheSeeder.h"
#include "PlugHostRun.h"
#include "TempDir.h"

namespace {

constexpr const char *kSection = "IE Norvane";

// Sizes chosen so that a sum of sizes names its entries.
const std::vector<TSampleEntry> kSeeds = {
    {"http://www.keep.example/a.htm", 1000},
    {"http://other.example/b.htm", 2000},
    {"https://secure.keep.example/c.js", 4000},
    {"https://other.example/d.js", 8000},
    {"http://badkeep.example/e.gif", 16000},
    {"https://shop.other.example/f.htm", 32000},
    {"ftp://files.other.example/g.zip", 64000},
    {"https://localhost/", 128000}, // no "." anywhere
    {"Cookie:john@keep.example/", 0},
    {"Cookie:john@other.example/", 0},
    {"Visited: john@https://secure.keep.example/c.js", 0},
    {"Visited: john@http://other.example/b.htm", 0},
};

std::vector<std::string> UrlsOf(const std::map<std::string, uint64_t> &entries) {
  std::vector<std::string> urls;
  for (const auto &[url, size] : entries)
    urls.push_back(url);
  return urls;
}

// The seeds less `gone`, sorted.
std::vector<std::string> SeedsWithout(std::initializer_list<const char *> gone) {
  std::vector<std::string> left;
  for (const TSampleEntry &seed : kSeeds)
    if (std::none_of(gone.begin(), gone.end(),
                     [&](const char *g) { return seed.Url == std::string(g); }))
      left.push_back(seed.Url);
  std::sort(left.begin(), left.end());
  return left;
}

// The bytes a report states ("text: [Exempted space is N bytes]").
std::optional<uint64_t> ReportedBytes(const std::string &output) {
  const std::string head = "Exempted space is ";
  const size_t at = output.find(head);
  if (at == std::string::npos) return std::nullopt;
  return std::stoull(output.substr(at + head.size()));
}

struct TKeepCase {
  const char *Name;
  std::string Lines; // the section's lines
  std::vector<std::string> Left;
  bool Result;
};

const std::string kAllOn = "DeleteCache=1\r\nDeleteCacheType=0\r\nDeleteCookies=1\r\n"
                           "DeleteCookiesType=0\r\nDeleteHistory=1\r\nDeleteHistoryType=0\r\n";
const std::string kCacheOnly = "DeleteCookies=0\r\nDeleteHistory=0\r\nDeleteCache=1\r\n";

TEST(CleanKeepDll, CleansAllButTheSitesToKeepAndReportsWhatWent) {
  const TKeepCase cases[] = {
      {"a site kept in every category, both halves",
       kAllOn + "DeleteCacheHttps=1\r\nKeepSites=keep.example\r\n",
       SeedsWithout({"http://other.example/b.htm", "https://other.example/d.js",
                     "http://badkeep.example/e.gif", "https://shop.other.example/f.htm",
                     "Cookie:john@other.example/", "Visited: john@http://other.example/b.htm"}),
       true},
      {"two sites kept, the http half only",
       kAllOn + "KeepSites= *.KEEP.example ; shop.other.example\r\n",
       SeedsWithout({"http://other.example/b.htm", "http://badkeep.example/e.gif",
                     "Cookie:john@other.example/", "Visited: john@http://other.example/b.htm"}),
       true},
      {"a malformed keep list deletes nothing",
       kAllOn + "DeleteCacheHttps=1\r\nKeepSites=keep.example;other/x\r\n", SeedsWithout({}),
       false},
      {"https half masked: what matches goes, ftp and the rest stay",
       kCacheOnly + "DeleteCacheType=1\r\nCacheMask=*other*\r\nDeleteCacheHttps=1\r\n",
       SeedsWithout({"http://other.example/b.htm", "https://other.example/d.js",
                     "https://shop.other.example/f.htm"}),
       true},
      {"https half of type 0: every https entry with a dot",
       kCacheOnly + "DeleteCacheType=0\r\nDeleteCacheHttps=1\r\n",
       SeedsWithout({"http://www.keep.example/a.htm", "http://other.example/b.htm",
                     "https://secure.keep.example/c.js", "https://other.example/d.js",
                     "http://badkeep.example/e.gif", "https://shop.other.example/f.htm"}),
       true},
      {"https half off: every https entry stays",
       kCacheOnly + "DeleteCacheType=1\r\nCacheMask=*other*\r\nDeleteCacheHttps=0\r\n",
       SeedsWithout({"http://other.example/b.htm"}), true},
      {"https key absent: as off", kCacheOnly + "DeleteCacheType=0\r\n",
       SeedsWithout({"http://www.keep.example/a.htm", "http://other.example/b.htm",
                     "http://badkeep.example/e.gif"}),
       true},
  };
  TTempDir dir;
  const std::string ini = dir.File("host.ini");
  for (const TKeepCase &c : cases) {
    SCOPED_TRACE(c.Name);
    EmptyUrlCache();
    for (const TSampleEntry &seed : kSeeds)
      SeedEntry(seed.Url, seed.Size);
    WriteFileBytes(ini, std::string("[") + kSection + "]\r\n" + c.Lines);
    const std::map<std::string, uint64_t> before = ListedByFreshProcess();
    ASSERT_EQ(UrlsOf(before), SeedsWithout({}));

    const TProgramRun run = RunPlugHostClean(NV_PLUGIN_DLL, ini, kSection);

    const std::map<std::string, uint64_t> after = ListedByFreshProcess();
    EXPECT_EQ(UrlsOf(after), c.Left);
    uint64_t went = 0;
    for (const auto &[url, size] : before)
      if (!after.contains(url)) went += size;
    if (c.Result) {
      EXPECT_EQ(run.ExitCode, 0u) << run.Output;
      EXPECT_EQ(ReportedBytes(run.Output), went) << run.Output;
    } else {
      EXPECT_EQ(run.ExitCode, 1u) << "the host got false and lived on: " << run.Output;
      EXPECT_EQ(ReportedBytes(run.Output), std::nullopt) << run.Output;
      EXPECT_NE(run.Output.find("text: (untouched)"), std::string::npos) << run.Output;
    }
  }
  EmptyUrlCache();
}

} // namespace
