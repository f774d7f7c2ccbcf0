#include "CacheWalk.h"

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
  const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  for (; *prefix; ++text, ++prefix)
    if (fold(*text) != fold(*prefix)) return false;
  return true;
}

// Whether a walk of `pattern` passes over the entries of other containers.
bool FiltersOtherContainers(const std::string &pattern) {
  return BeginsWith(pattern.c_str(), CategoryPrefix(TCategory::Cache));
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

std::optional<std::string> SweepPattern(TCategory category, TSweepType type,
                                        const std::string &mask) {
  switch (type) {
  case TSweepType::All: return std::string(CategoryPrefix(category)) + "*.*";
  case TSweepType::ByMask: return CategoryPrefix(category) + mask;
  }
  return std::nullopt;
}

std::string PreviewPattern(TCategory category, TSweepType type, const std::string &mask) {
  return SweepPattern(category, type, mask).value_or(CategoryPrefix(category) + mask);
}

bool PassesCategoryFilter(const std::string &pattern, const char *url) {
  return !FiltersOtherContainers(pattern) || ContainerOfUrl(url) == TCategory::Cache;
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

void SelectEntries(IPlatform &platform, const std::vector<TSweep> &sweeps,
                   const TSelectVisitor &visit) {
  IUrlCache &cache = platform.UrlCache();
  // The cookie and history entries that the platform listed with the
  // content (Wine lists every container there), kept by the content's sweep
  // for the sweeps after it, so that no entry is listed twice.
  TCacheSnapshot listedWithContent;
  const auto keep = [&](const TCacheEntryView &entry) {
    const TCategory container = ContainerOfUrl(entry.Url);
    if (Sweeps(sweeps, container)) listedWithContent.Append(container, entry);
  };
  for (const TSweep &sweep : sweeps) {
    TEntrySelector selector(sweep.Pattern, platform.LeadBytes());
    const auto selected = [&](const TCacheEntryView &entry) { visit(sweep.Category, entry); };
    if (sweep.Category == TCategory::Cache) {
      const auto content = cache.Enumerate(TCategory::Cache);
      WalkWith(*content, selector, selected, keep);
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
  } else {
    ++counted.NotDeleted;
  }
  if (Observer) Observer(category, entry, result);
}

TCategoryTotals Sweep(IPlatform &platform, const std::string &pattern,
                      const TSweepObserver &observer) {
  TEntryDeleter deleter(platform.UrlCache(), observer);
  const TCategory category = CategoryOfPattern(pattern);
  Walk(platform, pattern, [&](const TCacheEntryView &entry) { deleter(category, entry); });
  return deleter.Totals(category);
}
