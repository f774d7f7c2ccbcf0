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
  for (; *prefix; ++text, ++prefix) {
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (fold(*text) != fold(*prefix)) return false;
  }
  return true;
}

bool StartsWith(const std::string &text, const char *prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

struct TMemoryUrlCache::TEntry {
  std::string Url;
  std::optional<std::string> LocalFileName;
  uint64_t Size = 0;
  bool Deleted = false;
  bool Superseded = false; // deleted, then added again in a new place
  bool FailDelete = false;
  uint32_t FailFetchCode = 0;
  uint32_t NextErrorCode = 0;
  uint32_t NextErrorTimes = 0;

  bool Cookie() const { return StartsWith(Url, "Cookie:"); }
  bool History() const { return StartsWith(Url, "Visited:"); }

  uint32_t RecordSize() const {
    size_t bytes = sizeof(TUrlCacheEntryInfo) + Url.size() + 1;
    if (LocalFileName) bytes += LocalFileName->size() + 1;
    return static_cast<uint32_t>(bytes);
  }
};

struct TMemoryUrlCache::TEnumeration {
  TSelector Selector = TSelector::All;
  size_t Next = 0; // index of the first entry not yet delivered
};

TMemoryUrlCache::TMemoryUrlCache() = default;
TMemoryUrlCache::~TMemoryUrlCache() = default;

void TMemoryUrlCache::Add(const std::string &url, std::optional<std::string> localFileName,
                          uint64_t size) {
  auto found = IndexOfUrl.find(url);
  if (found != IndexOfUrl.end()) {
    TEntry &entry = Entries[found->second];
    if (!entry.Deleted) {
      entry.LocalFileName = std::move(localFileName);
      entry.Size = size;
      return;
    }
    entry.Superseded = true;
  }
  TEntry entry;
  entry.Url = url;
  entry.LocalFileName = std::move(localFileName);
  entry.Size = size;
  Entries.push_back(std::move(entry));
  IndexOfUrl[url] = Entries.size() - 1;
}

bool TMemoryUrlCache::Contains(const std::string &url) const {
  auto found = IndexOfUrl.find(url);
  return found != IndexOfUrl.end() && !Entries[found->second].Deleted;
}

std::vector<std::string> TMemoryUrlCache::Urls() const {
  std::vector<std::string> urls;
  for (const TEntry &entry : Entries)
    if (!entry.Deleted) urls.push_back(entry.Url);
  return urls;
}

void TMemoryUrlCache::RestoreDeleted() {
  for (TEntry &entry : Entries)
    if (!entry.Superseded) entry.Deleted = false;
}

void TMemoryUrlCache::FailDeleteOf(const std::string &url) {
  Entries.at(IndexOfUrl.at(url)).FailDelete = true;
}

void TMemoryUrlCache::FailFetchOf(const std::string &url, uint32_t code) {
  Entries.at(IndexOfUrl.at(url)).FailFetchCode = code;
}

void TMemoryUrlCache::FailNextQueriesBefore(const std::string &url, uint32_t code, uint32_t times) {
  TEntry &entry = Entries.at(IndexOfUrl.at(url));
  entry.NextErrorCode = code;
  entry.NextErrorTimes = times;
}

void TMemoryUrlCache::OnDelivered(std::function<void(const std::string &url)> hook) {
  DeliveredHook = std::move(hook);
}

size_t TMemoryUrlCache::OpenEnumerations() const { return Enumerations.size(); }

TMemoryUrlCache::TSelector TMemoryUrlCache::SelectorOf(const char *pattern) {
  if (pattern && StartsWithNoCase(pattern, "cookie:")) return TSelector::Cookies;
  if (pattern && StartsWithNoCase(pattern, "visited:")) return TSelector::History;
  return TSelector::All;
}

bool TMemoryUrlCache::Selected(const TEntry &entry, TSelector selector) const {
  if (entry.Deleted) return false;
  switch (selector) {
  case TSelector::Cookies: return entry.Cookie();
  case TSelector::History: return entry.History();
  case TSelector::All: return true;
  }
  return false;
}

size_t TMemoryUrlCache::NextSelected(size_t from, TSelector selector) const {
  while (from < Entries.size() && !Selected(Entries[from], selector))
    ++from;
  return from;
}

bool TMemoryUrlCache::Fail(uint32_t code) const {
  Error = code;
  return false;
}

// Copies the entry at the enumeration's position into `buffer` and moves on;
// fails with 122 (not moving) when the buffer is missing or short, with 259
// at the end, and with an entry's injected faults.
bool TMemoryUrlCache::Deliver(TEnumeration &enumeration, TUrlCacheEntryInfo *buffer,
                              uint32_t *size) {
  const size_t index = NextSelected(enumeration.Next, enumeration.Selector);
  if (index == Entries.size()) {
    enumeration.Next = index;
    return Fail(kErrorNoMoreItems);
  }
  TEntry &entry = Entries[index];
  const uint32_t needed = entry.RecordSize();
  if (!buffer || *size < needed) {
    *size = needed;
    return Fail(kErrorInsufficientBuffer);
  }
  enumeration.Next = index + 1;
  if (entry.FailFetchCode != 0) return Fail(entry.FailFetchCode);

  auto *record = new (buffer) TUrlCacheEntryInfo{};
  char *texts = reinterpret_cast<char *>(buffer) + sizeof(TUrlCacheEntryInfo);
  record->dwStructSize = sizeof(TUrlCacheEntryInfo);
  record->lpszSourceUrlName = texts;
  std::memcpy(texts, entry.Url.c_str(), entry.Url.size() + 1);
  texts += entry.Url.size() + 1;
  if (entry.LocalFileName) {
    record->lpszLocalFileName = texts;
    std::memcpy(texts, entry.LocalFileName->c_str(), entry.LocalFileName->size() + 1);
  }
  record->CacheEntryType = entry.Cookie()    ? kCookieCacheEntry
                           : entry.History() ? kUrlHistoryCacheEntry
                                             : kNormalCacheEntry;
  record->dwSizeLow = static_cast<uint32_t>(entry.Size);
  record->dwSizeHigh = static_cast<uint32_t>(entry.Size >> 32);
  *size = needed;
  RunHook(entry);
  return true;
}

void TMemoryUrlCache::RunHook(const TEntry &entry) {
  if (!DeliveredHook) return;
  const std::string url = entry.Url; // the hook may add entries and move this one
  DeliveredHook(url);
}

TCacheEnumHandle TMemoryUrlCache::FindFirst(const char *pattern, TUrlCacheEntryInfo *buffer,
                                            uint32_t *size) {
  ++Counts.FindFirst;
  auto enumeration = std::make_unique<TEnumeration>();
  enumeration->Selector = SelectorOf(pattern);
  if (!Deliver(*enumeration, buffer, size)) {
    // Like the platform, a first call that returns no entry keeps no handle.
    if (Error == kErrorNoMoreItems) *size = 0;
    return nullptr;
  }
  Enumerations.push_back(std::move(enumeration));
  return Enumerations.back().get();
}

bool TMemoryUrlCache::FindNext(TCacheEnumHandle handle, TUrlCacheEntryInfo *buffer,
                               uint32_t *size) {
  ++Counts.FindNext;
  auto open = std::find_if(Enumerations.begin(), Enumerations.end(),
                           [handle](const auto &e) { return e.get() == handle; });
  if (open == Enumerations.end()) return Fail(kErrorInvalidHandle);
  TEnumeration &enumeration = **open;
  const size_t index = NextSelected(enumeration.Next, enumeration.Selector);
  if (index < Entries.size()) {
    TEntry &entry = Entries[index];
    if (entry.NextErrorTimes > 0) {
      if (entry.NextErrorTimes != kForever) --entry.NextErrorTimes;
      return Fail(entry.NextErrorCode);
    }
  }
  return Deliver(enumeration, buffer, size);
}

uint32_t TMemoryUrlCache::LastError() const {
  ++Counts.LastError;
  return Error;
}

bool TMemoryUrlCache::Delete(const char *url) {
  ++Counts.Delete;
  auto found = IndexOfUrl.find(url);
  if (found == IndexOfUrl.end() || Entries[found->second].Deleted) return Fail(kErrorFileNotFound);
  TEntry &entry = Entries[found->second];
  if (entry.FailDelete) return Fail(kErrorSharingViolation);
  entry.Deleted = true;
  return true;
}

void TMemoryUrlCache::FindClose(TCacheEnumHandle handle) {
  ++Counts.FindClose;
  std::erase_if(Enumerations, [handle](const auto &e) { return e.get() == handle; });
}
