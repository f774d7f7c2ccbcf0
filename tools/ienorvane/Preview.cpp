#include "Preview.h"

namespace {

constexpr TCategory kCategories[] = {TCategory::Cache, TCategory::Cookies, TCategory::History};

void AddEntry(TCategoryListing &listing, TReportedEntry entry) {
  ++listing.Totals.Count;
  listing.Totals.Bytes += entry.Size;
  listing.Entries.push_back(std::move(entry));
}

TMaskFault FaultOf(TCategory category, const EMaskException &failure) {
  return TMaskFault{category, failure.Mask, failure.Position, failure.Message()};
}

void FillByWalk(TCategoryListing &listing, IPlatform &platform) {
  if (!listing.Pattern) return;
  try {
    Walk(platform, *listing.Pattern, [&listing](const TCacheEntryView &entry) {
      AddEntry(listing, TReportedEntry::Of(entry));
    });
  } catch (const EMaskException &failure) {
    throw EMaskFault(FaultOf(listing.Category, failure));
  }
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

TCategoryListing ListingHead(const TIENorvane &settings, TCategory category) {
  TCategoryListing listing;
  listing.Category = category;
  listing.Enabled = settings.Enabled(category);
  listing.Type = settings.TypeOf(category);
  if (listing.Enabled)
    listing.Pattern = SweepPattern(category, listing.Type, settings.MaskOf(category));
  return listing;
}

std::vector<TMaskFault> MalformedMasks(const TIENorvane &settings, const TLeadByteSet &leadBytes) {
  std::vector<TMaskFault> faults;
  for (TCategory category : kCategories) {
    // Type 0 uses the fixed mask "*.*"; other types sweep nothing.
    const TCategoryListing head = ListingHead(settings, category);
    if (!head.Pattern || head.Type != 1) continue;
    try {
      const TMask compiled(*head.Pattern, leadBytes);
    } catch (const EMaskException &failure) {
      faults.push_back(FaultOf(category, failure));
    }
  }
  return faults;
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

TListing DeleteListed(const TListing &preview, IUrlCache &cache, const TDeleteProgress &progress) {
  TListing result;
  uint64_t done = 0;
  for (const TCategoryListing &selected : preview.Categories) {
    TCategoryListing outcome;
    outcome.Category = selected.Category;
    outcome.Enabled = selected.Enabled;
    outcome.Type = selected.Type;
    outcome.Pattern = selected.Pattern;
    for (const TReportedEntry &entry : selected.Entries) {
      const TDeleteResult answer = cache.Delete(entry.View());
      if (answer == TDeleteResult::Deleted) {
        AddEntry(outcome, entry);
      } else {
        ++outcome.Totals.NotDeleted;
        outcome.NotDeleted.push_back({entry, answer});
      }
      if (progress) progress(++done);
    }
    result.Categories.push_back(std::move(outcome));
  }
  return result;
}

uint64_t EntryCount(const TListing &listing) {
  uint64_t count = 0;
  for (const TCategoryListing &category : listing.Categories)
    count += category.Entries.size();
  return count;
}
