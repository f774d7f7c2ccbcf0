#include "Win32UrlCache.h"

#include <cstring>
#include <optional>
#include <unordered_set>
#include <utility>

#include "UrlCacheRecords.h"

namespace {

bool SameText(const char *a, const char *b) { return std::strcmp(a, b) == 0; }

// Local file names compare with no file (null) and the empty name alike.
bool SameFile(const char *a, const char *b) { return SameText(a ? a : "", b ? b : ""); }

// Whether `entry` is the view of `record` itself (not a copy of its texts).
bool IsViewOf(const TCacheEntryView &entry, const INTERNET_CACHE_ENTRY_INFOA &record) {
  return entry.Url == record.lpszSourceUrlName && entry.LocalFileName == record.lpszLocalFileName;
}

} // namespace

class TWin32UrlCache::TEnumeration : public IUrlEnumeration {
public:
  // Lists `category` by its documented selector and, when that lists
  // nothing (Wine compares it exactly with its container prefixes) and
  // `fallBack` allows, by the container's own prefix.
  TEnumeration(TWin32UrlCache &owner, TCategory category, bool fallBack = true) : Owner(owner) {
    const TSelectors selectors = SelectorsOf(category);
    Records.emplace(owner.Api, selectors.Documented);
    if (Records->ListsNothing() && fallBack && selectors.Fallback)
      Records.emplace(owner.Api, selectors.Fallback);
  }
  ~TEnumeration() override { Forget(); }
  TEnumeration(const TEnumeration &) = delete;
  TEnumeration &operator=(const TEnumeration &) = delete;

  // Whether the platform answered that the selectors tried list nothing.
  bool ListsNothing() const { return Records->ListsNothing(); }

  // A record without a URL is passed over.
  const TCacheEntryView *Next() override {
    Forget();
    while (const INTERNET_CACHE_ENTRY_INFOA *record = Records->Next()) {
      if (!record->lpszSourceUrlName) {
        PassedOverOne = true; // its key is not known
        continue;
      }
      Current = {record->lpszSourceUrlName, record->lpszLocalFileName,
                 (uint64_t{record->dwSizeHigh} << 32) | record->dwSizeLow};
      if (FirstOfItsKey(record->lpszSourceUrlName)) {
        Owner.ListedAlone = record;
        Owner.ListedBy = this;
      }
      return &Current;
    }
    return nullptr;
  }

private:
  // Whether this walk has met no other entry of the key of `url` and
  // passed over no record: always false where keys are not known. Records
  // the key either way.
  bool FirstOfItsKey(const char *url) {
    if (Owner.Guard != TIndexGuard::FreedSlotKeys || !Owner.Keys) return false;
    const bool first = KeysMet.insert(Owner.Keys->KeyOf(url) >> TUrlIndexKeys::kFlagBits).second;
    return first && !PassedOverOne && !Records->MissedAny();
  }
  void Forget() {
    if (Owner.ListedBy != this) return;
    Owner.ListedAlone = nullptr;
    Owner.ListedBy = nullptr;
  }

  TWin32UrlCache &Owner;
  std::optional<TUrlCacheRecords> Records;
  TCacheEntryView Current{};
  std::unordered_set<uint32_t> KeysMet; // their bits above the flags
  bool PassedOverOne = false;           // a record without a URL was passed over
};

bool TWin32UrlCache::Addresses(const char *url) const {
  switch (Guard) {
  case TIndexGuard::None: break;
  case TIndexGuard::FreedSlotKeys: return !Keys->MatchesFreedSlots(url);
  case TIndexGuard::HighBytes:
    for (; *url; ++url)
      if (static_cast<unsigned char>(*url) >= 0x80) return false;
    break;
  }
  return true;
}

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
  return std::make_unique<TEnumeration>(*this, category);
}

std::unique_ptr<IUrlEnumeration> TWin32UrlCache::EnumerateSeparately(TCategory category) {
  // A documented cookie or history selector that lists nothing means either
  // Wine, whose null selector lists those containers with the content, or
  // an empty container, of which the content then lists nothing either.
  auto enumeration = std::make_unique<TEnumeration>(*this, category, false);
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
  // The entry's file is locked by a retrieval (a running browser): Wine
  // answers 32, Windows documents 5. The platform marks it for deletion and
  // it goes when it is unlocked.
  const bool locked = code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED;
  return locked ? TDeleteResult::InUse : TDeleteResult::Failed;
}

