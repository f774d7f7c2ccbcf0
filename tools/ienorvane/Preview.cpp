#include "Preview.h"

namespace {

constexpr TCategory kCategories[] = {TCategory::Cache, TCategory::Cookies, TCategory::History};

void AddEntry(TCategoryListing &listing, TReportedEntry entry) {
  ++listing.Totals.Count;
  listing.Totals.Bytes += entry.Size;
  listing.Entries.push_back(std::move(entry));
}

void FillByWalk(TCategoryListing &listing, IPlatform &platform) {
  if (!listing.Pattern) return;
  try {
    Walk(platform, *listing.Pattern, [&listing](const TCacheEntryView &entry) {
      AddEntry(listing, TReportedEntry::Of(entry));
    });
  } catch (const EMaskException &failure) {
    throw EMaskFault(MaskFaultOf(failure));
  }
}

} // namespace

TCategoryTotals TListing::Total() const {
  TCategoryTotals total;
  for (const TCategoryListing &listing : Categories) {
    total.Count += listing.Totals.Count;
    total.Bytes += listing.Totals.Bytes;
  }
  return total;
}

TMaskFault MaskFaultOf(const EMaskException &failure) {
  return TMaskFault{CategoryOfPattern(failure.Mask), failure.Mask, failure.Position,
                    failure.Message()};
}

TCategoryListing ListingHead(const TIENorvane &settings, TCategory category) {
  TCategoryListing listing;
  listing.Category = category;
  listing.Enabled = settings.Enabled(category);
  listing.Type = settings.TypeOf(category);
  if (listing.Enabled)
    listing.Pattern = SweepPattern(category, listing.Type, settings.MaskOf(category));
  return listing;
}

TListing PreviewClean(const TIENorvane &settings, IPlatform &platform,
                      std::optional<TCategory> only) {
  TListing listing;
  for (TCategory category : kCategories) {
    if (only && *only != category) continue;
    listing.Categories.push_back(ListingHead(settings, category));
    FillByWalk(listing.Categories.back(), platform);
  }
  return listing;
}

void TDeletedEntries::Record(TCategory category, const TCacheEntryView &entry,
                             TDeleteResult result) {
  if (result != TDeleteResult::Deleted) return;
  Deleted[static_cast<size_t>(category)].push_back(TReportedEntry::Of(entry));
}

TListing TDeletedEntries::Listing(const TIENorvane &settings) const {
  TListing listing;
  for (TCategory category : kCategories) {
    TCategoryListing part = ListingHead(settings, category);
    for (const TReportedEntry &entry : Deleted[static_cast<size_t>(category)])
      AddEntry(part, entry);
    listing.Categories.push_back(std::move(part));
  }
  return listing;
}
