// A delete removes only the entry that was walked, against Wine 8's real
// URL cache index, which finds an entry by a 32-bit key of its URL and never
// compares the URL: URLs that share a key, and URLs whose key is zero, which
// also names the slots of deleted entries (both found by trying against the
// wininet.dll under test; see Win32UrlCache.cpp). What the cache holds after
// a clean is read by a fresh process (seedcache), since a process that has
// the index open does not see it break.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "CacheSeeder.h"
#include "FaultyWin32Api.h"
#include "HostBuffer.h"
#include "PlugHostRun.h"
#include "PluginCalls.h"
#include "SeededRandom.h"
#include "TempDir.h"
#include "UrlEscape.h"
#include "Win32Platform.h"

namespace {

constexpr const char *kSection = "IE Norvane";
const std::string kKeep1 = "http://keep1.example.com/";
const std::string kKeep2 = "http://keep2.example.com/a.html";
const std::string kKeepCookie = "Cookie:user@keep.example.com/";

std::string Joined(const std::vector<std::string> &urls) {
  std::string words;
  for (const std::string &url : urls)
    words += " " + EscapedUrl(url);
  return words;
}

// Runs seedcache in a new process and returns what it printed.
std::string SeedCache(const std::string &arguments) {
  const TProgramRun run = RunProgram("seedcache.exe " + arguments);
  EXPECT_EQ(run.ExitCode, 0u) << arguments << ": " << run.Output;
  return run.Output;
}

// The URLs that a fresh process lists, in its order.
std::vector<std::string> ListedByFreshProcess() {
  std::vector<std::string> urls;
  std::istringstream lines(SeedCache("list"));
  std::string category, size, url;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    if (words >> category >> size >> url) urls.push_back(UnescapedUrl(url)); // not "N entries"
  }
  return urls;
}

bool Holds(const std::vector<std::string> &urls, const std::string &url) {
  return std::find(urls.begin(), urls.end(), url) != urls.end();
}

// Seeds `urls` (http entries of 100 bytes) from a fresh process into an
// emptied cache, until a fresh process lists them all. A key that matches
// freed slots breaks an index whose buckets hold such slots, and the next
// process to open it empties it; the next seeding then starts clean.
bool SeedConfirmed(const std::vector<std::string> &urls) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    SeedCache("empty");
    SeedCache("add" + Joined(urls));
    const std::vector<std::string> listed = ListedByFreshProcess();
    if (std::all_of(urls.begin(), urls.end(), [&](auto &url) { return Holds(listed, url); }))
      return true;
  }
  return false;
}

// Leaves an empty, sound index for the next test: a fresh process empties an
// index that the deletes broke.
void EmptyFromFreshProcesses() {
  SeedCache("empty");
  SeedCache("list");
}

std::string HttpMaskSettings(const std::string &mask) {
  return "[IE Norvane]\r\nDeleteCache=1\r\nDeleteCacheType=1\r\nCacheMask=" + mask +
         "\r\nDeleteCookies=0\r\nDeleteHistory=0\r\n";
}

// These tests break Wine's index on purpose (an entry left because it no
// longer addresses itself goes only by a delete that frees a slot twice), and
// a fresh process then empties the index, while a process that had it open
// keeps a stale view of it. So each runs only as the one test of its process,
// as ctest runs every test.
class CacheDelete : public ::testing::Test {
protected:
  void SetUp() override {
    if (::testing::UnitTest::GetInstance()->test_to_run_count() != 1)
      GTEST_SKIP() << "needs a process of its own (ctest, or --gtest_filter naming this test)";
    Ran = true;
  }
  void TearDown() override {
    if (Ran) EmptyFromFreshProcesses();
  }
  bool Ran = false;

  // Pairs of URLs the platform cannot tell apart; none on a platform whose
  // index compares URLs.
  std::vector<TCollidingUrls> Collisions(size_t wanted, const std::string &prefix = "http://hc/") {
    std::vector<TCollidingUrls> pairs;
    std::istringstream lines(SeedCache("collide " + std::to_string(wanted) + " " + prefix));
    for (std::string present, absent; lines >> present >> absent;)
      pairs.push_back({UnescapedUrl(present), UnescapedUrl(absent)});
    SeedCache("list");
    return pairs;
  }

