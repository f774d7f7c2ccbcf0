// A delete removes only the entry that was walked, against Wine 8's real
// URL cache index, which finds an entry by a 32-bit key of its URL and never
// compares the URL: URLs that share a key (found by trying), and a URL whose
// key matches the slot an earlier delete freed. What the cache holds after a
// clean is read by a fresh process (seedcache), since a process that has the
// index open does not see it break.
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
#include "TempDir.h"
#include "UrlEscape.h"
#include "Win32Platform.h"

namespace {

constexpr const char *kSection = "IE Norvane";
const std::string kKeep1 = "http://keep1.example.com/";
const std::string kKeep2 = "http://keep2.example.com/a.html";

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

  // Pairs of URLs the platform cannot tell apart; the test is skipped on a
  // platform whose index compares URLs.
  std::vector<TCollidingUrls> Collisions(size_t wanted) {
    std::vector<TCollidingUrls> pairs;
    std::istringstream lines(SeedCache("collide " + std::to_string(wanted)));
    for (std::string present, absent; lines >> present >> absent;)
      pairs.push_back({UnescapedUrl(present), UnescapedUrl(absent)});
    SeedCache("list");
    return pairs;
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
// its URL and its file, is deleted.
TEST_F(CacheDelete, OnlyTheWalkedEntryIsDeleted) {
  const auto pairs = Collisions(1);
  if (pairs.empty()) GTEST_SKIP() << "this platform's index tells the URLs apart";
  const TCollidingUrls pair = pairs[0];
  ASSERT_TRUE(SeedConfirmed({pair.Present, kKeep1, kKeep2}));
  TWin32Platform platform;
  std::string presentFile, lockedFile;
  for (const TListedEntry &entry : ListUrlCache(nullptr)) {
    if (entry.Url == pair.Present) presentFile = entry.LocalFileName;
    if (entry.Url == kKeep2) lockedFile = entry.LocalFileName;
  }
  ASSERT_FALSE(presentFile.empty());

  std::vector<char> info(8192);
  DWORD size = static_cast<DWORD>(info.size());
  ASSERT_TRUE(RetrieveUrlCacheEntryFileA(
      kKeep2.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(info.data()), &size, 0));
  const struct {
    const char *Name;
    TCacheEntryView View;
    TDeleteResult Result;
  } cases[] = {
      {"a URL that resolves to another entry",
       {pair.Absent.c_str(), presentFile.c_str(), 100},
       TDeleteResult::NotAddressable},
      {"the URL with another entry's file",
       {pair.Present.c_str(), "C:\\elsewhere\\x.htm", 100},
       TDeleteResult::NotAddressable},
      {"the URL without its file",
       {pair.Present.c_str(), nullptr, 100},
       TDeleteResult::NotAddressable},
      {"a URL of no entry", {"http://absent.example.com/", nullptr, 0}, TDeleteResult::Failed},
      {"an entry locked by a retrieval",
       {kKeep2.c_str(), lockedFile.c_str(), 100},
       TDeleteResult::InUse},
      {"the walked entry",
       {pair.Present.c_str(), presentFile.c_str(), 100},
       TDeleteResult::Deleted},
      {"the walked entry again",
       {pair.Present.c_str(), presentFile.c_str(), 100},
       TDeleteResult::Failed},
  };
  for (const auto &c : cases)
    EXPECT_EQ(platform.UrlCache().Delete(c.View), c.Result) << c.Name;
  UnlockUrlCacheEntryFileA(kKeep2.c_str(), 0);
  const std::vector<std::string> listed = ListedByFreshProcess();
  EXPECT_FALSE(Holds(listed, pair.Present));
  EXPECT_TRUE(Holds(listed, kKeep1));
}

// A clean through the real DLL over two key-zero URLs: the first is deleted;
// the second then resolves to the first one's freed slot, whose delete would
// free it twice and the next process would empty the whole container.
TEST_F(CacheDelete, CleanLeavesAFreedSlotAlone) {
  const std::string keyZero1 = "http://0", keyZero2 = "http://!b\xE9";
  ASSERT_TRUE(SeedConfirmed({kKeep1, kKeep2, keyZero1, keyZero2}));
  WriteFileBytes(Ini, HttpMaskSettings("[0!]*"));

  const TProgramRun run = RunPlugHostClean(NV_PLUGIN_DLL, Ini, kSection);

  EXPECT_EQ(run.ExitCode, 0u) << run.Output;
  EXPECT_NE(run.Output.find("result: true"), std::string::npos) << run.Output;
  const std::vector<std::string> listed = ListedByFreshProcess();
  EXPECT_TRUE(Holds(listed, kKeep1));
  EXPECT_TRUE(Holds(listed, kKeep2));
  // One of the two went (100 bytes); the other, which no longer addresses
  // its own entry, stays.
  EXPECT_NE(run.Output.find("Exempted space is 100 bytes"), std::string::npos) << run.Output;
  EXPECT_EQ(Holds(listed, keyZero1) + Holds(listed, keyZero2), 1);
}

// A clean in this process whose selected entries are replaced, between the
// walk and the delete, by entries that share their keys and that the mask
// does not select (as a browser might commit them): the deletes are not
// made, and the unselected entries stay beside the others.
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
  faulty.Before(TWin32Call::GetUrlCacheEntryInfoA, 1, [&] {
    for (const TCollidingUrls &pair : pairs)
      SeedHttpEntry(pair.Present, 100);
  });
  TWin32Platform platform(faulty.Api());
  THostBuffer buffer;
  ASSERT_TRUE(CleanOn(platform, Ini.c_str(), kSection, buffer.Variable()));

  EXPECT_EQ(buffer.Text(), "Exempted space is 0 bytes");
  EXPECT_GE(faulty.Calls(TWin32Call::GetUrlCacheEntryInfoA), 1u);
  EXPECT_EQ(faulty.Calls(TWin32Call::DeleteUrlCacheEntryA), 0u);
  const std::vector<std::string> listed = ListedByFreshProcess();
  for (const std::string &url : {kKeep1, kKeep2})
    EXPECT_TRUE(Holds(listed, url)) << url;
  for (const TCollidingUrls &pair : pairs)
    EXPECT_TRUE(Holds(listed, pair.Present)) << EscapedUrl(pair.Present);
}

} // namespace
