#include "ObservedUrlCache.h"

#include <cstring>

namespace {

constexpr TCategory kCategories[] = {TCategory::Cache, TCategory::Cookies, TCategory::History};

size_t IndexOf(TCategory category) { return static_cast<size_t>(category); }

uint64_t SizeOf(const TUrlCacheEntryInfo &entry) {
  return (static_cast<uint64_t>(entry.dwSizeHigh) << 32) | entry.dwSizeLow;
}

} // namespace

std::optional<TCategory> CategoryOfPattern(const char *pattern) {
  if (!pattern) return std::nullopt;
  for (TCategory category : kCategories) {
    const char *prefix = CategoryPrefix(category);
    if (std::strncmp(pattern, prefix, std::strlen(prefix)) == 0) return category;
  }
  return std::nullopt;
}

const std::vector<TReportedEntry> &TObservedUrlCache::Deleted(TCategory category) const {
  return DeletedEntries[IndexOf(category)];
}

void TObservedUrlCache::Remember(const TUrlCacheEntryInfo &entry) {
  Last.Url = entry.lpszSourceUrlName ? entry.lpszSourceUrlName : "";
  if (entry.lpszLocalFileName)
    Last.LocalFileName = entry.lpszLocalFileName;
  else
    Last.LocalFileName.reset();
  Last.Size = SizeOf(entry);
  ++DeliveredCount;
  if (Hook) Hook(DeliveredCount);
}

TCacheEnumHandle TObservedUrlCache::FindFirst(const char *pattern, TUrlCacheEntryInfo *buffer,
                                              uint32_t *size) {
  TCacheEnumHandle handle = Inner.FindFirst(pattern, buffer, size);
  if (handle) {
    Running = Started = CategoryOfPattern(pattern);
    if (buffer) Remember(*buffer);
  }
  return handle;
}

bool TObservedUrlCache::FindNext(TCacheEnumHandle handle, TUrlCacheEntryInfo *buffer,
                                 uint32_t *size) {
  const bool fetched = Inner.FindNext(handle, buffer, size);
  if (fetched && buffer) Remember(*buffer);
  return fetched;
}

bool TObservedUrlCache::Delete(const char *url) {
  if (!Inner.Delete(url)) return false;
  if (Running) {
    TReportedEntry deleted =
        (url && Last.Url == url) ? Last : TReportedEntry{url ? url : "", {}, 0};
    DeletedEntries[IndexOf(*Running)].push_back(std::move(deleted));
  }
  return true;
}

void TObservedUrlCache::FindClose(TCacheEnumHandle handle) {
  Inner.FindClose(handle);
  Running.reset();
}
