#include "CacheWalk.h"

#include "AsciiText.h"
#include "CacheSnapshot.h"

namespace {

// Whether `text` begins with `prefix`, byte for byte (a text shorter than
// the prefix does not).
bool BeginsWith(const char *text, const char *prefix) {
  for (; *prefix; ++text, ++prefix)
    if (*text != *prefix) return false;
  return true;
}

// Whether `text` begins with `prefix`, ASCII letters compared without case.
bool BeginsWithNoCase(const char *text, const char *prefix) {
  for (; *prefix; ++text, ++prefix)
    if (UpperAscii(*text) != UpperAscii(*prefix)) return false;
  return true;
}

// Whether a walk of `pattern` passes over the entries of other containers:
// a walk of either half of the content (http or https).
bool FiltersOtherContainers(const std::string &pattern) {
  return BeginsWith(pattern.c_str(), CategoryPrefix(TCategory::Cache)) ||
         BeginsWith(pattern.c_str(), kHttpsPrefix);
}

// Passes nothing on: for walks that need not hear of what they pass over.
struct TIgnorePassedOver {
  void operator()(const TCacheEntryView &) const {}
};

// The walk of `enumeration` for any visitor. `passedOver` hears of the
// entries of other containers that the category filter drops.
template <typename TVisit, typename TPassed>
void WalkWith(IUrlEnumeration &enumeration, TEntrySelector &selector, const TVisit &visit,
              const TPassed &passedOver) {
  while (const TCacheEntryView *entry = enumeration.Next()) {
    if (selector.PassesOver(entry->Url))
      passedOver(*entry);
    else if (selector.Selects(entry->Url))
      visit(*entry);
  }
}

// Whether one of `sweeps` is of `category`.
bool Sweeps(const std::vector<TSweep> &sweeps, TCategory category) {
  for (const TSweep &sweep : sweeps)
    if (sweep.Category == category) return true;
  return false;
}

} // namespace

TCategory CategoryOfPattern(const std::string &pattern) {
  for (TCategory category : {TCategory::Cookies, TCategory::History})
    if (BeginsWithNoCase(pattern.c_str(), CategoryPrefix(category))) return category;
  return TCategory::Cache;
}

std::optional<std::string> SweepPattern(std::string_view prefix, TSweepType type,
                                        const std::string &mask) {
  switch (type) {
  case TSweepType::All: return std::string(prefix) + "*.*";
  case TSweepType::ByMask: return std::string(prefix) + mask;
  }
  return std::nullopt;
}

std::optional<std::string> SweepPattern(TCategory category, TSweepType type,
                                        const std::string &mask) {
  return SweepPattern(CategoryPrefix(category), type, mask);
}

std::string PreviewPattern(TCategory category, TSweepType type, const std::string &mask) {
  return SweepPattern(category, type, mask).value_or(CategoryPrefix(category) + mask);
}

std::vector<std::string_view> SweptPrefixes(TCategory category, bool withHttps) {
  std::vector<std::string_view> prefixes{CategoryPrefix(category)};
  if (withHttps && category == TCategory::Cache) prefixes.push_back(kHttpsPrefix);
  return prefixes;
}

std::vector<std::string> PreviewPatterns(TCategory category, TSweepType type,
                                         const std::string &mask, bool withHttps) {
  std::vector<std::string> patterns;
  for (std::string_view prefix : SweptPrefixes(category, withHttps))
    patterns.push_back(SweepPattern(prefix, type, mask).value_or(std::string(prefix) + mask));
  return patterns;
}

TEntrySelector::TEntrySelector(const std::string &pattern, const TLeadByteSet &leadBytes)
    : Pattern(pattern), LeadBytes(leadBytes), Listed(CategoryOfPattern(pattern)),
      FiltersOthers(FiltersOtherContainers(pattern)) {}

bool TEntrySelector::Selects(const char *url) {
  if (PassesOver(url)) return false;
  if (!Mask) Mask.emplace(Pattern, LeadBytes);
  return Mask->Matches(url);
}

void Walk(IPlatform &platform, const std::string &pattern,
          const std::function<void(const TCacheEntryView &)> &visit) {
  TEntrySelector selector(pattern, platform.LeadBytes());
  const auto enumeration = platform.UrlCache().Enumerate(selector.Category());
  WalkWith(*enumeration, selector, visit, TIgnorePassedOver{});
}

