#include "Preview.h"

#include <algorithm>

#include "AsciiText.h"

namespace {

TCategoryListing HeadOf(const TIENorvane &settings, TCategory category) {
  TCategoryListing listing;
  listing.Category = category;
  listing.Enabled = settings.Settings.Enabled(category);
  listing.Type = settings.Settings.TypeOf(category);
  listing.Patterns = settings.SweepPatternsOf(category);
  return listing;
}

// Puts what `selection` held back in each category into `listing`.
void AddKept(TListing &listing, const TSelection &selection) {
  for (TCategoryListing &category : listing.Categories)
    for (const TSelectedCategory &part : selection.Sweeps)
      if (part.Category == category.Category) {
        category.Kept.insert(category.Kept.end(), part.KeptEntries.begin(), part.KeptEntries.end());
        category.Totals.Kept.Add(part.Kept);
      }
}

TListing Heads(const TIENorvane &settings, std::optional<TCategory> only) {
  TListing listing;
  for (TCategory category : kAllCategories)
    if (!only || *only == category) listing.Categories.push_back(HeadOf(settings, category));
  return listing;
}

} // namespace

TCategoryTotals TListing::Total() const {
  TCategoryTotals total;
  for (const TCategoryListing &listing : Categories) {
    total.Count += listing.Totals.Count;
    total.Bytes += listing.Totals.Bytes;
    total.NotDeleted += listing.Totals.NotDeleted;
    total.Kept.Add(listing.Totals.Kept);
  }
  return total;
}

TListing PreviewListing(const TIENorvane &settings, const TSelection &selection,
                        std::optional<TCategory> only) {
  TListing listing = Heads(settings, only);
  for (TCategoryListing &category : listing.Categories)
    for (const TSelectedCategory &part : selection.Sweeps) {
      if (part.Category != category.Category) continue;
      category.Entries.insert(category.Entries.end(), part.Entries.begin(), part.Entries.end());
      for (const TCacheEntry &entry : part.Entries)
        category.Totals.Bytes += entry.Size;
    }
  for (TCategoryListing &category : listing.Categories)
    category.Totals.Count = category.Entries.size();
  AddKept(listing, selection);
  return listing;
}

void NoteOtherSchemes(TListing &listing, const TIENorvane &settings, const TSelection &selection) {
  if (settings.Settings.DeleteCacheHttps) return;
  for (TCategoryListing &category : listing.Categories)
    if (category.Category == TCategory::Cache) category.OtherSchemes = selection.OtherSchemes;
}

TCleanListing::TCleanListing(const TIENorvane &settings) : Listing(Heads(settings, std::nullopt)) {}

void TCleanListing::Deleted(TCategory category, const TCacheEntryView &entry,
                            TDeleteResult result) {
  TCategoryListing &listing = Listing.Categories[static_cast<size_t>(category)];
  if (result == TDeleteResult::Deleted)
    listing.Entries.push_back(TCacheEntry::Of(entry));
  else
    listing.NotDeleted.push_back({TCacheEntry::Of(entry), result});
}

namespace {

// Whether the cache's https half swept the entry with this URL.
bool InHttpsHalf(const std::string &url) { return BeginsWithAsciiNoCase(url, kHttpsPrefix); }

// Puts the cache's deletes in the order of its sweeps, as a preview lists
// them: the walk met the http and https halves' entries interleaved.
void InSweepOrder(TCategoryListing &cache) {
  std::stable_partition(cache.Entries.begin(), cache.Entries.end(),
                        [](const TCacheEntry &entry) { return !InHttpsHalf(entry.Url); });
  std::stable_partition(cache.NotDeleted.begin(), cache.NotDeleted.end(),
                        [](const TUndeletedEntry &left) { return !InHttpsHalf(left.Entry.Url); });
}

} // namespace

TListing TCleanListing::Done(const TCleanRun &run) && {
  for (TCategoryListing &listing : Listing.Categories) {
    if (listing.Category == TCategory::Cache) InSweepOrder(listing);
    listing.Totals = run.Totals.Of(listing.Category);
    listing.Totals.Kept = {}; // added back with the entries held back
  }
  AddKept(Listing, run.Selection);
  return std::move(Listing);
}
