#pragma once
// The URL cache service over WinInet.
#include "UrlCache.h"

class TWin32UrlCache : public IUrlCache {
public:
  // The selectors WinInet enumerates `category`'s container by, tried in
  // order until one lists something. Null stands for the platform's null
  // selector (the content entries; under Wine every container).
  struct TSelectors {
    const char *Documented; // "cookie:", "visited:" or null
    const char *Fallback;   // "Cookie:", "Visited:", or null when there is none
  };
  static TSelectors SelectorsOf(TCategory category);

  // How many next-entry queries in a row may fetch nothing (a code other
  // than 122 and 259, or a fetch that fails after the sizing call) before an
  // enumeration gives up. WinInet documents only 122 and 259; a query that
  // kept failing otherwise would never end the walk. A real cache never
  // fails this often in a row, and under Wine this many queries take about
  // half a second.
  static constexpr unsigned kMaxFruitlessQueries = 1000;

  std::unique_ptr<IUrlEnumeration> Enumerate(TCategory category) override;
  TDeleteResult Delete(const TCacheEntryView &entry) override;
};
