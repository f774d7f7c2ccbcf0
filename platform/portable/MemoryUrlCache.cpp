#include "MemoryUrlCache.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// The platform's entry type bits, so records look like the real ones.
constexpr uint32_t kNormalCacheEntry = 0x00000001;
constexpr uint32_t kCookieCacheEntry = 0x00100000;
constexpr uint32_t kUrlHistoryCacheEntry = 0x00200000;
constexpr uint32_t kErrorInvalidHandle = 6;

// Whether `text` begins with `prefix`, ASCII letters compared without case.
bool StartsWithNoCase(const char *text, const char *prefix) {
  const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  for (; *prefix; ++text, ++prefix)
    if (fold(*text) != fold(*prefix)) return false;
  return true;
}

enum class TKind : uint8_t { Content, Cookie, History };

constexpr uint8_t KindBit(TKind kind) {
  return static_cast<uint8_t>(1u << static_cast<unsigned>(kind));
}

TKind KindOf(const std::string &url) {
  if (url.rfind("Cookie:", 0) == 0) return TKind::Cookie;
  if (url.rfind("Visited:", 0) == 0) return TKind::History;
  return TKind::Content;
}

constexpr uint32_t kNoFile = UINT32_MAX;

} // namespace

struct TMemoryUrlCache::TEntry {
  size_t TextOffset = 0; // the URL's first byte in Texts
  uint64_t Size = 0;
  uint32_t UrlLength = 0;
  uint32_t FileLength = kNoFile;
  TKind Kind = TKind::Content;
  bool Deleted = false;
  bool Superseded = false; // deleted, then added again in a new place
  bool HasFaults = false;

  uint32_t RecordSize() const {
    size_t bytes = sizeof(TUrlCacheEntryInfo) + UrlLength + 1;
    if (FileLength != kNoFile) bytes += FileLength + 1;
    return static_cast<uint32_t>(bytes);
  }
};

struct TMemoryUrlCache::TFaults {
  bool FailDelete = false;
  uint32_t FailFetchCode = 0;
  uint32_t NextErrorCode = 0;
  uint32_t NextErrorTimes = 0;
};

struct TMemoryUrlCache::TEnumeration {
  uint8_t Kinds = 0; // the KindBit of each kind of entry it selects
  size_t Next = 0;   // index of the first entry not yet delivered
};

TMemoryUrlCache::TMemoryUrlCache() = default;
TMemoryUrlCache::~TMemoryUrlCache() = default;

void TMemoryUrlCache::Add(const std::string &url, std::optional<std::string> localFileName,
                          uint64_t size) {
  TEntry entry;
  entry.TextOffset = Texts.size();
  entry.UrlLength = static_cast<uint32_t>(url.size());
  entry.Size = size;
  entry.Kind = KindOf(url);
  Texts.insert(Texts.end(), url.begin(), url.end());
  Texts.push_back('\0');
  if (localFileName) {
    entry.FileLength = static_cast<uint32_t>(localFileName->size());
    Texts.insert(Texts.end(), localFileName->begin(), localFileName->end());
    Texts.push_back('\0');
  }
  auto found = IndexOfUrl.find(url);
  if (found != IndexOfUrl.end()) {
    TEntry &old = Entries[found->second];
    if (!old.Deleted) {
      // A present entry keeps its place and its faults; its old texts are
      // left unused in the block.
      entry.HasFaults = old.HasFaults;
      old = entry;
      return;
    }
    old.Superseded = true; // the deleted one stays deleted for good
  }
  Entries.push_back(entry);
  IndexOfUrl.insert_or_assign(url, Entries.size() - 1);
}

std::string_view TMemoryUrlCache::UrlOf(const TEntry &entry) const {
  return {Texts.data() + entry.TextOffset, entry.UrlLength};
}

bool TMemoryUrlCache::Contains(const std::string &url) const {
  auto found = IndexOfUrl.find(url);
  return found != IndexOfUrl.end() && !Entries[found->second].Deleted;
}

std::vector<std::string> TMemoryUrlCache::Urls() const {
  std::vector<std::string> urls;
  for (const TEntry &entry : Entries)
    if (!entry.Deleted) urls.emplace_back(UrlOf(entry));
  return urls;
}

void TMemoryUrlCache::RestoreDeleted() {
  for (TEntry &entry : Entries)
    if (!entry.Superseded) entry.Deleted = false;
}

TMemoryUrlCache::TFaults &TMemoryUrlCache::AddFaults(const std::string &url) {
  const size_t index = IndexOfUrl.at(url);
  Entries[index].HasFaults = true;
  return Faults[index];
}

TMemoryUrlCache::TFaults *TMemoryUrlCache::FaultsOf(const TEntry &entry) {
  if (!entry.HasFaults) return nullptr;
  return &Faults[static_cast<size_t>(&entry - Entries.data())];
}

void TMemoryUrlCache::FailDeleteOf(const std::string &url) { AddFaults(url).FailDelete = true; }

void TMemoryUrlCache::FailFetchOf(const std::string &url, uint32_t code) {
  AddFaults(url).FailFetchCode = code;
}

void TMemoryUrlCache::FailNextQueriesBefore(const std::string &url, uint32_t code, uint32_t times) {
  TFaults &faults = AddFaults(url);
  faults.NextErrorCode = code;
  faults.NextErrorTimes = times;
}

void TMemoryUrlCache::OnDelivered(std::function<void(const std::string &url)> hook) {
  DeliveredHook = std::move(hook);
}

size_t TMemoryUrlCache::OpenEnumerations() const { return Enumerations.size(); }

