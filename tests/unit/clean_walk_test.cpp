// The cache walk over the in-memory cache: what each pattern's walk offers
// and in which order, entries the platform does not deliver, a cache that
// changes underneath, the enumeration released on every path, and the mask
// compiled only when an entry reaches it.
#include <gtest/gtest.h>

#include <stdexcept>

#include "Masks.h"
#include "StandInPlatform.h"
#include "WalkSweep.h"
#include "clean_fixture.h"

namespace {

std::vector<std::string> WalkUrls(IPlatform &platform, const std::string &pattern) {
  std::vector<std::string> urls;
  Walk(platform, pattern, [&](const TCacheEntryView &entry) { urls.push_back(entry.Url); });
  return urls;
}

std::vector<std::string> Strings(std::initializer_list<const char *> items) {
  return {items.begin(), items.end()};
}

} // namespace

using WalkFixture = CleanFixture;

TEST_F(WalkFixture, WalkOffersEntriesInOrderWithTheirFields) {
  Seed({{"http://a.example.com/x.gif", (7ull << 32) + 5, "C:\\Cache\\Q1\\x[1].gif"},
        {"Cookie:john@a.example.com/", 0},
        {"http://b.example.com/", 9}});
  std::vector<uint64_t> sizes;
  std::vector<std::string> files;
  Walk(*this, "http://*.*", [&](const TCacheEntryView &entry) {
    sizes.push_back(entry.Size);
    files.push_back(entry.LocalFileName ? entry.LocalFileName : "(none)");
  });
  EXPECT_EQ(sizes, (std::vector<uint64_t>{(7ull << 32) + 5, 9u}));
  EXPECT_EQ(files, Strings({"C:\\Cache\\Q1\\x[1].gif", "(none)"}));
  EXPECT_EQ(Cache.Calls().Enumerate, 1u);
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
}

TEST_F(WalkFixture, WalkSelectsByCategoryAndMatch) {
  Seed({{"Cookie:john@a.example.com/", 0},
        {"http://a.example.com/", 0},
        {"Visited: john@http://a.example.com/", 0},
        {"Cookie:john@b.example.net/", 0},
        {"ftp://a.example.com/", 0}});
  struct {
    const char *Pattern;
    std::vector<std::string> Urls;
  } cases[] = {
      {"http://*.*", Strings({"http://a.example.com/"})},
      {"http://*", Strings({"http://a.example.com/"})},
      // A pattern of no category walks the http container and drops nothing.
      {"*", Strings({"Cookie:john@a.example.com/", "http://a.example.com/",
                     "Visited: john@http://a.example.com/", "Cookie:john@b.example.net/",
                     "ftp://a.example.com/"})},
      {"ftp:*", Strings({"ftp://a.example.com/"})},
      {"Cookie:*.*", Strings({"Cookie:john@a.example.com/", "Cookie:john@b.example.net/"})},
      {"COOKIE:*.net/", Strings({"Cookie:john@b.example.net/"})},
      {"Visited:*", Strings({"Visited: john@http://a.example.com/"})},
      {"visited:*", Strings({"Visited: john@http://a.example.com/"})},
      {"Visited:*.org", {}},
  };
  for (const auto &c : cases)
    EXPECT_EQ(WalkUrls(*this, c.Pattern), c.Urls) << c.Pattern;
}

TEST_F(WalkFixture, WalkPassesOverEntriesThePlatformDoesNotDeliver) {
  Seed({{"http://a.example.com/", 1}, {"http://b.example.com/", 2}, {"http://c.example.com/", 3}});
  Cache.HideFromEnumerations("http://a.example.com/");
  Cache.HideFromEnumerations("http://c.example.com/");
  EXPECT_EQ(WalkUrls(*this, "http://*.*"), Strings({"http://b.example.com/"}));
  EXPECT_TRUE(WalkUrls(*this, "Cookie:*").empty());
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
}

TEST_F(WalkFixture, WalkSeesTheCacheChangeUnderIt) {
  Seed({{"http://a.example.com/", 1}, {"http://b.example.com/", 2}, {"http://c.example.com/", 3}});
  Cache.OnDelivered([&](const std::string &url) {
    if (url == "http://a.example.com/") {
      Cache.Delete({"http://b.example.com/", nullptr, 2});
      Cache.Add("http://d.example.com/", std::nullopt, 4);
    }
  });
  const TCategoryTotals totals = Sweep(*this, "http://*.*");
  EXPECT_EQ(totals.Count, 3u); // a, c and the added d; b went before it was reached
  EXPECT_EQ(totals.Bytes, 1u + 3 + 4);
  EXPECT_TRUE(Cache.Urls().empty());
}

TEST_F(WalkFixture, WalkReleasesTheEnumerationOnEveryPath) {
  Seed({{"http://a.example.com/", 1}, {"http://b.example.com/", 2}});
  EXPECT_THROW(WalkUrls(*this, "http://[z-"), EMaskException);
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);

  EXPECT_THROW(Walk(*this, "http://*",
                    [](const TCacheEntryView &) { throw std::runtime_error("visitor failed"); }),
               std::runtime_error);
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
  EXPECT_EQ(Cache.Calls().Enumerate, 2u);
}

TEST_F(WalkFixture, WalkCompilesTheMaskOnlyWhenAnEntryReachesIt) {
  EXPECT_NO_THROW(WalkUrls(*this, "Cookie:["));
  Cache.Add("http://a.example.com/", std::nullopt, 1);
  EXPECT_NO_THROW(WalkUrls(*this, "Cookie:["));
  try {
    WalkUrls(*this, "http://[");
    FAIL() << "no EMaskException";
  } catch (const EMaskException &e) {
    EXPECT_STREQ(e.what(), "'http://[' is an invalid mask at (9)");
    EXPECT_EQ(e.Mask, "http://[");
    EXPECT_EQ(e.Position, 9u);
  }
}

TEST(WalkCodePage, WalkCompilesThePatternInThePlatformsCodePage) {
  TStandInPlatform platform;
  platform.Cache.Add("Visited:\x82x", std::nullopt, 0);
  // Single-byte: a set of the byte 0x82, then "x".
  EXPECT_EQ(WalkUrls(platform, "Visited:*[\x82]x").size(), 1u);
  // Code page 932: 0x82 and "]" are one character, so the set never closes.
  platform.CodePageLeadBytes = LeadBytesOfCodePage(932);
  EXPECT_THROW(WalkUrls(platform, "Visited:*[\x82]x"), EMaskException);
}
