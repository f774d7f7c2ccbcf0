#include "Win32UrlCache.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstddef>
#include <memory>

#include "Handles.h"

namespace {

// The one entry buffer of an enumeration: grows to the largest record the
// platform asks for and is reused for every entry, so that an entry usually
// costs one query.
class TEntryBuffer {
public:
  INTERNET_CACHE_ENTRY_INFOA *Data() const {
    return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(Storage.get());
  }
  DWORD Capacity() const { return Bytes; }

  // Makes room for at least `size` bytes; the contents are not kept.
  void Reserve(DWORD size) {
    if (size <= Bytes) return;
    const DWORD grown = std::max<DWORD>(size, Bytes * 2);
    const size_t words = (grown + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    Storage = std::make_unique<std::max_align_t[]>(words);
    Bytes = grown;
  }

private:
  std::unique_ptr<std::max_align_t[]> Storage;
  DWORD Bytes = 0;
};

// Most records fit this; a larger one grows the buffer once.
constexpr DWORD kInitialEntryBuffer = 4096;

class TWin32Enumeration : public IUrlEnumeration {
public:
  explicit TWin32Enumeration(TCategory category) {
    Buffer.Reserve(kInitialEntryBuffer);
    const TWin32UrlCache::TSelectors selectors = TWin32UrlCache::SelectorsOf(category);
    // The documented selector first and, when it lists nothing (Wine
    // compares it exactly with its container prefixes), the container's own
    // prefix.
    HaveFirst = Start(selectors.Documented);
    if (!HaveFirst && selectors.Fallback && GetLastError() == ERROR_NO_MORE_ITEMS)
      HaveFirst = Start(selectors.Fallback);
  }

  const TCacheEntryView *Next() override {
    if (HaveFirst) {
      HaveFirst = false;
      return View();
    }
    if (!Handle) return nullptr;
    for (unsigned fruitless = 0; fruitless < TWin32UrlCache::kMaxFruitlessQueries; ++fruitless) {
      switch (QueryNext()) {
      case TQuery::Entry: return View();
      case TQuery::End: return nullptr;
      case TQuery::NoEntry: break;
      }
    }
    return nullptr;
  }

private:
  enum class TQuery { Entry, NoEntry, End };

  // Starts the enumeration with the first entry in the buffer; false when
  // there is none or it cannot be fetched. A first call whose buffer is too
  // small returns no handle, so the start is repeated with a bigger one.
  bool Start(const char *selector) {
    DWORD size = Buffer.Capacity();
    Handle.Reset(FindFirstUrlCacheEntryA(selector, Buffer.Data(), &size));
    if (Handle) return true;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= Buffer.Capacity()) return false;
    Buffer.Reserve(size);
    size = Buffer.Capacity();
    Handle.Reset(FindFirstUrlCacheEntryA(selector, Buffer.Data(), &size));
    return static_cast<bool>(Handle);
  }

  // Fetches the next entry into the buffer. A buffer too small for it is
  // grown and the fetch repeated once; if that fails the entry is skipped.
  TQuery QueryNext() {
    DWORD size = Buffer.Capacity();
    if (FindNextUrlCacheEntryA(Handle.Get(), Buffer.Data(), &size)) return TQuery::Entry;
    const DWORD code = GetLastError();
    if (code == ERROR_NO_MORE_ITEMS) return TQuery::End;
    if (code != ERROR_INSUFFICIENT_BUFFER) return TQuery::NoEntry;
    Buffer.Reserve(size);
    size = Buffer.Capacity();
    return FindNextUrlCacheEntryA(Handle.Get(), Buffer.Data(), &size) ? TQuery::Entry
                                                                      : TQuery::NoEntry;
  }

  // The entry in the buffer; one without a URL is passed over by the caller
  // as no entry.
  const TCacheEntryView *View() {
    const INTERNET_CACHE_ENTRY_INFOA &record = *Buffer.Data();
    if (!record.lpszSourceUrlName) return Next();
    Current = {record.lpszSourceUrlName, record.lpszLocalFileName,
               (uint64_t{record.dwSizeHigh} << 32) | record.dwSizeLow};
    return &Current;
  }

  TEntryBuffer Buffer;
  TUrlCacheFindHandle Handle;
  bool HaveFirst = false;
  TCacheEntryView Current{};
};

} // namespace

TWin32UrlCache::TSelectors TWin32UrlCache::SelectorsOf(TCategory category) {
  switch (category) {
  case TCategory::Cookies: return {"cookie:", "Cookie:"};
  case TCategory::History: return {"visited:", "Visited:"};
  case TCategory::Cache: break;
  }
  return {nullptr, nullptr};
}

std::unique_ptr<IUrlEnumeration> TWin32UrlCache::Enumerate(TCategory category) {
  return std::make_unique<TWin32Enumeration>(category);
}

TDeleteResult TWin32UrlCache::Delete(const TCacheEntryView &entry) {
  if (DeleteUrlCacheEntryA(entry.Url)) return TDeleteResult::Deleted;
  return GetLastError() == ERROR_SHARING_VIOLATION ? TDeleteResult::InUse : TDeleteResult::Failed;
}
