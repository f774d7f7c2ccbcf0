#include "Preview.h"

namespace {

TCategoryListing HeadOf(const TIENorvane &settings, TCategory category) {
  TCategoryListing listing;
  listing.Category = category;
  listing.Enabled = settings.Enabled(category);
  listing.Type = settings.TypeOf(category);
  listing.Pattern = settings.SweepPatternOf(category);
  return listing;
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
  }
  return total;
}

TListing PreviewListing(const TIENorvane &settings, const TSelection &selection,
                        std::optional<TCategory> only) {
  TListing listing = Heads(settings, only);
  for (TCategoryListing &category : listing.Categories) {
    const TSelectedCategory *selected = selection.Of(category.Category);
    if (!selected) continue;
    category.Entries = selected->Entries;
    for (const TCacheEntry &entry : category.Entries)
      category.Totals.Bytes += entry.Size;
    category.Totals.Count = category.Entries.size();
  }
  return listing;
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

TListing TCleanListing::Done(const TCleanTotals &totals) && {
  for (TCategoryListing &listing : Listing.Categories)
    listing.Totals = totals.Of(listing.Category);
  return std::move(Listing);
}
