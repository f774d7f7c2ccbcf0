#include "CacheWalk.h"

#include <algorithm>
#include <memory>

#include "IENorvaneU.h"
#include "Masks.h"

namespace {

// An enumeration handle of the URL cache, closed when the walk ends on any
// path, the matcher's and the visitor's exceptions included.
class TEnumeration {
public:
  explicit TEnumeration(IUrlCache &cache) : Cache(cache) {}
  ~TEnumeration() {
    if (Handle) Cache.FindClose(Handle);
  }
  TEnumeration(const TEnumeration &) = delete;
  TEnumeration &operator=(const TEnumeration &) = delete;

  TCacheEnumHandle Handle = nullptr;

private:
  IUrlCache &Cache;
};

// The one entry buffer of a walk: grows to the largest size the platform
// asks for and is reused for every entry.
class TEntryBuffer {
public:
  TUrlCacheEntryInfo *Data() const { return reinterpret_cast<TUrlCacheEntryInfo *>(Storage.get()); }
  uint32_t Capacity() const { return Bytes; }

  // Makes room for at least `size` bytes; the contents are not kept.
  void Reserve(uint32_t size) {
    if (size <= Bytes) return;
    const uint32_t grown = std::max(size, Bytes * 2);
    const size_t words = (grown + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    Storage = std::make_unique<std::max_align_t[]>(words);
    Bytes = grown;
  }

private:
  std::unique_ptr<std::max_align_t[]> Storage;
  uint32_t Bytes = 0;
};

// Most records fit this; a larger one grows the buffer once.
constexpr uint32_t kInitialEntryBuffer = 4096;

// The walk's pattern as a mask, compiled when the first entry reaches the
// match (so that a malformed pattern no entry reaches raises nothing).
class TLazyMask {
public:
  explicit TLazyMask(const std::string &pattern) : Pattern(pattern) {}
  bool Matches(const char *url) {
    if (!Mask) Mask.emplace(Pattern);
    return Mask->Matches(url);
  }

private:
  const std::string &Pattern;
  std::optional<TMask> Mask;
};

// Whether `text` begins with `prefix`, byte for byte (a text shorter than
// the prefix does not).
bool BeginsWith(const char *text, const char *prefix) {
  for (; *prefix; ++text, ++prefix)
    if (*text != *prefix) return false;
  return true;
}

// The walk itself, for any visitor: the sweep's visitor is called directly
// (inlined), not through a std::function, as it runs once per deleted entry.
template <typename TVisit> class TWalker {
public:
  TWalker(IUrlCache &cache, const std::string &pattern, TVisit &visit)
      : Cache(cache), Pattern(pattern), Visit(visit), Mask(pattern),
        HttpPattern(BeginsWith(pattern.c_str(), "http://")), Enumeration(cache) {}

  void Run() {
    if (!First()) return;
    Offer();
    unsigned fruitless = 0;
    for (;;) {
      switch (QueryNext()) {
      case TQuery::Entry:
        fruitless = 0;
        Offer();
        break;
      case TQuery::End: return;
      case TQuery::NoEntry:
        if (++fruitless >= kWalkMaxFruitlessQueries) return;
        break;
      }
    }
  }

private:
  enum class TQuery { Entry, NoEntry, End };

  // Starts the enumeration with the first entry in the buffer; false when
  // there is none or it cannot be fetched.
  bool First() {
    Buffer.Reserve(kInitialEntryBuffer);
    uint32_t size = Buffer.Capacity();
    Enumeration.Handle = Cache.FindFirst(Pattern.c_str(), Buffer.Data(), &size);
    if (Enumeration.Handle) return true;
    if (Cache.LastError() != kErrorInsufficientBuffer || size <= Buffer.Capacity()) return false;
    Buffer.Reserve(size);
    size = Buffer.Capacity();
    Enumeration.Handle = Cache.FindFirst(Pattern.c_str(), Buffer.Data(), &size);
    return Enumeration.Handle != nullptr;
  }

  // Fetches the next entry into the buffer. A buffer too small for it is
  // grown and the fetch repeated once; if that fails the entry is skipped.
  TQuery QueryNext() {
    uint32_t size = Buffer.Capacity();
    if (Cache.FindNext(Enumeration.Handle, Buffer.Data(), &size)) return TQuery::Entry;
    const uint32_t code = Cache.LastError();
    if (code == kErrorNoMoreItems) return TQuery::End;
    if (code != kErrorInsufficientBuffer) return TQuery::NoEntry;
    Buffer.Reserve(size);
    size = Buffer.Capacity();
    return Cache.FindNext(Enumeration.Handle, Buffer.Data(), &size) ? TQuery::Entry
                                                                    : TQuery::NoEntry;
  }

  // The category filter, then the match, then the visit.
  void Offer() {
    const TUrlCacheEntryInfo &record = *Buffer.Data();
    const char *url = record.lpszSourceUrlName;
    if (!url) return;
    if (HttpPattern && (BeginsWith(url, "Cookie:") || BeginsWith(url, "Visited:"))) return;
    if (!Mask.Matches(url)) return;
    const uint64_t size = (uint64_t{record.dwSizeHigh} << 32) | record.dwSizeLow;
    Visit(TCacheEntryView{url, record.lpszLocalFileName, size});
  }

  IUrlCache &Cache;
  const std::string &Pattern;
  TVisit &Visit;
  TLazyMask Mask;
  const bool HttpPattern;
  TEntryBuffer Buffer;
  TEnumeration Enumeration;
};

} // namespace

const char *CategoryPrefix(TCategory category) {
  switch (category) {
  case TCategory::Cache: return "http://";
  case TCategory::Cookies: return "Cookie:";
  case TCategory::History: return "Visited:";
  }
  return "";
}

std::optional<std::string> SweepPattern(TCategory category, int32_t type, const std::string &mask) {
  switch (type) {
  case 0: return std::string(CategoryPrefix(category)) + "*.*";
  case 1: return CategoryPrefix(category) + mask;
  default: return std::nullopt;
  }
}

void Walk(IUrlCache &cache, const std::string &pattern,
          const std::function<void(const TCacheEntryView &)> &visit) {
  TWalker<const std::function<void(const TCacheEntryView &)>>(cache, pattern, visit).Run();
}

TCategoryTotals Sweep(IUrlCache &cache, const std::string &pattern) {
  TCategoryTotals totals;
  auto deleteEntry = [&](const TCacheEntryView &entry) {
    // A failed deletion is passed over: the entry stays and counts nothing.
    if (!cache.Delete(entry.Url)) return;
    ++totals.Count;
    totals.Bytes += entry.Size;
  };
  TWalker(cache, pattern, deleteEntry).Run();
  return totals;
}
