#pragma once
// The walk over the URL cache that both the clean and the preview lists make:
// the platform's enumeration of a CachePattern's category, the category
// filter, and the match of each entry's whole URL against the whole pattern.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "Platform.h"

// "http://", "Cookie:" or "Visited:".
const char *CategoryPrefix(TCategory category);

// The category whose container a walk of `pattern` enumerates: Cookies for a
// pattern beginning with "Cookie:", History for "Visited:" (ASCII letters in
// any case, as the matcher compares them), Cache for every other pattern.
TCategory CategoryOfPattern(const std::string &pattern);

// The pattern a clean sweeps a category with: type 0 gives the prefix and
// "*.*", type 1 the prefix and `mask` as stored; any other type gives none
// (the category is not swept).
std::optional<std::string> SweepPattern(TCategory category, int32_t type, const std::string &mask);

// The pattern whose entries a category's preview lists: what a clean of
// type 0 or 1 sweeps (so that the list shows what the clean deletes); for any
// other type, which no clean sweeps, the prefix and `mask`.
std::string PreviewPattern(TCategory category, int32_t type, const std::string &mask);

// Whether the walk of `pattern` offers an entry with this URL to the match:
// an http pattern passes over "Cookie:" and "Visited:" entries, which the
// platform may list with the content entries.
bool PassesCategoryFilter(const std::string &pattern, const char *url);

// Calls `visit` for every entry of the platform's cache that `pattern`
// selects, in the platform's enumeration order. A malformed pattern raises
// EMaskException when the first entry reaches the match, not before; the
// exception leaves the walk with the enumeration released. An exception from
// `visit` leaves it the same way. The pattern is compiled once per walk, in
// the platform's code page.
void Walk(IPlatform &platform, const std::string &pattern,
          const std::function<void(const TCacheEntryView &)> &visit);

// What one category's sweep did.
struct TCategoryTotals {
  uint64_t Count = 0;      // entries deleted
  uint64_t Bytes = 0;      // their sizes added up
  uint64_t NotDeleted = 0; // entries selected that the platform did not delete
};

// Called for each entry a sweep selected, with the category of the sweep's
// pattern and what the entry's delete did.
using TSweepObserver = std::function<void(TCategory, const TCacheEntryView &, TDeleteResult)>;

// Deletes each entry a sweep selects, one by one, and counts what went; an
// entry counts as deleted only when the platform deleted it. `observer`,
// when set, hears of each. `cache` and `observer` must outlive it.
class TEntryDeleter {
public:
  TEntryDeleter(IUrlCache &cache, TCategory category, const TSweepObserver &observer);
  void operator()(const TCacheEntryView &entry);
  const TCategoryTotals &Totals() const { return Counted; }

private:
  IUrlCache &Cache;
  const TCategory Category;
  const TSweepObserver &Observer;
  TCategoryTotals Counted;
};

// Hears of each entry of another category that the platform listed with
// the http content and the walk's category filter passed over.
using TPassedOver = std::function<void(const TCacheEntryView &)>;

// Walks `pattern` deleting each entry it visits (TEntryDeleter).
TCategoryTotals Sweep(IPlatform &platform, const std::string &pattern,
                      const TSweepObserver &observer = {}, const TPassedOver &passedOver = {});

// The same over `enumeration`, started for `pattern`'s category.
TCategoryTotals Sweep(IPlatform &platform, IUrlEnumeration &enumeration, const std::string &pattern,
                      const TSweepObserver &observer = {}, const TPassedOver &passedOver = {});
