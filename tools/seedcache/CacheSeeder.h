#pragma once
// Windows only: seeding and listing the real WinInet URL cache of the Wine
// prefix (or the Windows user), for seedcache and for the clean's and the
// dialog's tests. Every call the platform's call table has goes through it
// (TWin32Api::System(); listings through TUrlCacheRecords); creating and
// committing entries, which the product never does, call WinInet directly.
//
//   http entries: CreateUrlCacheEntryA, write the file, CommitUrlCacheEntryA
//                 (NORMAL_CACHE_ENTRY); the entry's size is the file's.
//   cookies:      CommitUrlCacheEntryA("Cookie:user@host/", no file, COOKIE_CACHE_ENTRY)
//   history:      CommitUrlCacheEntryA("Visited: user@url", no file, URLHISTORY_CACHE_ENTRY)
#ifdef _WIN32
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One entry as the platform lists it.
struct TListedEntry {
  std::string Url;
  std::string LocalFileName; // empty when the entry has none
  uint64_t Size = 0;
  uint32_t Type = 0; // CacheEntryType bits
};

// One entry of the sample cache that the clean's Wine tests seed.
struct TSampleEntry {
  const char *Url;
  uint32_t Size; // file size of an http entry; cookies and history have none
};

// The sample cache: http pages of two sites and localhost, their cookies and
// visited entries, in the order the tests seed them.
const std::vector<TSampleEntry> &SampleCacheEntries();

// Adds an http entry whose file holds `size` bytes; returns the file's path.
// Throws std::runtime_error when the platform refuses.
std::string SeedHttpEntry(const std::string &url, uint32_t size, const char *extension = "htm");

// The same with `headers` as the entry's header information, which the
// platform's record carries: long headers make a record of any size.
std::string SeedHttpEntryWithHeaders(const std::string &url, uint32_t size,
                                     const std::string &headers, const char *extension = "htm");

// The size of the platform's record for the entry with this URL (0 when
// there is none).
uint32_t UrlCacheRecordSize(const std::string &url);

// Adds a cookie entry ("Cookie:user@host/") without a file.
void SeedCookieEntry(const std::string &url);

// Adds a visited-history entry ("Visited: user@url") without a file.
void SeedVisitedEntry(const std::string &url);

// Adds an entry of the category its URL names ("Cookie:", "Visited:", else
// http with a file of `size` bytes).
void SeedEntry(const std::string &url, uint32_t size);

// What the platform enumerates for `selector` (null: the null selector), in
// its order (TUrlCacheRecords).
std::vector<TListedEntry> ListUrlCache(const char *selector);

// Every entry of every container (content, cookies, history), each once.
std::vector<TListedEntry> ListWholeUrlCache();

// The URLs of ListWholeUrlCache, sorted.
std::vector<std::string> SortedCacheUrls();

// Whether the platform knows an entry with this URL.
bool UrlCacheHas(const std::string &url);

// Deletes every entry of every container; returns how many went.
size_t EmptyUrlCache();

// The URL of the entry that the platform's lookup of `url`
// (GetUrlCacheEntryInfoA) finds; none when it finds nothing.
std::optional<std::string> ResolvedUrl(const std::string &url);

// Two URLs that Wine 8's index gives the same key: looking `Absent` up finds
// the entry of `Present`, and committing `Absent` replaces that entry.
struct TCollidingUrls {
  std::string Present, Absent;
};

// Finds up to `wanted` colliding pairs by trying: `prefix` followed by one
// byte of 0x80 to 0xFF, in order, each looked up before it is seeded
// (without a file); a candidate that already resolves to a seeded entry
// makes a pair. The same platform gives the same pairs. Empties the cache
// before and after. Finds none on a platform whose lookups compare URLs.
std::vector<TCollidingUrls> FindCollidingUrls(size_t wanted,
                                              const std::string &prefix = "http://hc/");

// A URL that Wine 8's index gives a key of zero, which also matches the slots
// of deleted entries, and a URL of printable ASCII in the same bucket.
struct TKeyZeroUrl {
  std::string Url;  // a prefix, a printable character and a byte of 0x80 to 0xFF
  std::string Mate; // "http://!m" followed by a number and "/"
};

// Finds up to `wanted` key-zero URLs for each of `prefixes`, each in a bucket
// of its own, by trying against the platform under test. Empties the cache,
// then adds and deletes 320 mates, which leaves a deleted slot in nearly
// every bucket; then looks up each prefix followed by a printable character
// and a byte of 0x80 to 0xFF, in order, without adding it. With no entry
// left, a lookup that finds a record has matched a deleted slot with a key of
// zero, and the mate it found shares its bucket. The same platform gives the
// same URLs. Finds none on a platform whose lookups compare URLs.
// When it finds some, it leaves the index broken on purpose (a found URL is
// deleted, which frees its mate's record a second time), so that the next
// process to open the index starts it afresh, without those deleted slots:
// a key-zero URL added where one is ahead of it would break it anyway.
std::vector<TKeyZeroUrl> FindKeyZeroUrls(const std::vector<std::string> &prefixes, size_t wanted);
#endif
