#include "CacheWalk.h"

#include "Masks.h"

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

// The walk's pattern as a mask, compiled when the first entry reaches the
// match (so that a malformed pattern no entry reaches raises nothing).
class TLazyMask {
public:
  TLazyMask(const std::string &pattern, const TLeadByteSet &leadBytes)
      : Pattern(pattern), LeadBytes(leadBytes) {}
  bool Matches(const char *url) {
    if (!Mask) Mask.emplace(Pattern, LeadBytes);
    return Mask->Matches(url);
  }

private:
  const std::string &Pattern;
  const TLeadByteSet &LeadBytes;
  std::optional<TMask> Mask;
};

// Passes nothing on: for walks that need not hear of what they pass over.
struct TIgnorePassedOver {
  void operator()(const TCacheEntryView &) const {}
};

// The walk of `enumeration` for any visitor: the sweep's visitor is called
// directly, not through a std::function, as it runs once per entry.
// `passedOver` hears of the entries that the category filter drops.
template <typename TVisit, typename TPassed>
void WalkWith(IUrlEnumeration &enumeration, const std::string &pattern,
              const TLeadByteSet &leadBytes, TVisit &visit, const TPassed &passedOver) {
  const bool httpPattern = BeginsWith(pattern.c_str(), "http://");
  TLazyMask mask(pattern, leadBytes);
  while (const TCacheEntryView *entry = enumeration.Next()) {
    if (httpPattern && (BeginsWith(entry->Url, "Cookie:") || BeginsWith(entry->Url, "Visited:"))) {
      passedOver(*entry);
      continue;
    }
    if (mask.Matches(entry->Url)) visit(*entry);
  }
}

} // namespace

const char *CategoryPrefix(TCategory category) {
  switch (category) {
  case TCategory::Cache: return "http://";
  case TCategory::Cookies: return "Cookie:";
  case TCategory::History: return "Visited:";
  }
  return "";
}

TCategory CategoryOfPattern(const std::string &pattern) {
  if (BeginsWithNoCase(pattern.c_str(), "Cookie:")) return TCategory::Cookies;
  if (BeginsWithNoCase(pattern.c_str(), "Visited:")) return TCategory::History;
  return TCategory::Cache;
}

std::optional<std::string> SweepPattern(TCategory category, int32_t type, const std::string &mask) {
  switch (type) {
  case 0: return std::string(CategoryPrefix(category)) + "*.*";
  case 1: return CategoryPrefix(category) + mask;
  default: return std::nullopt;
  }
}

std::string PreviewPattern(TCategory category, int32_t type, const std::string &mask) {
  return SweepPattern(category, type, mask).value_or(CategoryPrefix(category) + mask);
}

bool PassesCategoryFilter(const std::string &pattern, const char *url) {
  if (!BeginsWith(pattern.c_str(), "http://")) return true;
  return !BeginsWith(url, "Cookie:") && !BeginsWith(url, "Visited:");
}

void Walk(IPlatform &platform, const std::string &pattern,
          const std::function<void(const TCacheEntryView &)> &visit) {
  const auto enumeration = platform.UrlCache().Enumerate(CategoryOfPattern(pattern));
  WalkWith(*enumeration, pattern, platform.LeadBytes(), visit, TIgnorePassedOver{});
}

TEntryDeleter::TEntryDeleter(IUrlCache &cache, TCategory category, const TSweepObserver &observer)
    : Cache(cache), Category(category), Observer(observer) {}

void TEntryDeleter::operator()(const TCacheEntryView &entry) {
  // A failed deletion is passed over: the entry stays and counts nothing.
  const TDeleteResult result = Cache.Delete(entry);
  if (result == TDeleteResult::Deleted) {
    ++Counted.Count;
    Counted.Bytes += entry.Size;
  } else {
    ++Counted.NotDeleted;
  }
  if (Observer) Observer(Category, entry, result);
}

TCategoryTotals Sweep(IPlatform &platform, const std::string &pattern,
                      const TSweepObserver &observer, const TPassedOver &passedOver) {
  const auto enumeration = platform.UrlCache().Enumerate(CategoryOfPattern(pattern));
  return Sweep(platform, *enumeration, pattern, observer, passedOver);
}

TCategoryTotals Sweep(IPlatform &platform, IUrlEnumeration &enumeration, const std::string &pattern,
                      const TSweepObserver &observer, const TPassedOver &passedOver) {
  TEntryDeleter deleter(platform.UrlCache(), CategoryOfPattern(pattern), observer);
  if (passedOver)
    WalkWith(enumeration, pattern, platform.LeadBytes(), deleter, passedOver);
  else
    WalkWith(enumeration, pattern, platform.LeadBytes(), deleter, TIgnorePassedOver{});
  return deleter.Totals();
}
