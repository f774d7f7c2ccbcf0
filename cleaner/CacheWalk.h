#pragma once
// What every selection applies to an entry (the category of a CachePattern,
// the category filter, the match of each entry's whole URL against the whole
// pattern), the sweeps' patterns, and the counted delete of what was
// selected.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "KeepSites.h"
#include "Masks.h"
#include "Platform.h"
#include "SweepType.h"

// The category whose container a walk of `pattern` enumerates: Cookies for a
// pattern beginning with "Cookie:", History for "Visited:" (ASCII letters in
// any case, as the matcher compares them), Cache for every other pattern.
TCategory CategoryOfPattern(const std::string &pattern);

// The prefix of the content's secure half, which the cache category also
// sweeps when the user asks for it (after the http half).
inline constexpr const char *kHttpsPrefix = "https://";

// The pattern a sweep of `prefix` uses: All gives the prefix and "*.*",
// ByMask the prefix and `mask` as stored; any other type gives none.
std::optional<std::string> SweepPattern(std::string_view prefix, TSweepType type,
                                        const std::string &mask);

// The pattern a clean sweeps a category with: All gives the prefix and
// "*.*", ByMask the prefix and `mask` as stored; any other type gives none
// (the category is not swept).
std::optional<std::string> SweepPattern(TCategory category, TSweepType type,
                                        const std::string &mask);

// The prefixes a category is swept with: its own, and for the cache with
// `withHttps` the https prefix after it.
std::vector<std::string_view> SweptPrefixes(TCategory category, bool withHttps);

// One pattern as every walk applies it to an entry: the category filter,
// then the match of the whole URL against the whole pattern. The pattern is
// compiled, in the code page of `leadBytes`, when the first entry reaches
// the match, so that a malformed pattern no entry reaches raises nothing.
class TEntrySelector {
public:
  // `pattern` and `leadBytes` must outlive the selector.
  TEntrySelector(const std::string &pattern, const TLeadByteSet &leadBytes);

  // The category whose enumeration the pattern's walk lists.
  TCategory Category() const { return Listed; }

  // Whether the category filter drops the entry with this URL before the
  // match: an http pattern passes over the entries of the cookie and history
  // containers, which the platform may list with the content.
  bool PassesOver(const char *url) const {
    return FiltersOthers && ContainerOfUrl(url) != TCategory::Cache;
  }

  // Whether the pattern selects the entry with this URL: the filter passes
  // it and its URL matches. Raises EMaskException for a malformed pattern
  // when an entry first reaches the match.
  bool Selects(const char *url);

private:
  const std::string &Pattern;
  const TLeadByteSet &LeadBytes;
  const TCategory Listed;
  const bool FiltersOthers;
  std::optional<TMask> Mask;
};

// Entries of some kind and their sizes added up.
struct TSchemeTotals {
  uint64_t Count = 0;
  uint64_t Bytes = 0;
};

// One sweep of a clean: a category and the pattern it is swept with.
struct TSweep {
  TCategory Category;
  std::string Pattern;
};

// A site to keep (as typed) and how many entries it held back.
struct TKeptSite {
  std::string Site;
  uint64_t Count = 0;
};

// What the sites to keep held back of one category's selection.
struct TKeptTotals {
  uint64_t Count = 0;           // entries held back
  uint64_t Bytes = 0;           // their sizes added up
  std::vector<TKeptSite> Sites; // the sites that held one back, in the order first met

  void Add(const std::string &site, uint64_t size);
  void Add(const TKeptTotals &other);
};

// What one category's deletes did.
struct TCategoryTotals {
  uint64_t Count = 0;      // entries deleted
  uint64_t Bytes = 0;      // their sizes added up
  uint64_t NotDeleted = 0; // entries selected that the platform did not delete
  TKeptTotals Kept;        // entries selected that a site to keep held back
  // History only: the URL each deleted visit recorded (VisitedUrlOf), in
  // order; what a clean by mask makes the history store forget.
  std::vector<std::string> VisitedUrls;
};

// Called for each entry a delete was asked for, with the category it was
// selected for and what the delete did.
using TSweepObserver = std::function<void(TCategory, const TCacheEntryView &, TDeleteResult)>;

// Deletes selected entries one by one and counts, per category, what went;
// an entry counts as deleted only when the platform deleted it (a failed
// delete is passed over: the entry stays and counts nothing). `observer`,
// when set, hears of each. `cache` and `observer` must outlive it.
class TEntryDeleter {
public:
  TEntryDeleter(IUrlCache &cache, const TSweepObserver &observer);
  void operator()(TCategory category, const TCacheEntryView &entry);
  const TCategoryTotals &Totals(TCategory category) const {
    return Counted[static_cast<size_t>(category)];
  }

private:
  IUrlCache &Cache;
  const TSweepObserver &Observer;
  std::array<TCategoryTotals, 3> Counted;
};
