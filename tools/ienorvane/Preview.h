#pragma once
// What a clean with given settings deletes, category by category: the
// preview lists it beforehand without deleting, and the clean reports it
// afterwards in the same form, so the two can be compared line by line.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CacheWalk.h"
#include "IENorvaneU.h"
#include "Masks.h"
#include "ObservedPlatform.h"

// One category's part of a preview or a clean.
struct TCategoryListing {
  TCategory Category = TCategory::Cache;
  bool Enabled = false;                // the category's flag
  int32_t Type = 0;                    // the category's type code
  std::optional<std::string> Pattern;  // the sweep's pattern; none when not swept
  std::vector<TReportedEntry> Entries; // in the platform's enumeration order
  TCategoryTotals Totals;              // count and bytes of Entries
};

// The categories of a preview or a clean, in the order a clean sweeps them.
struct TListing {
  std::vector<TCategoryListing> Categories;
  // The sums over all categories.
  TCategoryTotals Total() const;
};

// A malformed mask met by a walk: which category, which whole pattern, the
// 1-based position in it and the matcher's own message.
struct TMaskFault {
  TCategory Category = TCategory::Cache;
  std::string Pattern;
  std::optional<uint64_t> Position; // none if the message carries none
  std::string Message;
};

// The failure of a preview at a malformed mask.
class EMaskFault : public Exception {
public:
  explicit EMaskFault(TMaskFault fault) : Exception(fault.Message), Fault(std::move(fault)) {}
  TMaskFault Fault;
};

// Describes the matcher's failure on the pattern it names.
TMaskFault MaskFaultOf(const EMaskException &failure);

// The category's flag, type and sweep pattern (none when it is off or its
// type is neither 0 nor 1), without entries.
TCategoryListing ListingHead(const TIENorvane &settings, TCategory category);

// The entries that a clean with `settings` would delete, by the clean's own
// walk (category filter, matcher, the type-0 pattern or the user's mask), for
// every category or only `only`. Deletes nothing. Raises EMaskFault at the
// first entry that reaches the match of a malformed pattern, as the clean
// would fail there.
TListing PreviewClean(const TIENorvane &settings, IPlatform &platform,
                      std::optional<TCategory> only = std::nullopt);

// The entries a clean deleted, by category, in the same form as a preview.
class TDeletedEntries {
public:
  // Records `entry` of `category` when its delete succeeded.
  void Record(TCategory category, const TCacheEntryView &entry, TDeleteResult result);
  TListing Listing(const TIENorvane &settings) const;

private:
  std::vector<TReportedEntry> Deleted[3];
};
