#include "Win32UrlCache.h"

#include <cstring>
#include <optional>

#include "UrlCacheRecords.h"

namespace {

bool SameText(const char *a, const char *b) { return std::strcmp(a, b) == 0; }

// Local file names compare with no file (null) and the empty name alike.
bool SameFile(const char *a, const char *b) { return SameText(a ? a : "", b ? b : ""); }

class TWin32Enumeration : public IUrlEnumeration {
public:
  // Lists `category` by its documented selector and, when that lists
  // nothing (Wine compares it exactly with its container prefixes) and
  // `fallBack` allows, by the container's own prefix.
  TWin32Enumeration(const TWin32Api &api, TCategory category, bool fallBack = true) {
    const TWin32UrlCache::TSelectors selectors = TWin32UrlCache::SelectorsOf(category);
    Records.emplace(api, selectors.Documented);
    if (Records->ListsNothing() && fallBack && selectors.Fallback)
      Records.emplace(api, selectors.Fallback);
  }

  // Whether the platform answered that the selectors tried list nothing.
  bool ListsNothing() const { return Records->ListsNothing(); }

  // A record without a URL is passed over.
  const TCacheEntryView *Next() override {
    while (const INTERNET_CACHE_ENTRY_INFOA *record = Records->Next()) {
      if (!record->lpszSourceUrlName) continue;
      Current = {record->lpszSourceUrlName, record->lpszLocalFileName,
                 (uint64_t{record->dwSizeHigh} << 32) | record->dwSizeLow};
      return &Current;
    }
    return nullptr;
  }

private:
  std::optional<TUrlCacheRecords> Records;
  TCacheEntryView Current{};
};

} // namespace

TWin32UrlCache::TSelectors TWin32UrlCache::SelectorsOf(TCategory category) {
  switch (category) {
  // The fallback is the container's prefix itself.
  case TCategory::Cookies: return {"cookie:", CategoryPrefix(category)};
  case TCategory::History: return {"visited:", CategoryPrefix(category)};
  case TCategory::Cache: break;
  }
  return {nullptr, nullptr};
}

std::unique_ptr<IUrlEnumeration> TWin32UrlCache::Enumerate(TCategory category) {
  return std::make_unique<TWin32Enumeration>(Api, category);
}

std::unique_ptr<IUrlEnumeration> TWin32UrlCache::EnumerateSeparately(TCategory category) {
  // A documented cookie or history selector that lists nothing means either
  // Wine, whose null selector lists those containers with the content, or
  // an empty container, of which the content then lists nothing either.
  auto enumeration = std::make_unique<TWin32Enumeration>(Api, category, false);
  if (category != TCategory::Cache && enumeration->ListsNothing()) return nullptr;
  return enumeration;
}

TWin32UrlCache::TResolution TWin32UrlCache::Resolve(const TCacheEntryView &entry) {
  DWORD size = Lookup.Capacity();
  if (!Api.GetUrlCacheEntryInfoA(entry.Url, Lookup.Data(), &size)) {
    if (Api.GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= Lookup.Capacity())
      return TResolution::NoEntry;
    Lookup.Reserve(size);
    size = Lookup.Capacity();
    if (!Api.GetUrlCacheEntryInfoA(entry.Url, Lookup.Data(), &size)) return TResolution::NoEntry;
  }
  const INTERNET_CACHE_ENTRY_INFOA &found = *Lookup.Data();
  const bool walked = found.lpszSourceUrlName && SameText(found.lpszSourceUrlName, entry.Url) &&
                      SameFile(found.lpszLocalFileName, entry.LocalFileName);
  return walked ? TResolution::WalkedEntry : TResolution::OtherEntry;
}

TDeleteResult TWin32UrlCache::FailureOf(DWORD code) const {
  // 32: the entry's file is locked by a retrieval (a running browser); the
  // platform marks it for deletion and it goes when it is unlocked.
  return code == ERROR_SHARING_VIOLATION ? TDeleteResult::InUse : TDeleteResult::Failed;
}

TDeleteResult TWin32UrlCache::Delete(const TCacheEntryView &entry) {
  // A delete addresses an entry by URL, but Wine 8's index finds an entry by
  // a 32-bit key of the URL and never compares the URL itself: the URL may
  // name another entry with the same key (bytes of 0x80 and above make such
  // keys common), or a slot that an earlier delete freed, which a second
  // delete frees twice, leaving an index that the next process to open it
  // empties whole. So the URL is looked up first, and the delete goes ahead
  // only when it resolves to the very entry the walk delivered. Windows
  // documents no such behaviour; there the lookup always finds the entry.
  switch (Resolve(entry)) {
  case TResolution::WalkedEntry: break;
  case TResolution::OtherEntry: return TDeleteResult::NotAddressable;
  case TResolution::NoEntry: return FailureOf(Api.GetLastError());
  }
  if (Api.DeleteUrlCacheEntryA(entry.Url)) return TDeleteResult::Deleted;
  return FailureOf(Api.GetLastError());
}
