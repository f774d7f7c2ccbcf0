#pragma once
// The URL cache service over WinInet.
#include "UrlCache.h"

class TWin32UrlCache : public IUrlCache {
public:
  // Selectors the platform enumerates by, for a CachePattern: the container
  // of the pattern's category (see FindFirst). Null stands for the platform's
  // null selector (the content entries; under Wine every container).
  struct TSelectors {
    const char *Documented; // "cookie:", "visited:" or null
    const char *Fallback;   // "Cookie:", "Visited:", or null when there is none
  };
  static TSelectors SelectorsOf(const char *pattern);

  // Starts an enumeration of the container of `pattern`'s category. The
  // platform's search pattern selects a container and is no wildcard, so the
  // pattern itself is not handed on; the walk filters and matches.
  TCacheEnumHandle FindFirst(const char *pattern, TUrlCacheEntryInfo *buffer,
                             uint32_t *size) override;
  bool FindNext(TCacheEnumHandle handle, TUrlCacheEntryInfo *buffer, uint32_t *size) override;
  uint32_t LastError() const override;
  bool Delete(const char *url) override;
  void FindClose(TCacheEnumHandle handle) override;
};
