#pragma once
// The walk over the URL cache that both the clean and the preview lists make:
// the platform's enumeration for a CachePattern, the category filter, and the
// match of each entry's whole URL against the whole pattern.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "UrlCache.h"

struct TCategoryTotals;

// The three categories of cache entries, in the order a clean sweeps them.
enum class TCategory { Cache, Cookies, History };

// One entry as the walk offers it. The texts stay valid only during the visit.
struct TCacheEntryView {
  const char *Url;           // the source URL, never null
  const char *LocalFileName; // null when the entry has no local file
  uint64_t Size;             // high size word * 2^32 + low size word
};

// "http://", "Cookie:" or "Visited:".
const char *CategoryPrefix(TCategory category);

// The pattern a clean sweeps a category with: type 0 gives the prefix and
// "*.*", type 1 the prefix and `mask` as stored; any other type gives none
// (the category is not swept).
std::optional<std::string> SweepPattern(TCategory category, int32_t type, const std::string &mask);

// How many next-entry queries in a row may fetch nothing (a code other than
// 122 and 259, or a fetch that fails after the sizing call) before a walk
// gives up. The platform documents only 122 and 259; a query that keeps
// failing otherwise would never end the walk. A real cache never fails this
// often in a row, and under Wine this many queries take about half a second.
constexpr unsigned kWalkMaxFruitlessQueries = 1000;

// Calls `visit` for every entry of `cache` that `pattern` selects, in the
// platform's enumeration order. An http pattern passes over "Cookie:" and
// "Visited:" entries before matching. A malformed pattern raises
// EMaskException when the first entry reaches the match, not before; the
// exception leaves the walk with the enumeration closed. An exception from
// `visit` leaves it the same way. The pattern is compiled once per walk and
// one entry buffer, grown as needed, serves every entry.
void Walk(IUrlCache &cache, const std::string &pattern,
          const std::function<void(const TCacheEntryView &)> &visit);

// Walks `pattern` deleting each entry it visits; an entry counts only when
// its deletion succeeds.
TCategoryTotals Sweep(IUrlCache &cache, const std::string &pattern);