namespace {

// Hands on the entries of a content listing, adding up as they pass those
// of other schemes than http.
class TSchemeTally : public IUrlEnumeration {
public:
  TSchemeTally(IUrlEnumeration &listing, TSchemeTotals &others)
      : Listing(listing), Others(others) {}

  const TCacheEntryView *Next() override {
    const TCacheEntryView *entry = Listing.Next();
    if (entry && ContainerOfUrl(entry->Url) == TCategory::Cache &&
        !BeginsWithNoCase(entry->Url, CategoryPrefix(TCategory::Cache))) {
      ++Others.Count;
      Others.Bytes += entry->Size;
    }
    return entry;
  }

private:
  IUrlEnumeration &Listing;
  TSchemeTotals &Others;
};

} // namespace

void SelectEntries(IPlatform &platform, const std::vector<TSweep> &sweeps,
                   const TSelectVisitor &visit, TSchemeTotals *otherSchemes) {
  IUrlCache &cache = platform.UrlCache();
  // The cookie and history entries that the platform listed with the
  // content (Wine lists every container there), kept by the content's first
  // sweep for the sweeps after it, so that no entry is listed twice.
  TCacheSnapshot listedWithContent;
  bool contentListed = false;
  const auto keep = [&](const TCacheEntryView &entry) {
    const TCategory container = ContainerOfUrl(entry.Url);
    if (Sweeps(sweeps, container)) listedWithContent.Append(container, entry);
  };
  for (const TSweep &sweep : sweeps) {
    TEntrySelector selector(sweep.Pattern, platform.LeadBytes());
    const auto selected = [&](const TCacheEntryView &entry) { visit(sweep, entry); };
    if (sweep.Category == TCategory::Cache) {
      const auto content = cache.Enumerate(TCategory::Cache);
      if (contentListed) {
        WalkWith(*content, selector, selected, TIgnorePassedOver{});
      } else if (otherSchemes) {
        TSchemeTally tallied(*content, *otherSchemes);
        WalkWith(tallied, selector, selected, keep);
      } else {
        WalkWith(*content, selector, selected, keep);
      }
      contentListed = true;
    } else if (const auto own = cache.EnumerateSeparately(sweep.Category)) {
      WalkWith(*own, selector, selected, TIgnorePassedOver{});
    } else {
      listedWithContent.ReadApartWhenNoneListed(cache, sweep.Category);
      listedWithContent.Select(selector, selected);
    }
  }
}

TEntryDeleter::TEntryDeleter(IUrlCache &cache, const TSweepObserver &observer)
    : Cache(cache), Observer(observer) {}

void TEntryDeleter::operator()(TCategory category, const TCacheEntryView &entry) {
  const TDeleteResult result = Cache.Delete(entry);
  TCategoryTotals &counted = Counted[static_cast<size_t>(category)];
  if (result == TDeleteResult::Deleted) {
    ++counted.Count;
    counted.Bytes += entry.Size;
    if (category == TCategory::History)
      if (const auto visited = VisitedUrlOf(entry.Url)) counted.VisitedUrls.emplace_back(*visited);
  } else {
    ++counted.NotDeleted;
  }
  if (Observer) Observer(category, entry, result);
}

namespace {

TKeptSite &SiteIn(std::vector<TKeptSite> &sites, const std::string &site) {
  for (TKeptSite &kept : sites)
    if (kept.Site == site) return kept;
  return sites.emplace_back(TKeptSite{site, 0});
}

} // namespace

void TKeptTotals::Add(const std::string &site, uint64_t size) {
  ++Count;
  Bytes += size;
  ++SiteIn(Sites, site).Count;
}

void TKeptTotals::Add(const TKeptTotals &other) {
  Count += other.Count;
  Bytes += other.Bytes;
  for (const TKeptSite &kept : other.Sites)
    SiteIn(Sites, kept.Site).Count += kept.Count;
}

bool HoldBack(const TKeepSites &keep, const TCacheEntryView &entry, TKeptTotals &kept) {
  if (keep.Empty()) return false;
  const std::string *site = keep.KeptBy(entry.Url);
  if (!site) return false;
  kept.Add(*site, entry.Size);
  return true;
}
