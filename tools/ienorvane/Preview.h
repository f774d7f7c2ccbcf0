#pragma once
// What a clean with given settings deletes, category by category: the
// preview lists it beforehand without deleting, and the command line's clean
// deletes exactly those entries and reports them in the same form, so the
// two can be compared line by line.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CacheWalk.h"
#include "IENorvaneU.h"
#include "Masks.h"
#include "ObservedPlatform.h"

// An entry a clean selected and the platform did not delete, and why.
struct TUndeletedEntry {
  TReportedEntry Entry;
  TDeleteResult Reason = TDeleteResult::Failed;
};

// One category's part of a preview or a clean.
struct TCategoryListing {
  TCategory Category = TCategory::Cache;
  bool Enabled = false;                    // the category's flag
  int32_t Type = 0;                        // the category's type code
  std::optional<std::string> Pattern;      // the sweep's pattern; none when not swept
  std::vector<TReportedEntry> Entries;     // selected (preview) or deleted (clean), in walk order
  std::vector<TUndeletedEntry> NotDeleted; // clean: selected and left, in walk order
  TCategoryTotals Totals;                  // count and bytes of Entries; NotDeleted's count
};

// The categories of a preview or a clean, in the order a clean sweeps them.
struct TListing {
  std::vector<TCategoryListing> Categories;
  // The sums over all categories.
  TCategoryTotals Total() const;
};

// A malformed mask: which category, which whole pattern, the 1-based
// position in it and the matcher's own message.
struct TMaskFault {
  TCategory Category = TCategory::Cache;
  std::string Pattern;
  uint64_t Position = 0;
  std::string Message;
};

// The failure of a walk at a malformed mask.
class EMaskFault : public Exception {
public:
  explicit EMaskFault(TMaskFault fault) : Exception(fault.Message), Fault(std::move(fault)) {}
  TMaskFault Fault;
};

// The category's flag, type and sweep pattern (none when it is off or its
// type is neither 0 nor 1), without entries.
TCategoryListing ListingHead(const TIENorvane &settings, TCategory category);

// Every pattern a clean with `settings` would match entries against (the
// category on, type 1) that the matcher refuses, in the clean's order. Looks
// at no cache entry: the answer does not depend on what the cache holds.
std::vector<TMaskFault> MalformedMasks(const TIENorvane &settings, const TLeadByteSet &leadBytes);

// The entries that a clean with `settings` would delete, by the clean's own
// walk (category filter, matcher, the type-0 pattern or the user's mask), for
// every category or only `only`. Deletes nothing. Raises EMaskFault at the
// first entry that reaches the match of a malformed pattern.
TListing PreviewClean(const TIENorvane &settings, IPlatform &platform,
                      std::optional<TCategory> only = std::nullopt);

// Called after each delete with the number done so far.
using TDeleteProgress = std::function<void(uint64_t done)>;

// Deletes through `cache` exactly the entries `preview` lists, each by the
// view its walk delivered, in the listing's order, and returns the listing of
// what happened: per category the deleted entries (with their count and
// bytes) and the ones left with the platform's reason.
TListing DeleteListed(const TListing &preview, IUrlCache &cache,
                      const TDeleteProgress &progress = {});

// The number of entries `listing` holds, over all categories.
uint64_t EntryCount(const TListing &listing);