uint8_t TMemoryUrlCache::KindsSelectedBy(const char *pattern) {
  if (pattern && StartsWithNoCase(pattern, "cookie:")) return KindBit(TKind::Cookie);
  if (pattern && StartsWithNoCase(pattern, "visited:")) return KindBit(TKind::History);
  return KindBit(TKind::Content) | KindBit(TKind::Cookie) | KindBit(TKind::History);
}

// A walk of a million entries spends most of its time here and in Deliver,
// so both stay small: one flag test per entry passed over.
size_t TMemoryUrlCache::NextSelected(size_t from, uint8_t kinds) const {
  const TEntry *entries = Entries.data();
  const size_t count = Entries.size();
  while (from < count && (entries[from].Deleted || !(KindBit(entries[from].Kind) & kinds)))
    ++from;
  return from;
}

bool TMemoryUrlCache::Fail(uint32_t code) const {
  Error = code;
  return false;
}

// Copies the entry at `index` (the enumeration's next selected one, or
// Entries.size() at the end) into `buffer` and moves past it; fails with 122
// (not moving) when the buffer is missing or short, with 259 at the end, and
// with an entry's injected fetch fault.
bool TMemoryUrlCache::Deliver(TEnumeration &enumeration, size_t index, TUrlCacheEntryInfo *buffer,
                              uint32_t *size) {
  enumeration.Next = index;
  if (index == Entries.size()) return Fail(kErrorNoMoreItems);
  const TEntry &entry = Entries[index];
  const uint32_t needed = entry.RecordSize();
  if (!buffer || *size < needed) {
    *size = needed;
    return Fail(kErrorInsufficientBuffer);
  }
  enumeration.Next = index + 1;
  if (entry.HasFaults && FaultsOf(entry)->FailFetchCode != 0)
    return Fail(FaultsOf(entry)->FailFetchCode);

  auto *record = new (buffer) TUrlCacheEntryInfo{};
  char *texts = reinterpret_cast<char *>(buffer) + sizeof(TUrlCacheEntryInfo);
  const size_t textBytes = needed - sizeof(TUrlCacheEntryInfo);
  std::memcpy(texts, Texts.data() + entry.TextOffset, textBytes);
  record->dwStructSize = sizeof(TUrlCacheEntryInfo);
  record->lpszSourceUrlName = texts;
  if (entry.FileLength != kNoFile) record->lpszLocalFileName = texts + entry.UrlLength + 1;
  record->CacheEntryType = entry.Kind == TKind::Cookie    ? kCookieCacheEntry
                           : entry.Kind == TKind::History ? kUrlHistoryCacheEntry
                                                          : kNormalCacheEntry;
  record->dwSizeLow = static_cast<uint32_t>(entry.Size);
  record->dwSizeHigh = static_cast<uint32_t>(entry.Size >> 32);
  *size = needed;
  LastDelivered = index;
  // The hook may add entries (moving this one) or delete them.
  if (DeliveredHook) DeliveredHook(std::string(texts, entry.UrlLength));
  return true;
}

TCacheEnumHandle TMemoryUrlCache::FindFirst(const char *pattern, TUrlCacheEntryInfo *buffer,
                                            uint32_t *size) {
  ++Counts.FindFirst;
  auto enumeration = std::make_unique<TEnumeration>();
  enumeration->Kinds = KindsSelectedBy(pattern);
  if (!Deliver(*enumeration, NextSelected(0, enumeration->Kinds), buffer, size)) {
    // Like the platform, a first call that returns no entry keeps no handle.
    if (Error == kErrorNoMoreItems) *size = 0;
    return nullptr;
  }
  Enumerations.push_back(std::move(enumeration));
  return Enumerations.back().get();
}

TMemoryUrlCache::TEnumeration *TMemoryUrlCache::OpenEnumeration(TCacheEnumHandle handle) {
  for (const auto &open : Enumerations)
    if (open.get() == handle) return open.get();
  return nullptr;
}

bool TMemoryUrlCache::FindNext(TCacheEnumHandle handle, TUrlCacheEntryInfo *buffer,
                               uint32_t *size) {
  ++Counts.FindNext;
  TEnumeration *enumeration = OpenEnumeration(handle);
  if (!enumeration) return Fail(kErrorInvalidHandle);
  const size_t index = NextSelected(enumeration->Next, enumeration->Kinds);
  if (index < Entries.size() && Entries[index].HasFaults) {
    TFaults *faults = FaultsOf(Entries[index]);
    if (faults->NextErrorTimes > 0) {
      enumeration->Next = index;
      if (faults->NextErrorTimes != kForever) --faults->NextErrorTimes;
      return Fail(faults->NextErrorCode);
    }
  }
  return Deliver(*enumeration, index, buffer, size);
}

uint32_t TMemoryUrlCache::LastError() const {
  ++Counts.LastError;
  return Error;
}

size_t TMemoryUrlCache::IndexOf(std::string_view url) const {
  // A sweep deletes the entry it was just handed: try that one first.
  if (LastDelivered < Entries.size() && !Entries[LastDelivered].Deleted &&
      UrlOf(Entries[LastDelivered]) == url)
    return LastDelivered;
  auto found = IndexOfUrl.find(url);
  return found == IndexOfUrl.end() ? Entries.size() : found->second;
}

bool TMemoryUrlCache::Delete(const char *url) {
  ++Counts.Delete;
  const size_t index = IndexOf(url);
  if (index == Entries.size() || Entries[index].Deleted) return Fail(kErrorFileNotFound);
  TEntry &entry = Entries[index];
  if (const TFaults *faults = FaultsOf(entry); faults && faults->FailDelete)
    return Fail(kErrorSharingViolation);
  entry.Deleted = true;
  return true;
}

void TMemoryUrlCache::FindClose(TCacheEnumHandle handle) {
  ++Counts.FindClose;
  std::erase_if(Enumerations, [handle](const auto &e) { return e.get() == handle; });
}
