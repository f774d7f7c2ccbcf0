#include "Preview.h"

#include <charconv>

namespace {

constexpr TCategory kCategories[] = {TCategory::Cache, TCategory::Cookies, TCategory::History};

void AddEntry(TCategoryListing &listing, TReportedEntry entry) {
  ++listing.Totals.Count;
  listing.Totals.Bytes += entry.Size;
  listing.Entries.push_back(std::move(entry));
}

void FillByWalk(TCategoryListing &listing, IUrlCache &cache) {
  if (!listing.Pattern) return;
  try {
    Walk(cache, *listing.Pattern, [&listing](const TCacheEntryView &entry) {
      std::optional<std::string> file;
      if (entry.LocalFileName) file = entry.LocalFileName;
      AddEntry(listing, TReportedEntry{entry.Url, std::move(file), entry.Size});
    });
  } catch (const EMaskException &failure) {
    throw EMaskFault(MaskFaultOf(listing.Category, *listing.Pattern, failure));
  }
}

// The number in the message's last "(<digits>)".
std::optional<uint64_t> PositionInMessage(const std::string &message) {
  const size_t open = message.rfind('(');
  const size_t close = message.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close <= open + 1)
    return std::nullopt;
  uint64_t position = 0;
  const char *first = message.data() + open + 1;
  const char *last = message.data() + close;
  const auto [end, error] = std::from_chars(first, last, position);
  if (error != std::errc() || end != last) return std::nullopt;
  return position;
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

TMaskFault MaskFaultOf(TCategory category, const std::string &pattern,
                       const EMaskException &failure) {
  return TMaskFault{category, pattern, PositionInMessage(failure.Message()), failure.Message()};
}

TCategoryListing ListingHead(const TIENorvane &settings, TCategory category) {
  TCategoryListing listing;
  listing.Category = category;
  const std::string *mask = nullptr;
  switch (category) {
  case TCategory::Cache:
    listing.Enabled = settings.DeleteCache;
    listing.Type = settings.DeleteCacheType;
    mask = &settings.CacheMask;
    break;
  case TCategory::Cookies:
    listing.Enabled = settings.DeleteCookies;
    listing.Type = settings.DeleteCookiesType;
    mask = &settings.CookiesMask;
    break;
  case TCategory::History:
    listing.Enabled = settings.DeleteHistory;
    listing.Type = settings.DeleteHistoryType;
    mask = &settings.HistoryMask;
    break;
  }
  if (listing.Enabled) listing.Pattern = SweepPattern(category, listing.Type, *mask);
  return listing;
}

TListing PreviewClean(const TIENorvane &settings, IUrlCache &cache, std::optional<TCategory> only) {
  TListing listing;
  for (TCategory category : kCategories) {
    if (only && *only != category) continue;
    listing.Categories.push_back(ListingHead(settings, category));
    FillByWalk(listing.Categories.back(), cache);
  }
  return listing;
}

TListing DeletedListing(const TIENorvane &settings, const TObservedUrlCache &observed) {
  TListing listing;
  for (TCategory category : kCategories) {
    TCategoryListing part = ListingHead(settings, category);
    for (const TReportedEntry &entry : observed.Deleted(category))
      AddEntry(part, entry);
    listing.Categories.push_back(std::move(part));
  }
  return listing;
}
