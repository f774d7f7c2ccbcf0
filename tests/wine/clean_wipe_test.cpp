// The wipe of deleted traces over the real WinInet URL cache: what the
// index files and the deleted files still hold after a clean with
// WipeTraces, read byte for byte, what a fresh process lists afterwards, the
// files the wipe must not write to, and a wipe whose platform calls fail.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CacheSeeder.h"
#include "Commands.h"
#include "FaultyWin32Api.h"
#include "IENorvaneU.h"
#include "PlugHostRun.h"
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

// The first 700 bytes the handle reads, and closes it.
std::string BytesThrough(HANDLE file) {
  std::string bytes(700, '\1');
  DWORD read = 0;
  EXPECT_TRUE(ReadFile(file, bytes.data(), 700, &read, nullptr));
  CloseHandle(file);
  return bytes.substr(0, read);
}

// A handle that reads the file after a clean deleted it.
HANDLE OpenEarly(const std::string &file) {
  const HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(handle, INVALID_HANDLE_VALUE) << file;
  return handle;
}

// URL and size of every entry, as this process lists them.
std::map<std::string, uint64_t> ListedHere() {
  std::map<std::string, uint64_t> listed;
  for (const TListedEntry &entry : ListWholeUrlCache())
    listed[entry.Url] = entry.Size;
  return listed;
}

// An http entry whose local file the index names through "..", outside the
// cache's folder (as an altered index.dat can), holding a copy of `seeded`.
std::string SeedFiledOutside(const std::string &url, const std::string &seeded) {
  const std::string file = seeded.substr(0, seeded.rfind('\\')) + "\\..\\..\\nv-wipe-outside.htm";
  EXPECT_TRUE(CopyFileA(seeded.c_str(), file.c_str(), FALSE));
  FILETIME never{};
  EXPECT_TRUE(CommitUrlCacheEntryA(url.c_str(), file.c_str(), never, never, NORMAL_CACHE_ENTRY,
                                   nullptr, 0, nullptr, nullptr));
  return file;
}

// Makes the table report the file `early` holds open as a reparse point.
void ReportAsReparsePoint(TFaultyWin32Api &faulty, HANDLE early) {
  BY_HANDLE_FILE_INFORMATION target{};
  ASSERT_TRUE(GetFileInformationByHandle(early, &target));
  faulty.Replace(TWin32Call::GetFileInformationByHandle,
                 TWin32Replacement<decltype(TWin32Api::GetFileInformationByHandle)>(
                     [&faulty, target](HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) -> BOOL {
                       if (!faulty.Real().GetFileInformationByHandle(file, info)) return FALSE;
                       if (info->nFileIndexLow == target.nFileIndexLow &&
                           info->nFileIndexHigh == target.nFileIndexHigh)
                         info->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
                       return TRUE;
                     }));
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
    Files.clear(); // a new seed's file may have another name
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
    return cleaner.SelectAndDelete().Totals;
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
    const HANDLE early = OpenEarly(Files[0]);
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
    EXPECT_EQ(ListedByFreshProcess(), ListedHere()) << "a new mapping of the index";
    ASSERT_EQ(after.size(), kept.size());
    for (size_t i = 0; i < kept.size(); ++i) {
      EXPECT_EQ(after[i].Url, kept[i].Url);
      EXPECT_EQ(after[i].LocalFileName, kept[i].LocalFileName);
      EXPECT_EQ(after[i].Size, kept[i].Size);
    }
    const std::string bytes = BytesThrough(early);
    EXPECT_EQ(bytes.size(), 700u);
    EXPECT_EQ(std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; }), wipe);
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

// A file the wipe must not write to is deleted by name only, its bytes
// intact, and the command line's clean says why: one the index names outside
// the cache's folder, and a reparse point. Wine 8 makes no reparse point
// (CreateSymbolicLinkA succeeds and makes nothing), so in that case the call
// table reports a seeded file as one.
TEST_F(WipeRealCache, AFileTheWipeMustNotWriteIsDeletedByNameOnly) {
  const struct {
    TFileKeep Reason;
    const char *Line;
  } cases[] = {
      {TFileKeep::Outside, "  deleted by name only: 1 files, outside the cache's folder\n"},
      {TFileKeep::Reparse, "  deleted by name only: 1 files, is a reparse point\n"},
  };
  const std::string seeded = BytesThrough(OpenEarly(Files[1]));
  for (const auto &c : cases) {
    SCOPED_TRACE(ReasonKey(c.Reason));
    SetUp();
    std::string url = Seeds()[1].Url, file = Files[1];
    if (c.Reason == TFileKeep::Outside)
      url = "http://gone.example/outside.htm", file = SeedFiledOutside(url, Files[1]);
    const HANDLE early = OpenEarly(file);
    TFaultyWin32Api faulty;
    if (c.Reason == TFileKeep::Reparse) ReportAsReparsePoint(faulty, early);
    TWin32Platform platform(faulty.Api());
    std::ostringstream out, err;
    RunCli({"clean", "--ini", "nv-wipe-none.ini", "--section", "S", "--defaults", "--wipe"},
           platform, {out, err});
    EXPECT_NE(out.str().find(c.Line), std::string::npos) << out.str() << err.str();
    EXPECT_FALSE(UrlCacheHas(url));
    EXPECT_EQ(BytesThrough(early), seeded);
  }
}

// A neutral commit or delete failing part-way loses nothing unselected, and
// the next clean finishes the wipe: no neutral entry outlives it.
TEST_F(WipeRealCache, FailingNeutralCallsLoseNothingAndTheNextCleanFinishes) {
  const struct {
    TWin32Call Call;
    unsigned Nth;
    bool ForGood;
    size_t Left; // neutral entries the clean leaves
  } cases[] = {
      {TWin32Call::CommitUrlCacheEntryA, 2, true, 0},
      // Five selected deletes first; the neutral entries' own deletes fail,
      // all of them or the third alone.
      {TWin32Call::DeleteUrlCacheEntryA, 6, true, 5},
      {TWin32Call::DeleteUrlCacheEntryA, 8, false, 1},
  };
  const auto kept = [] {
    std::map<std::string, uint64_t> listed = ListedHere();
    std::erase_if(listed,
                  [](const auto &e) { return e.first.find("kept.example") == e.first.npos; });
    return listed;
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(NameOf(c.Call)) + " " + std::to_string(c.Nth));
    SetUp();
    const std::map<std::string, uint64_t> seededKept = kept();
    ASSERT_EQ(seededKept.size(), 3u);
    {
      TFaultyWin32Api faulty;
      TWin32Platform platform(faulty.Api());
      faulty.Fail(c.Call, {.Nth = c.Nth, .ForGood = c.ForGood});
      const TCleanTotals totals = Clean(platform, true);
      EXPECT_EQ(totals.Cache.Count + totals.Cookies.Count + totals.History.Count, 5u);
    }
    const std::vector<std::string> left = NeutralUrls();
    EXPECT_EQ(left.size(), c.Left);
    EXPECT_EQ(kept(), seededKept);
    TWin32Platform platform;
    const TCleanTotals next = Clean(platform, true);
    EXPECT_EQ(next.Wipe->LeftoversRemoved, left.size());
    EXPECT_TRUE(NeutralUrls().empty());
    EXPECT_EQ(kept(), seededKept);
    EXPECT_EQ(ListedByFreshProcess(), seededKept);
  }
}
