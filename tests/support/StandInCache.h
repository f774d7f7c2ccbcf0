#pragma once
// Test-only: a stand-in URL cache described in full (how it lists the cookie
// and history containers, and each entry with the faults it carries), so
// that one cache can be seeded into several stand-in platforms and handed,
// as a file, to a plug-in library built over a stand-in system platform.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "MemoryUrlCache.h"

// The environment variable that names the cache file of the plug-in library
// built over the stand-in system platform (tests/unit/standin_plugin).
inline constexpr const char *kStandInCacheVariable = "NV_STANDIN_CACHE";

struct TStandInEntry {
  std::string Url;
  std::optional<std::string> LocalFileName;
  uint64_t Size = 0;
  TDeleteResult DeleteAnswer = TDeleteResult::Deleted; // what deleting it answers
  bool Hidden = false;                                 // enumerations pass over it
};

struct TStandInCache {
  TMemoryUrlCache::TListing Listing = TMemoryUrlCache::TListing::WithContent;
  std::vector<TStandInEntry> Entries;

  // Adds the entries to `cache` in order, with their faults.
  void SeedInto(TMemoryUrlCache &cache) const;

  // The URLs of the history store that goes with this cache: the URL after
  // the "@" of each "Visited:" entry, in order.
  std::vector<std::string> HistoryUrls() const;

  // The cache as the text of a file, and back. Parse raises
  // std::runtime_error for a text Text did not write.
  std::string Text() const;
  static TStandInCache Parse(const std::string &text);
};

// What a stand-in platform left when it went: the URLs still present, in
// enumeration order, how often the history store was asked to clear and to
// delete all but the URLs of the sites to keep, and the URLs it still holds.
struct TStandInAftermath {
  std::vector<std::string> Left;
  uint32_t HistoryClears = 0;
  uint32_t HistoryWalks = 0;
  std::vector<std::string> HistoryLeft;

  std::string Text() const;
  static TStandInAftermath Parse(const std::string &text);
};
