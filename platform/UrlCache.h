#pragma once
// The URL cache service: enumeration by pattern, deletion by URL. Shaped like
// WinInet's FindFirstUrlCacheEntryA / FindNextUrlCacheEntryA /
// DeleteUrlCacheEntryA / FindCloseUrlCache, including the two-call protocol in
// which a call without a big enough buffer reports the size it needs.
#include <cstdint>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <wininet.h>
// The platform's own variable-length record: texts follow the fixed part.
using TUrlCacheEntryInfo = INTERNET_CACHE_ENTRY_INFOA;
#else
// The portable record: the fields of INTERNET_CACHE_ENTRY_INFOA that the
// plug-in reads, under the same names. Like the platform's record it is
// variable-length: the texts it points to follow the fixed part in the same
// allocation.
struct TUrlCacheEntryInfo {
  uint32_t dwStructSize;
  char *lpszSourceUrlName;
  char *lpszLocalFileName;
  uint32_t CacheEntryType;
  uint32_t dwSizeLow;
  uint32_t dwSizeHigh;
};
#endif

// An enumeration in progress; null when none could be started.
using TCacheEnumHandle = void *;

// Codes of LastError() that the walk distinguishes.
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorNoMoreItems = 259;

class IUrlCache {
public:
  virtual ~IUrlCache() = default;

  // Starts an enumeration of the entries that `pattern` selects and returns
  // the first one in `buffer`. When `buffer` is null or *size is too small it
  // returns null, sets *size to the size needed and LastError() to 122; when
  // nothing is selected it returns null, sets *size to 0 and LastError() to 259.
  virtual TCacheEnumHandle FindFirst(const char *pattern, TUrlCacheEntryInfo *buffer,
                                     uint32_t *size) = 0;

  // Fetches the next entry of `handle` into `buffer`. When `buffer` is null or
  // *size is too small it returns false, sets *size and LastError() to 122 and
  // does not advance; at the end it returns false with LastError() 259.
  virtual bool FindNext(TCacheEnumHandle handle, TUrlCacheEntryInfo *buffer, uint32_t *size) = 0;

  // The error code of the calling thread's last failed call.
  virtual uint32_t LastError() const = 0;

  // Deletes the entry with this URL. Returns false when it cannot be deleted.
  virtual bool Delete(const char *url) = 0;

  // Ends an enumeration; `handle` may be null.
  virtual void FindClose(TCacheEnumHandle handle) = 0;
};
