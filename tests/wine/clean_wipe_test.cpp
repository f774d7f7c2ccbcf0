// The wipe of deleted traces over the real WinInet URL cache: what the
// index files and the deleted files still hold after a clean with
// WipeTraces, read byte for byte, and a wipe whose platform calls fail.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CacheSeeder.h"
#include "FaultyWin32Api.h"
#include "IENorvaneU.h"
#include "Win32Platform.h"
#include "Win32TraceWipe.h"

namespace {

// Entries of three categories; those of kept.example stay. Each deleted one
// carries a marker no other bytes of the index hold.
struct TSeed {
  std::string Url;
  std::string Headers; // http only
  bool Kept;
};

const std::vector<TSeed> &Seeds() {
  static const std::vector<TSeed> seeds = {
      {"http://gone.example/page/first-secret-page.html", "X-Secret: hdrval-first-0001\r\n", false},
      {"http://gone.example/img/second-secret-image.png",
       "X-Secret: hdrval-second-0002\r\n" + std::string(300, 'z'), false},
      {"http://kept.example/stays/here.html", "X-Kept: kept-header-value\r\n", true},
      {"http://gone.example/third-secret.html", "", false},
      {"Cookie:alice@cookiesite-secret.example/", "", false},
      {"Cookie:alice@kept.example/", "", true},
      {"Visited: alice@http://visited-secret.example/path", "", false},
      {"Visited: alice@http://kept.example/visited", "", true},
  };
  return seeds;
}

std::string LocalAppData() {
  char path[MAX_PATH] = {};
  GetEnvironmentVariableA("LOCALAPPDATA", path, MAX_PATH);
  return path;
}

// The bytes of the content, cookie and history index files.
std::string IndexBytes() {
  std::string all;
  for (const char *file : {"\\Microsoft\\Windows\\INetCache\\Content.IE5\\index.dat",
                           "\\Microsoft\\Windows\\INetCookies\\index.dat",
                           "\\Microsoft\\Windows\\History\\History.IE5\\index.dat"}) {
    const HANDLE handle =
        CreateFileA((LocalAppData() + file).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) continue;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(handle, buffer, sizeof buffer, &read, nullptr) && read > 0)
      all.append(buffer, read);
    CloseHandle(handle);
  }
  return all;
}

// The markers of a deleted seed: its URL's distinctive part, its header
// value and its file's name.
std::vector<std::string> MarkersOf(const TSeed &seed, const std::string &file) {
  std::vector<std::string> markers = {seed.Url.substr(seed.Url.find('@') + 1)};
  if (seed.Url.starts_with("http")) markers[0] = seed.Url.substr(seed.Url.rfind('/'));
  if (!seed.Headers.empty()) markers.push_back(seed.Headers.substr(10, 12));
  if (!file.empty()) markers.push_back(file.substr(file.rfind('\\') + 1));
  return markers;
}

std::vector<std::string> NeutralUrls() {
  std::vector<std::string> urls;
  for (const TListedEntry &entry : ListWholeUrlCache())
    if (TWin32TraceWipe::IsNeutral(entry.Url.c_str())) urls.push_back(entry.Url);
  return urls;
}

class WipeRealCache : public ::testing::Test {
protected:
  void SetUp() override {
    EmptyUrlCache();
    for (const TSeed &seed : Seeds()) {
      if (seed.Url.starts_with("http"))
        Files.push_back(SeedHttpEntryWithHeaders(seed.Url, 700, seed.Headers));
      else
        Files.push_back(""), SeedEntry(seed.Url, 0);
    }
  }
  void TearDown() override { EmptyUrlCache(); }

  TCleanTotals Clean(IPlatform &platform, bool wipe) {
    TIENorvane cleaner(platform);
    cleaner.Settings.DeleteCache = cleaner.Settings.DeleteCookies = true;
    cleaner.Settings.DeleteHistory = true;
    cleaner.Settings.CacheMask = cleaner.Settings.CookiesMask = "*.*";
    cleaner.Settings.HistoryMask = "*.*";
    cleaner.Settings.KeepSites = "kept.example";
    cleaner.Settings.WipeTraces = wipe;
    const TSelection selection = cleaner.Select();
    return cleaner.DeleteSelected(selection);
  }

  std::vector<std::string> Files; // per seed; empty for cookies and history
};

} // namespace

