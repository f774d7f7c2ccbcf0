// seedcache: fills, shows and times the WinInet URL cache of the prefix it
// runs in.
//
//   seedcache seed N [SEED]        N realistic entries: 80% http pages and
//                                  images with files, 15% cookies, 5% visited
//   seedcache add [--size N] URL...
//                                  the entries named, the category by the
//                                  URL's prefix; an http entry gets a file
//                                  of N bytes (100 by default)
//   seedcache list                 every entry: category, size, URL
//   seedcache enum [--delete] [SELECTOR...]
//                                  enumerates with one reused buffer and times
//                                  it; SELECTOR "null" is the null selector
//                                  (the default); --delete deletes each entry
//                                  as it is listed
//   seedcache empty                deletes every entry
//   seedcache collide N            up to N pairs of URLs that the platform's
//                                  index cannot tell apart, one "PRESENT
//                                  ABSENT" line each (see FindCollidingUrls);
//                                  leaves the cache empty
//
// URLs are read and printed with bytes outside printable ASCII as %XX.
#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "CacheSeeder.h"
#include "Handles.h"
#include "SeededRandom.h"
#include "UrlCorpus.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: seedcache seed N [SEED]\n"
                       "       seedcache add [--size N] URL...\n"
                       "       seedcache list\n"
                       "       seedcache enum [--delete] [SELECTOR...]\n"
                       "       seedcache empty\n"
                       "       seedcache collide N\n");
  return 2;
}

// File sizes as a browser's cache has them: mostly small, a few large.
uint32_t RealisticSize(TSeededRandom &random) {
  const uint32_t roll = static_cast<uint32_t>(random.Below(100));
  if (roll < 50) return 200 + static_cast<uint32_t>(random.Below(4000));
  if (roll < 90) return 4000 + static_cast<uint32_t>(random.Below(60000));
  return 64000 + static_cast<uint32_t>(random.Below(400000));
}

int Seed(size_t count, uint32_t seed) {
  TSeededRandom random(seed);
  size_t http = 0, cookies = 0, visited = 0;
  uint64_t bytes = 0;
  for (size_t i = 0; i < count; ++i) {
    const TCacheUrlKind kind = DrawCleanMixKind(random);
    const std::string url = GenerateCacheUrl(kind, random);
    const uint32_t size = kind == TCacheUrlKind::Http ? RealisticSize(random) : 0;
    SeedEntry(url, size);
    (kind == TCacheUrlKind::Http ? http : kind == TCacheUrlKind::Cookie ? cookies : visited)++;
    bytes += size;
  }
  std::printf("seeded %zu entries: %zu http (%llu bytes in files), %zu cookies, %zu visited\n",
              count, http, static_cast<unsigned long long>(bytes), cookies, visited);
  return 0;
}

const char *CategoryOf(const std::string &url) {
  if (url.rfind("Cookie:", 0) == 0) return "cookie ";
  if (url.rfind("Visited:", 0) == 0) return "visited";
  return "http   ";
}

int List() {
  const std::vector<TListedEntry> entries = ListWholeUrlCache();
  for (const TListedEntry &entry : entries)
    std::printf("%s %9llu  %s\n", CategoryOf(entry.Url),
                static_cast<unsigned long long>(entry.Size), EscapedUrl(entry.Url).c_str());
  std::printf("%zu entries\n", entries.size());
  return 0;
}

int Add(int argc, char **argv) {
  int first = 2;
  uint32_t size = 100;
  if (argc > 3 && std::strcmp(argv[2], "--size") == 0) {
    size = static_cast<uint32_t>(std::stoul(argv[3]));
    first = 4;
  }
  for (int i = first; i < argc; ++i)
    SeedEntry(UnescapedUrl(argv[i]), size);
  std::printf("added %d entries\n", argc - first);
  return 0;
}

int Collide(size_t wanted) {
  for (const TCollidingUrls &pair : FindCollidingUrls(wanted))
    std::printf("%s %s\n", EscapedUrl(pair.Present).c_str(), EscapedUrl(pair.Absent).c_str());
  return 0;
}

// One enumeration of `selector` with a reused buffer; deletes each entry
// after fetching it when `remove` is set. Returns the entries listed.
size_t Enumerate(const char *selector, bool remove, size_t &deleted) {
  std::vector<char> buffer(4096);
  auto record = [&] { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(buffer.data()); };
  DWORD size = static_cast<DWORD>(buffer.size());
  TUrlCacheFind find(FindFirstUrlCacheEntryA(selector, record(), &size), {&TWin32Api::System()});
  if (!find && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    buffer.resize(size);
    find.Reset(FindFirstUrlCacheEntryA(selector, record(), &size));
  }
  if (!find) return 0;
  size_t listed = 0;
  for (;;) {
    ++listed;
    if (remove && DeleteUrlCacheEntryA(record()->lpszSourceUrlName)) ++deleted;
    size = static_cast<DWORD>(buffer.size());
    if (FindNextUrlCacheEntryA(find.Get(), record(), &size)) continue;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.resize(size);
    if (!FindNextUrlCacheEntryA(find.Get(), record(), &size)) break;
  }
  return listed;
}

int Enum(int argc, char **argv) {
  bool remove = false;
  std::vector<const char *> selectors;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--delete") == 0)
      remove = true;
    else
      selectors.push_back(std::strcmp(argv[i], "null") == 0 ? nullptr : argv[i]);
  }
  if (selectors.empty()) selectors.push_back(nullptr);
  size_t listed = 0, deleted = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const char *selector : selectors)
    listed += Enumerate(selector, remove, deleted);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("enumerated %zu entries, deleted %zu, in %.1f ms (%.1f us per entry)\n", listed,
              deleted, ms, listed ? ms * 1000.0 / static_cast<double>(listed) : 0.0);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  try {
    if (command == "seed" && (argc == 3 || argc == 4))
      return Seed(std::stoul(argv[2]), argc == 4 ? static_cast<uint32_t>(std::stoul(argv[3])) : 1);
    if (command == "add") return Add(argc, argv);
    if (command == "list" && argc == 2) return List();
    if (command == "collide" && argc == 3) return Collide(std::stoul(argv[2]));
    if (command == "enum") return Enum(argc, argv);
    if (command == "empty" && argc == 2) {
      std::printf("deleted %zu entries\n", EmptyUrlCache());
      return 0;
    }
    return Usage();
  } catch (const std::exception &e) {
    std::fprintf(stderr, "seedcache: %s\n", e.what());
    return 1;
  }
}