  // Up to `wanted` URLs whose key is zero for each of `prefixes` (separated
  // by blanks), in buckets of their own; none on a platform whose index
  // compares URLs. The listing after the search starts the index afresh.
  std::vector<TKeyZeroUrl> KeyZeroUrls(size_t wanted, const std::string &prefixes) {
    std::vector<TKeyZeroUrl> urls;
    std::istringstream lines(SeedCache("keyzero " + std::to_string(wanted) + " " + prefixes));
    for (std::string url, mate; lines >> url >> mate;)
      urls.push_back({UnescapedUrl(url), UnescapedUrl(mate)});
    SeedCache("list");
    return urls;
  }

  TTempDir Dir;
  const std::string Ini = Dir.File("host.ini");
};

// Why the delete looks first: the platform's own delete of a URL that is
// not in the cache removes the entry whose key it shares.
TEST_F(CacheDelete, PlatformDeleteOfACollidingUrlRemovesTheOtherEntry) {
  const auto pairs = Collisions(1);
  if (pairs.empty()) GTEST_SKIP() << "this platform's index tells the URLs apart";
  ASSERT_TRUE(SeedConfirmed({pairs[0].Present, kKeep1}));
  EXPECT_EQ(ResolvedUrl(pairs[0].Absent), pairs[0].Present);
  EXPECT_TRUE(DeleteUrlCacheEntryA(pairs[0].Absent.c_str()));
  EXPECT_FALSE(Holds(ListedByFreshProcess(), pairs[0].Present));
}

// Each entry view against what the cache holds: only the walked entry, with
// its URL and its file, is deleted, and a URL with a byte of 0x80 and above
// is not even looked up, whatever entry it resolves to.
TEST_F(CacheDelete, OnlyTheWalkedEntryIsDeleted) {
  const auto pairs = Collisions(1);
  if (pairs.empty()) GTEST_SKIP() << "this platform's index tells the URLs apart";
  const TCollidingUrls pair = pairs[0];
  ASSERT_TRUE(SeedConfirmed({pair.Present, kKeep1, kKeep2}));
  TFaultyWin32Api faulty;
  TWin32Platform platform(faulty.Api());
  std::string presentFile, keptFile, lockedFile;
  for (const TListedEntry &entry : ListUrlCache(nullptr)) {
    if (entry.Url == pair.Present) presentFile = entry.LocalFileName;
    if (entry.Url == kKeep1) keptFile = entry.LocalFileName;
    if (entry.Url == kKeep2) lockedFile = entry.LocalFileName;
  }
  ASSERT_FALSE(presentFile.empty());
  ASSERT_FALSE(keptFile.empty());

  std::vector<char> info(8192);
  DWORD size = static_cast<DWORD>(info.size());
  ASSERT_TRUE(RetrieveUrlCacheEntryFileA(
      kKeep2.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(info.data()), &size, 0));
  const struct {
    const char *Name;
    TCacheEntryView View;
    TDeleteResult Result;
    bool LookedUp;
  } cases[] = {
      {"a URL that resolves to another entry",
       {pair.Absent.c_str(), presentFile.c_str(), 100},
       TDeleteResult::NotAddressable,
       true},
      {"the URL with another entry's file",
       {kKeep1.c_str(), "C:\\elsewhere\\x.htm", 100},
       TDeleteResult::NotAddressable,
       true},
      {"the URL without its file",
       {kKeep1.c_str(), nullptr, 100},
       TDeleteResult::NotAddressable,
       true},
      {"a URL of no entry",
       {"http://absent.example.com/", nullptr, 0},
       TDeleteResult::Failed,
       true},
      {"an entry locked by a retrieval",
       {kKeep2.c_str(), lockedFile.c_str(), 100},
       TDeleteResult::InUse,
       true},
      {"the walked entry", {kKeep1.c_str(), keptFile.c_str(), 100}, TDeleteResult::Deleted, true},
      {"the walked entry again",
       {kKeep1.c_str(), keptFile.c_str(), 100},
       TDeleteResult::Failed,
       true},
  };
  for (const auto &c : cases) {
    const size_t lookups = faulty.Calls(TWin32Call::GetUrlCacheEntryInfoA);
    EXPECT_EQ(platform.UrlCache().Delete(c.View), c.Result) << c.Name;
    EXPECT_EQ(faulty.Calls(TWin32Call::GetUrlCacheEntryInfoA) > lookups, c.LookedUp) << c.Name;
  }
  UnlockUrlCacheEntryFileA(kKeep2.c_str(), 0);
  const std::vector<std::string> listed = ListedByFreshProcess();
  EXPECT_TRUE(Holds(listed, pair.Present));
  EXPECT_FALSE(Holds(listed, kKeep1));
  // A URL that shares its key goes once it resolves to its own entry.
  EXPECT_EQ(platform.UrlCache().Delete({pair.Present.c_str(), presentFile.c_str(), 100}),
            TDeleteResult::Deleted);
  EXPECT_FALSE(Holds(ListedByFreshProcess(), pair.Present));
}