// Why a delete asks first, and what it never asks to delete.
//
// A delete names an entry by its URL, but Wine 8's index finds an entry by a
// 32-bit key of the URL and never compares the URL itself. Read from the
// content index (index.dat) between calls and from WINEDEBUG=+wininet traces:
// - The index is a table of buckets of 7 slots, each a key and the offset of
//   the entry's record. A free slot holds key 3. A delete frees the record's
//   blocks and marks its slot deleted (key 1), keeping the offset and the old
//   record. A new entry takes the first free or deleted slot of its bucket.
// - A lookup (GetUrlCacheEntryInfoA, DeleteUrlCacheEntryA, and a commit,
//   which looks for the entry it replaces) takes the first slot of the
//   URL's bucket whose key matches in its upper 26 bits and reads the record
//   there. A URL whose key is zero therefore also matches deleted slots (free
//   ones read as no entry). The key is computable (UrlIndexKey.h); URLs
//   with a byte of 0x80 and above, which the key reads from outside its
//   table, have such keys far more often than printable ASCII ones.
// What a clean of such an entry Z then does, call by call:
//  1. Its lookup lands on Z's own slot (the first one of its bucket that
//     matches), so it resolves to Z, and the delete frees Z: Z's slot is now
//     a deleted slot whose record still names Z. The index is sound.
//  2. The browser commits Z again: the commit's lookup lands on that deleted
//     slot, takes the old record for the entry it replaces, frees its blocks
//     a second time and writes the new record. The index's count of blocks
//     in use now falls short of its allocation bitmap.
//  3. The next process to open the index (the next clean, a listing) takes
//     it as broken and starts it afresh on its first call: every content
//     entry, selected or not, is gone before it looks anything up. A process
//     that had the index open already sees nothing wrong.
// The same happens whenever Z is committed or deleted while any deleted slot
// is ahead of it in its bucket; the lookup then names that slot's old record.
// Through the platform's calls a key of zero cannot be told from another
// while Z's slot comes first: its lookup finds Z. So under Wine a URL whose
// key names freed slots is left alone without a call, the key computed as the
// running wininet.dll computes it; where its table cannot be found, every URL
// with a byte of 0x80 and above (an ASCII URL's key names freed slots only as
// rarely as any 26-bit key is zero).
// Every other URL is looked up and deleted only when it resolves to the very
// entry the walk delivered (same URL, same local file), which keeps an entry
// that a shared key, or a commit since the walk, put in its place. Windows
// documents no such behaviour and gets the checked delete for every URL.
//
// Under Wine the lookup is spared for the entry an enumeration has just
// delivered, when the walk met no other entry of its key before it and
// passed over no record: an enumeration lists a bucket's slots in the order
// a lookup tries them, so the first slot whose key matches is the one just
// listed, and the lookup would find what the listing found. The time between
// the listing and the delete is then one call, the time the lookup left
// before its delete. A view copied out of the walk, or delivered after
// another entry of its key (another container's, or one a commit put ahead),
// is looked up.
TDeleteResult TWin32UrlCache::Delete(const TCacheEntryView &entry) {
  const INTERNET_CACHE_ENTRY_INFOA *record = std::exchange(ListedAlone, nullptr);
  ListedBy = nullptr;
  if (!Addresses(entry.Url)) return TDeleteResult::NotAddressable;
  if (!record || !IsViewOf(entry, *record)) {
    switch (Resolve(entry)) {
    case TResolution::WalkedEntry: break;
    case TResolution::OtherEntry: return TDeleteResult::NotAddressable;
    case TResolution::NoEntry: return FailureOf(Api.GetLastError());
    }
    record = Lookup.Data();
  }
  if (BeforeDelete)
    if (const std::optional<TDeleteResult> instead = BeforeDelete(*record)) return *instead;
  if (Api.DeleteUrlCacheEntryA(entry.Url)) return TDeleteResult::Deleted;
  return FailureOf(Api.GetLastError());
}
