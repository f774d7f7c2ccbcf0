#include "CacheWalk.h"

#include "AsciiText.h"

namespace {

// Whether `text` begins with `prefix`, byte for byte (a text shorter than
// the prefix does not).
bool BeginsWith(const char *text, const char *prefix) {
  for (; *prefix; ++text, ++prefix)
    if (*text != *prefix) return false;
  return true;
}

// Whether a walk of `pattern` passes over the entries of other containers:
// a walk of either half of the content (http or https).
bool FiltersOtherContainers(const std::string &pattern) {
  return BeginsWith(pattern.c_str(), CategoryPrefix(TCategory::Cache)) ||
         BeginsWith(pattern.c_str(), kHttpsPrefix);
}

} // namespace

TCategory CategoryOfPattern(const std::string &pattern) {
  for (TCategory category : {TCategory::Cookies, TCategory::History})
    if (BeginsWithAsciiNoCase(pattern, CategoryPrefix(category))) return category;
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

std::vector<std::string_view> SweptPrefixes(TCategory category, bool withHttps) {
  std::vector<std::string_view> prefixes{CategoryPrefix(category)};
  if (withHttps && category == TCategory::Cache) prefixes.push_back(kHttpsPrefix);
  return prefixes;
}

TEntrySelector::TEntrySelector(const std::string &pattern, const TLeadByteSet &leadBytes)
    : Pattern(pattern), LeadBytes(leadBytes), Listed(CategoryOfPattern(pattern)),
      FiltersOthers(FiltersOtherContainers(pattern)) {}

bool TEntrySelector::Selects(const char *url) {
  if (PassesOver(url)) return false;
  if (!Mask) Mask.emplace(Pattern, LeadBytes);
  return Mask->Matches(url);
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