// Cookies and visited entries of user names that are not ASCII and pages
// whose URLs hold such bytes go like any other entry, and their bytes are
// counted; only a URL whose key names freed slots stays.
TEST_F(CacheDelete, EntriesOfEveryByteGoButFreedSlotKeys) {
  const auto keyZero = KeyZeroUrls(1, "http://!./"); // with a "." for the mask "*.*"
  if (keyZero.empty()) GTEST_SKIP() << "this platform's index gives no URL a key of zero";
  const std::vector<std::pair<std::string, uint32_t>> group = {
      {"Cookie:j\xFCrgen@shop.example.com/", 0},
      {"Cookie:jos\xE9@news.example.org/", 0},
      {"Cookie:fran\xE7ois@mail.example.net/", 0},
      {"Cookie:\xC5sa@www.example.com/", 0},
      {"Visited: j\xFCrgen@http://shop.example.com/cart.html", 0},
      {"Visited: jos\xE9@http://news.example.org/today.html", 0},
      {"Visited: fran\xE7ois@http://mail.example.net/", 0},
      {"Visited: \xC5sa@http://www.example.com/", 0},
      {"http://www.example.com/caf\xE9.html", 100},
      {"http://news.example.org/M\xFCnchen/", 200},
      {"http://shop.example.com/se\xF1or.png", 400},
      {"http://www.example.com/plain.html", 300},
  };
  std::vector<std::string> urls{keyZero[0].Url};
  for (const auto &entry : group)
    urls.push_back(entry.first);
  const auto seed = [&] {
    for (int attempt = 0; attempt < 3; ++attempt) {
      SeedCache("empty");
      for (const auto &entry : group)
        SeedCache("add --size " + std::to_string(entry.second) + " " + EscapedUrl(entry.first));
      SeedCache("add --size 50 " + EscapedUrl(keyZero[0].Url));
      const std::vector<std::string> listed = ListedByFreshProcess();
      if (std::all_of(urls.begin(), urls.end(), [&](auto &url) { return Holds(listed, url); }))
        return true;
    }
    return false;
  };
  const auto expectOnlyKeyZeroLeft = [&](const char *how) {
    const std::vector<std::string> listed = ListedByFreshProcess();
    for (const auto &entry : group)
      EXPECT_FALSE(Holds(listed, entry.first)) << how << ": " << EscapedUrl(entry.first);
    EXPECT_TRUE(Holds(listed, keyZero[0].Url)) << how;
  };

  ASSERT_TRUE(seed());
  const TProgramRun cli =
      RunProgram("ienorvane.exe clean --ini \"" + Ini + "\" --section S --defaults --list");
  EXPECT_NE(cli.Output.find("Exempted space is 1000 bytes"), std::string::npos) << cli.Output;
  const size_t refused = cli.Output.find("no longer addressable by its URL");
  ASSERT_NE(refused, std::string::npos) << cli.Output;
  EXPECT_NE(cli.Output.find(keyZero[0].Url, refused), std::string::npos) << cli.Output;
  EXPECT_NE(cli.Output.find("not deleted: 1 entry"), std::string::npos) << cli.Output;
  expectOnlyKeyZeroLeft("ienorvane.exe");

  ASSERT_TRUE(seed());
  const TProgramRun plugin = RunPlugHostClean(NV_PLUGIN_DLL, Ini, kSection);
  EXPECT_NE(plugin.Output.find("Exempted space is 1000 bytes"), std::string::npos) << plugin.Output;
  expectOnlyKeyZeroLeft("the plug-in");
}

