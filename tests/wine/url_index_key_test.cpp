// The index key as the plug-in computes it, against the index of the
// wininet.dll that runs: URLs the index cannot tell apart share the key, and
// the URLs whose lookup lands on the slot of a deleted entry are exactly the
// ones whose key names freed slots, in the bucket the key gives.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "CacheSeeder.h"
#include "FaultyWin32Api.h"
#include "UrlEscape.h"
#include "Win32Platform.h"
#include "Win32System.h"

namespace {

// The index's buckets: the key's low bits choose one of 64.
uint32_t BucketOf(const TUrlIndexKeys &keys, const std::string &url) {
  return keys.KeyOf(url) & 63u;
}

class UrlIndexKey : public ::testing::Test {
protected:
  void SetUp() override {
    const TWin32System system = TWin32System::Detect(TWin32Api::System());
    if (!system.WineVersion) GTEST_SKIP() << "Windows' index is not Wine's";
    ASSERT_TRUE(system.IndexKeys) << "the key table of the running wininet.dll was not found";
    EXPECT_EQ(system.Guard(), TIndexGuard::FreedSlotKeys);
    Keys.emplace(*system.IndexKeys);
  }
  void TearDown() override { EmptyUrlCache(); }
  std::optional<TUrlIndexKeys> Keys;
};

// Whether the URL's key names freed slots in the wininet.dll of Wine 8.0 of
// each architecture: "http://!b" 0xE9 (32-bit) and "http://!a" 0xFE (64-bit)
// found by the index's lookups, the others read off each build's image. An
// ASCII URL's key reads only the table, which both builds share.
TEST_F(UrlIndexKey, MeasuredUrls) {
  const struct {
    const char *Url;
    bool Win32, Win64;
  } rows[] = {
      {"http://!a\xFE", false, true},
      {"http://!b\xE9", true, false},
      {"http://www.example.com/", false, false},
      {"Cookie:j\xFCrgen@shop.example.com/", false, false},
      {"Visited: jos\xE9@http://news.example.org/today.html", false, false},
  };
  for (const auto &row : rows) {
#ifdef _WIN64
    const bool expected = row.Win64;
#else
    const bool expected = row.Win32;
#endif
    EXPECT_EQ(Keys->MatchesFreedSlots(row.Url), expected) << EscapedUrl(row.Url);
  }
}

TEST_F(UrlIndexKey, UrlsTheIndexConfusesShareTheKey) {
  const std::vector<TCollidingUrls> pairs = FindCollidingUrls(16, "http://hc/");
  ASSERT_FALSE(pairs.empty()) << "Wine's index tells no URLs apart by key";
  for (const TCollidingUrls &pair : pairs)
    EXPECT_EQ(Keys->KeyOf(pair.Present), Keys->KeyOf(pair.Absent))
        << EscapedUrl(pair.Present) << " " << EscapedUrl(pair.Absent);
}

// With a deleted slot at the head of nearly every bucket and no entry left,
// a lookup that finds a record has matched a deleted slot: its key names
// freed slots, and the deleted mate it found shares its bucket. A URL whose
// key names freed slots finds nothing only in a bucket that no mate took.
TEST_F(UrlIndexKey, LookupsLandOnFreedSlotsExactlyForTheKeysThatNameThem) {
  EmptyUrlCache();
  std::map<std::string, uint32_t> mates;
  std::set<uint32_t> bucketsWithMates;
  for (int i = 0; i < 320; ++i) {
    const std::string mate = "http://!m" + std::to_string(i) + "/";
    SeedEntry(mate, 0);
    mates[mate] = BucketOf(*Keys, mate);
    bucketsWithMates.insert(mates[mate]);
  }
  for (const auto &mate : mates)
    ASSERT_TRUE(DeleteUrlCacheEntryA(mate.first.c_str())) << mate.first;

  size_t landed = 0, named = 0;
  for (char middle = '!'; middle <= '~'; ++middle)
    for (unsigned last = 0x80; last <= 0xFF; ++last) {
      const std::string url = std::string("http://!") + middle + static_cast<char>(last);
      const std::optional<std::string> found = ResolvedUrl(url);
      const bool freedSlots = Keys->MatchesFreedSlots(url);
      named += freedSlots;
      if (found && !found->empty()) {
        ++landed;
        EXPECT_TRUE(freedSlots) << EscapedUrl(url) << " found " << EscapedUrl(*found);
        if (const auto mate = mates.find(*found); mate != mates.end()) {
          EXPECT_EQ(BucketOf(*Keys, url), mate->second) << EscapedUrl(url);
        }
      } else if (freedSlots) {
        EXPECT_FALSE(bucketsWithMates.count(BucketOf(*Keys, url))) << EscapedUrl(url);
      }
    }
  EXPECT_GT(landed, 0u);
  EXPECT_LT(named, 300u) << "about 1 in 100 such URLs";
}

// What the platform answers decides the guard: Windows (no wine_get_version)
// gets the checked delete for every URL, Wine the key rule, and Wine whose
// wininet.dll image cannot be read the rule for every byte of 0x80 and above,
// which the command line names in its caveat.
TEST(UrlIndexGuard, FollowsWhatThePlatformAnswers) {
  const std::string url = "http://www.example.com/caf\xE9.html";
  const struct {
    const char *Name;
    std::optional<TWin32Call> Failing;
    TIndexGuard Guard;
    bool Wine, Caveat;
    TDeleteResult Result;
    bool LookedUp;
  } rows[] = {
      {"Wine", std::nullopt, TIndexGuard::FreedSlotKeys, true, false, TDeleteResult::Deleted, true},
      {"Windows", TWin32Call::WineVersion, TIndexGuard::None, false, false, TDeleteResult::Deleted,
       true},
      {"Wine, no wininet.dll image", TWin32Call::GetModuleHandleA, TIndexGuard::HighBytes, true,
       true, TDeleteResult::NotAddressable, false},
  };
  for (const auto &row : rows) {
    EmptyUrlCache();
    const std::string file = SeedHttpEntry(url, 500);
    TFaultyWin32Api faulty;
    if (row.Failing) faulty.Fail(*row.Failing, {.Nth = 1, .ForGood = true});
    TWin32Platform platform(faulty.Api());
    const TPlatformIdentity identity = platform.Identity();
    EXPECT_EQ(identity.Wine, row.Wine) << row.Name;
    EXPECT_EQ(identity.Name.rfind(row.Wine ? "Wine " : "Windows", 0), 0u) << row.Name;
    EXPECT_EQ(!identity.Caveat.empty(), row.Caveat) << row.Name << ": " << identity.Caveat;
    EXPECT_EQ(TWin32System::Detect(faulty.Api()).Guard(), row.Guard) << row.Name;
    EXPECT_EQ(platform.UrlCache().Delete({url.c_str(), file.c_str(), 500}), row.Result) << row.Name;
    EXPECT_EQ(faulty.Calls(TWin32Call::GetUrlCacheEntryInfoA) > 0, row.LookedUp) << row.Name;
    EXPECT_EQ(UrlCacheHas(url), row.Result != TDeleteResult::Deleted) << row.Name;
  }
  EmptyUrlCache();
}

} // namespace
