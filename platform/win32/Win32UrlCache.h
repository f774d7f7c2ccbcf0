#pragma once
// The URL cache service over WinInet, through the platform's call table.
#include <functional>
#include <optional>

#include "UrlCache.h"
#include "UrlCacheRecords.h"
#include "Win32Api.h"
#include "Win32EntryBuffer.h"
#include "Win32System.h"

class TWin32UrlCache : public IUrlCache {
public:
  // Calls the system through `api`, which must outlive the cache, and
  // guards its deletes as `system`, what `api` answered, requires.
  TWin32UrlCache(const TWin32Api &api, const TWin32System &system)
      : Api(api), Guard(system.Guard()), Keys(system.IndexKeys) {}
  // The same, asking the system first.
  explicit TWin32UrlCache(const TWin32Api &api = TWin32Api::System())
      : TWin32UrlCache(api, TWin32System::Detect(api)) {}

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

  // Which URLs its deletes leave alone, without a call.
  TIndexGuard DeleteGuard() const { return Guard; }
  // Whether a delete may name `url` to the platform: false where the guard
  // says the index may take it for the slot of a deleted entry
  // (Win32UrlCache.cpp); true for every URL on Windows.
  bool Addresses(const char *url) const;

  // NotAddressable, without a call, for a URL the guard refuses. Otherwise
  // looks the URL up first and deletes only when it resolves to the entry
  // that was walked (same URL, same local file); NotAddressable when it
  // resolves to another, Failed when to none. Under Wine, the view an
  // enumeration of this cache delivered last is deleted without the lookup
  // when the enumeration met no other entry of its key (Win32UrlCache.cpp
  // says why that is the same check). A delete refused because the entry is
  // locked (a running browser holds its file: 32 under Wine, 5 as Windows
  // documents it) is InUse.
  TDeleteResult Delete(const TCacheEntryView &entry) override;

  // Called with the record a delete resolved to (the walked entry), just
  // before the platform is asked to delete it; none when empty. The trace
  // wipe overwrites the entry's file and learns its record's shape here. A
  // result it returns stands instead of the delete, which is not made.
  using TBeforeDelete =
      std::function<std::optional<TDeleteResult>(const INTERNET_CACHE_ENTRY_INFOA &)>;
  void SetBeforeDelete(TBeforeDelete hook) { BeforeDelete = std::move(hook); }

private:
  class TEnumeration;

  // What the entry's URL resolves to now; after NoEntry the last-error code
  // says why.
  enum class TResolution { WalkedEntry, OtherEntry, NoEntry };
  TResolution Resolve(const TCacheEntryView &entry);
  TDeleteResult FailureOf(DWORD code) const;

  const TWin32Api &Api;
  const TIndexGuard Guard;
  const std::optional<TUrlIndexKeys> Keys; // with FreedSlotKeys
  TEntryBuffer Lookup;                     // the record of the last lookup
  TBeforeDelete BeforeDelete;
  // The record an enumeration delivered last, when its walk met no other
  // entry of its key and nothing was deleted since; null otherwise.
  const INTERNET_CACHE_ENTRY_INFOA *ListedAlone = nullptr;
  const TEnumeration *ListedBy = nullptr;
};