TEST_F(WipeRealCache, DeletedTracesAreGoneAndKeptEntriesStayWhole) {
  for (bool wipe : {false, true}) {
    SCOPED_TRACE(wipe ? "WipeTraces=1" : "WipeTraces=0");
    if (wipe) SetUp();
    const std::vector<TListedEntry> before = ListWholeUrlCache();
    // A handle opened before the clean reads the file's bytes afterwards.
    const HANDLE early = CreateFileA(Files[0].c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(early, INVALID_HANDLE_VALUE);
    TWin32Platform platform;
    const TCleanTotals totals = Clean(platform, wipe);
    EXPECT_EQ(totals.Wipe.has_value(), wipe);
    const std::string index = IndexBytes();
    std::vector<std::string> readable, markers;
    for (size_t i = 0; i < Seeds().size(); ++i)
      for (const std::string &marker : MarkersOf(Seeds()[i], Files[i]))
        if (!Seeds()[i].Kept) {
          markers.push_back(marker);
          if (index.find(marker) != std::string::npos) readable.push_back(marker);
        }
    // Without the wipe every deleted trace stays, as the platform leaves it.
    EXPECT_EQ(readable, wipe ? std::vector<std::string>{} : markers);
    if (wipe) {
      EXPECT_EQ(totals.Wipe->Of(TCategory::Cache).Records, 3u);
      EXPECT_EQ(totals.Wipe->Of(TCategory::Cache).Files, 3u);
      EXPECT_EQ(totals.Wipe->Of(TCategory::Cache).Bytes, 3u * 700);
      EXPECT_EQ(totals.Wipe->Of(TCategory::Cookies).Records, 1u);
      EXPECT_EQ(totals.Wipe->Of(TCategory::History).Records, 1u);
    }
    EXPECT_TRUE(NeutralUrls().empty());
    // The kept entries, as a new listing gives them, are as seeded.
    std::vector<TListedEntry> kept;
    std::copy_if(before.begin(), before.end(), std::back_inserter(kept),
                 [](const TListedEntry &e) { return e.Url.find("kept.example") != e.Url.npos; });
    const std::vector<TListedEntry> after = ListWholeUrlCache();
    ASSERT_EQ(after.size(), kept.size());
    for (size_t i = 0; i < kept.size(); ++i) {
      EXPECT_EQ(after[i].Url, kept[i].Url);
      EXPECT_EQ(after[i].LocalFileName, kept[i].LocalFileName);
      EXPECT_EQ(after[i].Size, kept[i].Size);
    }
    char bytes[700] = {1};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(early, bytes, sizeof bytes, &read, nullptr));
    CloseHandle(early);
    EXPECT_EQ(read, 700u);
    EXPECT_EQ(std::all_of(bytes, bytes + read, [](char c) { return c == 0; }), wipe);
  }
}

TEST_F(WipeRealCache, AFileWithASecondNameIsDeletedByNameOnly) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string outside = std::string(temp) + "nv-wipe-outside.bin";
  DeleteFileA(outside.c_str());
  ASSERT_TRUE(CreateHardLinkA(outside.c_str(), Files[1].c_str(), nullptr));
  TWin32Platform platform;
  const TCleanTotals totals = Clean(platform, true);
  EXPECT_EQ(totals.Wipe->Of(TCategory::Cache).FilesKept[static_cast<size_t>(TFileKeep::Linked)],
            1u);
  EXPECT_EQ(totals.Wipe->Of(TCategory::Cache).Files, 2u);
  const HANDLE file = CreateFileA(outside.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char bytes[700] = {};
  DWORD read = 0;
  ReadFile(file, bytes, sizeof bytes, &read, nullptr);
  CloseHandle(file);
  DeleteFileA(outside.c_str());
  EXPECT_EQ(read, 700u);
  EXPECT_EQ(bytes[0], 'a');
  EXPECT_EQ(bytes[699], static_cast<char>('a' + 699 % 26));
}

// A neutral commit or delete failing part-way loses nothing unselected, and
// the next clean finishes the wipe: no neutral entry outlives it.
TEST_F(WipeRealCache, FailingNeutralCallsLoseNothingAndTheNextCleanFinishes) {
  const struct {
    TWin32Call Call;
    unsigned Nth;
  } cases[] = {
      {TWin32Call::CommitUrlCacheEntryA, 2},
      // Five selected deletes first; the neutral entries' own deletes fail.
      {TWin32Call::DeleteUrlCacheEntryA, 6},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(NameOf(c.Call));
    SetUp();
    {
      TFaultyWin32Api faulty;
      TWin32Platform platform(faulty.Api());
      faulty.Fail(c.Call, {.Nth = c.Nth, .ForGood = true});
      const TCleanTotals totals = Clean(platform, true);
      EXPECT_EQ(totals.Cache.Count + totals.Cookies.Count + totals.History.Count, 5u);
    }
    const std::vector<std::string> left = NeutralUrls();
    EXPECT_EQ(left.empty(), c.Call == TWin32Call::CommitUrlCacheEntryA);
    TWin32Platform platform;
    const TCleanTotals next = Clean(platform, true);
    EXPECT_EQ(next.Wipe->LeftoversRemoved, left.size());
    EXPECT_TRUE(NeutralUrls().empty());
    size_t kept = 0;
    for (const TListedEntry &entry : ListWholeUrlCache())
      kept += entry.Url.find("kept.example") != std::string::npos;
    EXPECT_EQ(kept, 3u);
  }
}
