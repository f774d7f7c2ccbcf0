#pragma once
// The one selection of a clean: the sweeps a settings value asks for, and
// what they choose of a category's entries as read into snapshots, less
// what a site to keep holds back. The clean and the command line select from
// the platform's cache as read for their sweeps, the options dialog from the
// snapshots its reader keeps; both through SelectEach.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CacheSnapshot.h"
#include "CacheWalk.h"
#include "CleanerSettings.h"
#include "KeepSites.h"
#include "Masks.h"

// The patterns a clean with `settings` sweeps `category` with, in its
// order: none when it is off or its type sweeps nothing; for the cache, the
// http half and, when DeleteCacheHttps is set, the https half.
std::vector<std::string> SweepPatternsOf(const CleanerSettings &settings, TCategory category);
// The sweeps of a clean with `settings`, in its order: one per pattern of
// each category that is on (only `only`, when given).
std::vector<TSweep> SweepsOf(const CleanerSettings &settings,
                             std::optional<TCategory> only = std::nullopt);

// Hears of each entry a sweep chose; `keptBy` is the site to keep that holds
// it back, null when none does.
using TChosenVisitor =
    std::function<void(const TSweep &, const TCacheEntryView &, const std::string *keptBy)>;

// Hands `visit` what each of `sweeps` chooses, in their order: per sweep,
// the entries of its category's snapshot in `entries` that its pattern
// selects (TCacheSnapshot::Select), in enumeration order; a category not
// read gives none. A malformed pattern raises EMaskException where a walk of
// it would; the entries of the sweeps before it have been handed over.
void SelectEach(const std::vector<TSweep> &sweeps, const TCategorySnapshots &entries,
                const TLeadByteSet &leadBytes, const TKeepSites &keep, const TChosenVisitor &visit);

// The categories of `sweeps` read from `cache` (ReadCategories).
TCategorySnapshots ReadForSweeps(IUrlCache &cache, const std::vector<TSweep> &sweeps);

// Hears of each entry a sweep of a walk chose and no site keeps, as the
// walk lists it: the view is the enumeration's own, valid until the walk
// goes on.
using TListedChoice = std::function<void(const TSweep &, const TCacheEntryView &)>;

// A malformed mask: which category, which whole pattern, the 1-based
// position in it and the matcher's own message.
struct TMaskFault {
  TCategory Category = TCategory::Cache;
  std::string Pattern;
  uint64_t Position = 0;
  std::string Message;
};

// An entry a site to keep held back, and that site (as typed).
struct TKeptEntry {
  TCacheEntry Entry;
  std::string Site;
};

// The entries one sweep of a selection chose, in walk order, without those
// a site to keep held back (in KeptEntries, counted in Kept).
struct TSelectedCategory {
  TCategory Category = TCategory::Cache;
  std::string Pattern;
  std::vector<TCacheEntry> Entries;
  std::vector<TKeptEntry> KeptEntries;
  TKeptTotals Kept;
};

// What a selection chose: one part per sweep, in the clean's order. When a
// malformed mask stopped it, Fault says where: the part of that sweep holds
// no entries and the sweeps after it are absent.
struct TSelection {
  std::vector<TSelectedCategory> Sweeps;
  std::optional<TMaskFault> Fault;
  // The content entries (not cookies, not history) whose URL does not begin
  // with "http://" (ASCII letters in any case): https and every other
  // scheme, which the cache's http sweep passes by; none when the cache was
  // not swept first.
  std::optional<TSchemeTotals> OtherSchemes;

  // The first part of `category`; null when it was not swept.
  const TSelectedCategory *Of(TCategory category) const;
  // The entries of every part.
  uint64_t EntryCount() const;
  // What the sites to keep held back in the parts of `category`.
  TKeptTotals KeptOf(TCategory category) const;
};

// What `sweeps` choose of `entries` (SelectEach), copied into a selection;
// a malformed mask ends it with Fault set. The content entries of other
// schemes are added up when the first sweep is the cache's.
TSelection SelectFrom(const std::vector<TSweep> &sweeps, const TCategorySnapshots &entries,
                      const TLeadByteSet &leadBytes, const TKeepSites &keep);

// The same selection made while walking `cache` live (WalkCategories):
// `chosen` hears of each entry chosen and not held back as soon as the walk
// lists it, so that what it does (a delete) follows the listing at once.
// The sweeps up to a malformed pattern share one walk; the sweeps after it
// get a walk of their own once no entry reached it. A selection ended by a
// malformed mask holds what the sweeps before it chose, as SelectFrom's.
TSelection SelectListed(const std::vector<TSweep> &sweeps, IUrlCache &cache,
                        const TLeadByteSet &leadBytes, const TKeepSites &keep,
                        const TListedChoice &chosen);
