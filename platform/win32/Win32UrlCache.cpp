#include "Win32UrlCache.h"

#include <cstring>
#include <utility>

#include "Handles.h"

namespace {

bool SameText(const char *a, const char *b) { return std::strcmp(a, b) == 0; }

// Local file names compare with no file (null) and the empty name alike.
bool SameFile(const char *a, const char *b) { return SameText(a ? a : "", b ? b : ""); }

class TWin32Enumeration : public IUrlEnumeration {
public:
  // Lists `category` by its documented selector and, when that lists
  // nothing (Wine compares it exactly with its container prefixes) and
  // `fallBack` allows, by the container's own prefix.
  TWin32Enumeration(const TWin32Api &api, TCategory category, bool fallBack = true)
      : Api(api), Handle(nullptr, {&api}) {
    const TWin32UrlCache::TSelectors selectors = TWin32UrlCache::SelectorsOf(category);
    HaveFirst = Start(selectors.Documented);
    ListedNothing = !HaveFirst && Api.GetLastError() == ERROR_NO_MORE_ITEMS;
    if (ListedNothing && fallBack && selectors.Fallback) {
      HaveFirst = Start(selectors.Fallback);
      ListedNothing = !HaveFirst && Api.GetLastError() == ERROR_NO_MORE_ITEMS;
    }
  }

  // Whether the platform answered that the selectors tried list nothing.
  bool ListsNothing() const { return ListedNothing; }

  const TCacheEntryView *Next() override {
    if (std::exchange(HaveFirst, false) && Viewed()) return &Current;
    unsigned fruitless = 0;
    while (Handle && fruitless < TWin32UrlCache::kMaxFruitlessQueries) {
      switch (QueryNext()) {
      case TQuery::Entry:
        if (Viewed()) return &Current;
        fruitless = 0; // an entry without a URL is passed over, but it is progress
        break;
      case TQuery::NoEntry: ++fruitless; break;
      case TQuery::End: Handle.Reset(); break;
      }
    }
    Handle.Reset(); // ended, or gave up: no more queries
    return nullptr;
  }

private:
  enum class TQuery { Entry, NoEntry, End };

  // Starts the enumeration with the first entry in the buffer; false when
  // there is none or it cannot be fetched. A first call whose buffer is too
  // small returns no handle, so the start is repeated with a bigger one.
  bool Start(const char *selector) {
    DWORD size = Buffer.Capacity();
    Handle.Reset(Api.FindFirstUrlCacheEntryA(selector, Buffer.Data(), &size));
    if (Handle) return true;
    if (Api.GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= Buffer.Capacity()) return false;
    Buffer.Reserve(size);
    size = Buffer.Capacity();
    Handle.Reset(Api.FindFirstUrlCacheEntryA(selector, Buffer.Data(), &size));
    return static_cast<bool>(Handle);
  }

  // Fetches the next entry into the buffer. A buffer too small for it is
  // grown and the fetch repeated once; if that fails the entry is skipped.
  TQuery QueryNext() {
    DWORD size = Buffer.Capacity();
    if (Api.FindNextUrlCacheEntryA(Handle.Get(), Buffer.Data(), &size)) return TQuery::Entry;
    const DWORD code = Api.GetLastError();
    if (code == ERROR_NO_MORE_ITEMS) return TQuery::End;
    if (code != ERROR_INSUFFICIENT_BUFFER) return TQuery::NoEntry;
    Buffer.Reserve(size);
    size = Buffer.Capacity();
    return Api.FindNextUrlCacheEntryA(Handle.Get(), Buffer.Data(), &size) ? TQuery::Entry
                                                                          : TQuery::NoEntry;
  }

  // Makes Current the entry in the buffer; false for a record without a URL.
  bool Viewed() {
    const INTERNET_CACHE_ENTRY_INFOA &record = *Buffer.Data();
    if (!record.lpszSourceUrlName) return false;
    Current = {record.lpszSourceUrlName, record.lpszLocalFileName,
               (uint64_t{record.dwSizeHigh} << 32) | record.dwSizeLow};
    return true;
  }

  const TWin32Api &Api;
  TEntryBuffer Buffer;
  TUrlCacheFind Handle;
  bool HaveFirst = false;
  bool ListedNothing = false;
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