// A clean in this process whose selected entries, whose URLs end in a byte
// of 0x80 and above, are replaced once it has begun by entries that share
// their keys and that the mask does not select (as a browser might commit
// them): the walk deletes what it lists as it lists it, so it meets the
// entries that took the keys, deletes none, and the unselected entries stay
// beside the others.
TEST_F(CacheDelete, CleanLeavesCollidingUnselectedEntries) {
  const auto pairs = Collisions(2);
  if (pairs.empty()) GTEST_SKIP() << "this platform's index tells the URLs apart";
  std::vector<std::string> seeded = {kKeep1, kKeep2};
  std::string mask = "hc/[";
  for (const TCollidingUrls &pair : pairs) {
    ASSERT_EQ(pair.Absent.rfind("http://hc/", 0), 0u);
    seeded.push_back(pair.Absent);
    mask += pair.Absent.back();
  }
  mask += "]";
  ASSERT_TRUE(SeedConfirmed(seeded));
  WriteFileBytes(Ini, HttpMaskSettings(mask));

  TFaultyWin32Api faulty;
  faulty.Before(TWin32Call::FindFirstUrlCacheEntryA, 1, [&] {
    for (const TCollidingUrls &pair : pairs)
      SeedHttpEntry(pair.Present, 100);
  });
  TWin32Platform platform(faulty.Api());
  THostBuffer buffer;
  ASSERT_TRUE(CleanOn(platform, Ini.c_str(), kSection, buffer.Variable()));

  EXPECT_EQ(buffer.Text(), "Exempted space is 0 bytes");
  EXPECT_GE(faulty.Calls(TWin32Call::FindNextUrlCacheEntryA), 1u);
  EXPECT_EQ(faulty.Calls(TWin32Call::DeleteUrlCacheEntryA), 0u);
  const std::vector<std::string> listed = ListedByFreshProcess();
  for (const std::string &url : {kKeep1, kKeep2})
    EXPECT_TRUE(Holds(listed, url)) << url;
  for (const TCollidingUrls &pair : pairs)
    EXPECT_TRUE(Holds(listed, pair.Present)) << EscapedUrl(pair.Present);
}

// The first clean of a key-zero URL (derived from the wininet.dll under
// test) and the seeding after it, again and again in one cache, each clean in
// a process of its own: a delete of that URL would leave a freed slot that
// its next commit frees again, and the next process would start the index
// afresh, losing every unselected entry (every second run).
TEST_F(CacheDelete, RepeatedCleansKeepEveryUnselectedEntry) {
  const auto keyZero = KeyZeroUrls(1, "http://!");
  if (keyZero.empty()) GTEST_SKIP() << "this platform's index gives no URL a key of zero";
  const std::string zero = keyZero[0].Url;
  WriteFileBytes(Ini, HttpMaskSettings("[0!]*"));
  for (int run = 1; run <= 5; ++run) {
    SeedCache("add" + Joined({kKeep1, kKeep2, kKeepCookie}));
    SeedCache("add --size 50 http://0");
    SeedCache("add --size 60 " + EscapedUrl(zero));

    const TProgramRun clean = RunPlugHostClean(NV_PLUGIN_DLL, Ini, kSection);

    EXPECT_NE(clean.Output.find("Exempted space is 50 bytes"), std::string::npos)
        << "run " << run << ": " << clean.Output;
    const std::vector<std::string> listed = ListedByFreshProcess();
    for (const std::string &url : {kKeep1, kKeep2, kKeepCookie, zero})
      EXPECT_TRUE(Holds(listed, url)) << "run " << run << ": " << EscapedUrl(url);
    EXPECT_FALSE(Holds(listed, "http://0")) << "run " << run;
  }
}

