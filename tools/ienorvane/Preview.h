#pragma once
// What a preview lists and what a clean did, category by category, in one
// form, so that the two can be compared line by line. The entries come from
// the cleaner's own steps (TIENorvane::Select, DeleteSelected); this only
// arranges them for the reports.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "IENorvaneU.h"

// An entry a clean selected and the platform did not delete, and why.
struct TUndeletedEntry {
  TCacheEntry Entry;
  TDeleteResult Reason = TDeleteResult::Failed;
};

// One category's part of a preview or a clean.
struct TCategoryListing {
  TCategory Category = TCategory::Cache;
  bool Enabled = false;                    // the category's flag
  TSweepType Type = TSweepType::All;       // the category's type
  std::optional<std::string> Pattern;      // the sweep's pattern; none when not swept
  std::vector<TCacheEntry> Entries;        // selected (preview) or deleted (clean), in walk order
  std::vector<TUndeletedEntry> NotDeleted; // clean: selected and left, in walk order
  TCategoryTotals Totals;                  // count and bytes of Entries; NotDeleted's count
};

// The categories of a preview or a clean, in the order a clean sweeps them.
struct TListing {
  std::vector<TCategoryListing> Categories;
  // The sums over all categories.
  TCategoryTotals Total() const;
};

// The preview of every category, or only `only`: each category's flag, type
// and sweep pattern (none when it is off or its type sweeps nothing), with
// the entries `selection` chose for it and their count and bytes.
TListing PreviewListing(const TIENorvane &settings, const TSelection &selection,
                        std::optional<TCategory> only = std::nullopt);

// Collects what a clean's deletes did into the form of a preview: every
// category's head, then per delete the entry as deleted or left with the
// platform's reason.
class TCleanListing {
public:
  explicit TCleanListing(const TIENorvane &settings);

  // Notes one delete (a TSweepObserver).
  void Deleted(TCategory category, const TCacheEntryView &entry, TDeleteResult result);

  // The listing, with the counts of `totals`.
  TListing Done(const TCleanTotals &totals) &&;

private:
  TListing Listing;
};
