#include "Win32UrlCache.h"

namespace {

bool StartsWithNoCase(const char *text, const char *prefix) {
  for (; *prefix; ++text, ++prefix) {
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (fold(*text) != fold(*prefix)) return false;
  }
  return true;
}

HANDLE FindFirstWith(const char *selector, TUrlCacheEntryInfo *buffer, uint32_t *size) {
  DWORD bytes = *size;
  HANDLE handle = FindFirstUrlCacheEntryA(selector, buffer, &bytes);
  *size = static_cast<uint32_t>(bytes);
  return handle;
}

} // namespace

TWin32UrlCache::TSelectors TWin32UrlCache::SelectorsOf(const char *pattern) {
  if (pattern && StartsWithNoCase(pattern, "Cookie:")) return {"cookie:", "Cookie:"};
  if (pattern && StartsWithNoCase(pattern, "Visited:")) return {"visited:", "Visited:"};
  return {nullptr, nullptr};
}

TCacheEnumHandle TWin32UrlCache::FindFirst(const char *pattern, TUrlCacheEntryInfo *buffer,
                                           uint32_t *size) {
  // WinInet's search pattern selects a container; it is not a wildcard, and a
  // CachePattern such as "http://*.*" selects nothing at all under Wine. So
  // the platform gets the selector of the pattern's category: the documented
  // "cookie:" or "visited:" first and, when that lists nothing (Wine compares
  // it exactly with its container prefixes), "Cookie:" or "Visited:"; for the
  // http category the null selector. The walk keeps the whole CachePattern
  // for the category filter and the match, so what a clean deletes does not
  // depend on which selector the platform honours.
  const TSelectors selectors = SelectorsOf(pattern);
  const uint32_t offered = *size;
  HANDLE handle = FindFirstWith(selectors.Documented, buffer, size);
  if (handle || !selectors.Fallback || GetLastError() != ERROR_NO_MORE_ITEMS) return handle;
  *size = offered;
  return FindFirstWith(selectors.Fallback, buffer, size);
}

bool TWin32UrlCache::FindNext(TCacheEnumHandle handle, TUrlCacheEntryInfo *buffer, uint32_t *size) {
  DWORD bytes = *size;
  const bool found = FindNextUrlCacheEntryA(handle, buffer, &bytes) != FALSE;
  *size = static_cast<uint32_t>(bytes);
  return found;
}

uint32_t TWin32UrlCache::LastError() const { return GetLastError(); }

bool TWin32UrlCache::Delete(const char *url) { return DeleteUrlCacheEntryA(url) != FALSE; }

void TWin32UrlCache::FindClose(TCacheEnumHandle handle) {
  if (handle) FindCloseUrlCache(handle);
}
