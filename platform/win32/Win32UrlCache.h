#pragma once
// The URL cache service over WinInet, through the platform's call table.
#include "UrlCache.h"
#include "UrlCacheRecords.h"
#include "Win32Api.h"
#include "Win32EntryBuffer.h"

class TWin32UrlCache : public IUrlCache {
public:
  // Calls the system through `api`, which must outlive the cache.
  explicit TWin32UrlCache(const TWin32Api &api = TWin32Api::System()) : Api(api) {}

  // The selectors WinInet enumerates `category`'s container by, tried in
  // order until one lists something. Null stands for the platform's null
  // selector (the content entries; under Wine every container).
  struct TSelectors {
    const char *Documented; // "cookie:", "visited:" or null
    const char *Fallback;   // "Cookie:", "Visited:", or null when there is none
  };
  static TSelectors SelectorsOf(TCategory category);

  // How many next-entry queries in a row may fetch nothing before an
  // enumeration gives up (TUrlCacheRecords).
  static constexpr unsigned kMaxFruitlessQueries = TUrlCacheRecords::kMaxFruitlessQueries;

  std::unique_ptr<IUrlEnumeration> Enumerate(TCategory category) override;
  // Null when the documented selector of the cookie or history category
  // lists nothing.
  std::unique_ptr<IUrlEnumeration> EnumerateSeparately(TCategory category) override;

  // Whether a delete may name `url` to the platform: false for a URL with a
  // byte of 0x80 and above, which Wine 8's index may give a key of zero, a
  // key that also names the slots of deleted entries (Win32UrlCache.cpp).
  static bool AddressesUnambiguously(const char *url);

  // NotAddressable, without a call, for a URL that does not address its
  // entry unambiguously. Otherwise looks the URL up first and deletes only
  // when it resolves to the entry that was walked (same URL, same local
  // file); NotAddressable when it resolves to another, Failed when to none.
  // A delete refused with 32 (a sharing violation: the entry's file is
  // locked) is InUse.
  TDeleteResult Delete(const TCacheEntryView &entry) override;

private:
  // What the entry's URL resolves to now; after NoEntry the last-error code
  // says why.
  enum class TResolution { WalkedEntry, OtherEntry, NoEntry };
  TResolution Resolve(const TCacheEntryView &entry);
  TDeleteResult FailureOf(DWORD code) const;

  const TWin32Api &Api;
  TEntryBuffer Lookup; // the record of the last lookup
};
