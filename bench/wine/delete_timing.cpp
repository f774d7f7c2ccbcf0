// nvdeletetiming: under Wine, what the delete of TWin32UrlCache costs per
// deleted entry (a lookup of the URL, the comparison with the walked entry,
// then the delete) against a bare DeleteUrlCacheEntryA, on the same real
// URL cache. bench/wine_delete_timing.sh runs it in a throwaway prefix.
//
//   nvdeletetiming [ENTRIES] [ROUNDS]     (defaults: 300 21)
//
// Every round seeds ENTRIES http entries (without files, so that seeding is
// quick), lists them, and deletes every listed entry, timing only the
// deletes: by the bare call, then, seeded afresh, through TWin32UrlCache.
// Prints the median time per entry of each and the difference.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CacheSeeder.h"
#include "Win32UrlCache.h"

namespace {

using TClock = std::chrono::steady_clock;

void SeedEntries(size_t count) {
  EmptyUrlCache();
  FILETIME never{};
  for (size_t i = 0; i < count; ++i) {
    const std::string url =
        "http://bench" + std::to_string(i % 17) + ".example.com/page" + std::to_string(i) + ".html";
    CommitUrlCacheEntryA(url.c_str(), nullptr, never, never, NORMAL_CACHE_ENTRY, nullptr, 0,
                         nullptr, nullptr);
  }
}

// Microseconds per entry for deleting every listed entry with `remove`.
template <typename F> double MicrosecondsPerDelete(F remove, size_t &deleted) {
  const std::vector<TListedEntry> entries = ListUrlCache(nullptr);
  deleted = 0;
  const auto start = TClock::now();
  for (const TListedEntry &entry : entries)
    if (remove(entry)) ++deleted;
  const double us = std::chrono::duration<double, std::micro>(TClock::now() - start).count();
  return entries.empty() ? 0.0 : us / static_cast<double>(entries.size());
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
  const size_t entries = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 300;
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 21;
  TWin32UrlCache cache;
  std::vector<double> bare, checked;
  size_t bareDeleted = 0, checkedDeleted = 0;
  for (int round = 0; round < rounds; ++round) {
    SeedEntries(entries);
    bare.push_back(MicrosecondsPerDelete(
        [](const TListedEntry &e) { return DeleteUrlCacheEntryA(e.Url.c_str()) != 0; },
        bareDeleted));
    SeedEntries(entries);
    checked.push_back(MicrosecondsPerDelete(
        [&](const TListedEntry &e) {
          const TCacheEntryView view{
              e.Url.c_str(), e.LocalFileName.empty() ? nullptr : e.LocalFileName.c_str(), e.Size};
          return cache.Delete(view) == TDeleteResult::Deleted;
        },
        checkedDeleted));
  }
  EmptyUrlCache();
  const double bareUs = Median(bare), checkedUs = Median(checked);
  std::printf("entries per round: %zu, rounds: %d (deleted in the last: bare %zu, checked %zu)\n",
              entries, rounds, bareDeleted, checkedDeleted);
  std::printf("bare DeleteUrlCacheEntryA:   %.1f us per entry (median)\n", bareUs);
  std::printf("TWin32UrlCache::Delete:      %.1f us per entry (median)\n", checkedUs);
  std::printf("the check costs:             %.1f us per entry (%.2fx the bare delete)\n",
              checkedUs - bareUs, checkedUs / bareUs);
  return 0;
}