// One entry of the mixed cache below. A selected entry goes unless its key
// names freed slots; `Alternate`, when set, is seeded in odd runs instead of
// `Url` and replaces its entry, whose key it shares.
struct TMixedEntry {
  std::string Url, Alternate;
  bool Selected, FreedSlotKey;
  bool Stays() const { return !Selected || FreedSlotKey; }
};

// Plain entries of selected ("http://s...") and unselected ("http://u...")
// sites, key-zero URLs (selected: "http://!...") and key-sharing ones
// (selected: "http://shc/..."), in one seeded order.
std::vector<TMixedEntry> MixedEntries(size_t plain, const std::vector<TKeyZeroUrl> &keyZero,
                                      const std::vector<TCollidingUrls> &collisions) {
  std::vector<TMixedEntry> entries;
  for (size_t i = 0; i < plain; ++i) {
    const std::string page =
        std::to_string(i % 13) + ".example.com/p" + std::to_string(i) + ".html";
    entries.push_back({"http://s" + page, "", true, false});
    entries.push_back({"http://u" + page, "", false, false});
  }
  for (const TKeyZeroUrl &url : keyZero)
    entries.push_back({url.Url, "", url.Url.rfind("http://!", 0) == 0, true});
  for (const TCollidingUrls &pair : collisions)
    entries.push_back({pair.Present, pair.Absent, pair.Present.rfind("http://s", 0) == 0, false});
  TSeededRandom random(2011);
  for (size_t i = entries.size(); i > 1; --i)
    std::swap(entries[i - 1], entries[random.Below(i)]);
  return entries;
}

// Key-zero and key-sharing URLs, selected and not, among a few hundred plain
// entries, seeded and cleaned 20 times in one cache: every unselected entry
// stays in every run, every selected one goes (the key-sharing ones too),
// and the selected key-zero ones stay. Each run seeds in the same order, as
// a browser revisiting its pages: a commit of a key-zero URL with a freed
// slot ahead of it in its bucket breaks Wine's index whoever freed the slot,
// and the same order refills the slots the clean freed before it comes.
TEST_F(CacheDelete, RepeatedCleansOfAMixedCacheKeepEveryUnselectedEntry) {
  constexpr int kRuns = 20;
  constexpr size_t kPlain = 100; // of each site
  std::vector<TCollidingUrls> collisions = Collisions(2, "http://shc/");
  const size_t selectedCollisions = collisions.size();
  for (const TCollidingUrls &pair : Collisions(2, "http://uhc/"))
    collisions.push_back(pair);
  const auto keyZero = KeyZeroUrls(3, "http://! http://u/");
  if (keyZero.empty()) GTEST_SKIP() << "this platform's index gives no URL a key of zero";
  const std::vector<TMixedEntry> entries = MixedEntries(kPlain, keyZero, collisions);
  WriteFileBytes(Ini, HttpMaskSettings("[s!]*"));
  const std::string freed =
      "Exempted space is " + std::to_string(10 * (kPlain + selectedCollisions)) + " bytes";
  for (int run = 1; run <= kRuns; ++run) {
    std::vector<std::string> seeded;
    for (const TMixedEntry &entry : entries)
      seeded.push_back(run % 2 && !entry.Alternate.empty() ? entry.Alternate : entry.Url);
    SeedCache("add --size 10" + Joined(seeded));

    const TProgramRun clean = RunPlugHostClean(NV_PLUGIN_DLL, Ini, kSection);

    EXPECT_NE(clean.Output.find(freed), std::string::npos) << "run " << run << ": " << clean.Output;
    const std::vector<std::string> listed = ListedByFreshProcess();
    for (size_t i = 0; i < entries.size(); ++i)
      EXPECT_EQ(Holds(listed, seeded[i]), entries[i].Stays())
          << "run " << run << ": " << EscapedUrl(seeded[i]);
  }
}

} // namespace
