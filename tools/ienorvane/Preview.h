#pragma once
// What a preview lists and what a clean did, category by category, in one
// form, so that the two can be compared line by line. The entries come from
// the cleaner's own steps (TIENorvane::Select, SelectAndDelete); this only
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
  std::vector<std::string> Patterns;       // the sweeps' patterns; none when not swept
  std::vector<TCacheEntry> Entries;        // selected (preview) or deleted (clean), in walk order
  std::vector<TUndeletedEntry> NotDeleted; // clean: selected and left, in walk order
  std::vector<TKeptEntry> Kept;            // selected and held back by a site to keep
  TCategoryTotals Totals;                  // count and bytes of Entries; NotDeleted's count; kept
  // The cache without its https half: the content entries of another scheme
  // that the walk passed over (none for other categories).
  std::optional<TSchemeTotals> OtherSchemes;
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

// Notes, in the cache's part of `listing` when it is swept without its
// https half, the content entries of other schemes that `selection` passed.
void NoteOtherSchemes(TListing &listing, const TIENorvane &settings, const TSelection &selection);

// Collects what a clean's deletes did into the form of a preview: every
// category's head, then per delete the entry as deleted or left with the
// platform's reason.
class TCleanListing {
public:
  // The heads of `settings`.
  explicit TCleanListing(const TIENorvane &settings);

  // Notes one delete (a TSweepObserver).
  void Deleted(TCategory category, const TCacheEntryView &entry, TDeleteResult result);

  // The listing, with the counts of the clean's totals and the entries its
  // selection held back.
  TListing Done(const TCleanRun &run) &&;

private:
  TListing Listing;
};
