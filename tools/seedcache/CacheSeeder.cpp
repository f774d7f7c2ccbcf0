#ifdef _WIN32
#include "CacheSeeder.h"

#include <algorithm>
#include <memory>
#include <set>
#include <stdexcept>

#include "Handles.h"
#include "UrlCache.h"
#include "UrlCacheRecords.h"
#include "Win32EntryBuffer.h"

namespace {

// The system's own calls.
const TWin32Api &Api() { return TWin32Api::System(); }

[[noreturn]] void Refused(const char *call, const std::string &url) {
  throw std::runtime_error(std::string(call) + " refused " + url + " (error " +
                           std::to_string(Api().GetLastError()) + ")");
}

void WriteFileOfSize(const std::string &path, uint32_t size) {
  const TFileHandle file(Api().CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr),
                         {&Api()});
  if (!file) Refused("CreateFileA", path);
  std::string content(size, 'x');
  for (size_t i = 0; i < content.size(); ++i)
    content[i] = static_cast<char>('a' + i % 26);
  DWORD written = 0;
  const BOOL ok = size == 0 || Api().WriteFile(file.Get(), content.data(), size, &written, nullptr);
  if (!ok || written != size) Refused("WriteFile", path);
}

void CommitWithoutFile(const std::string &url, DWORD type) {
  FILETIME never{};
  if (!CommitUrlCacheEntryA(url.c_str(), nullptr, never, never, type, nullptr, 0, nullptr, nullptr))
    Refused("CommitUrlCacheEntryA", url);
}

TListedEntry Listed(const INTERNET_CACHE_ENTRY_INFOA &record) {
  TListedEntry entry;
  entry.Url = record.lpszSourceUrlName ? record.lpszSourceUrlName : "";
  entry.LocalFileName = record.lpszLocalFileName ? record.lpszLocalFileName : "";
  entry.Size = (uint64_t{record.dwSizeHigh} << 32) | record.dwSizeLow;
  entry.Type = record.CacheEntryType;
  return entry;
}

} // namespace

std::string SeedHttpEntryWithHeaders(const std::string &url, uint32_t size,
                                     const std::string &headers, const char *extension) {
  char path[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), size, extension, path, 0))
    Refused("CreateUrlCacheEntryA", url);
  WriteFileOfSize(path, size);
  FILETIME never{};
  std::string headerBytes = headers;
  if (!CommitUrlCacheEntryA(url.c_str(), path, never, never, NORMAL_CACHE_ENTRY,
                            reinterpret_cast<BYTE *>(headerBytes.data()),
                            static_cast<DWORD>(headerBytes.size()), extension, nullptr))
    Refused("CommitUrlCacheEntryA", url);
  return path;
}

std::string SeedHttpEntry(const std::string &url, uint32_t size, const char *extension) {
  return SeedHttpEntryWithHeaders(url, size, "HTTP/1.1 200 OK\r\n\r\n", extension);
}

uint32_t UrlCacheRecordSize(const std::string &url) {
  DWORD size = 0;
  Api().GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size);
  return static_cast<uint32_t>(size);
}

void SeedCookieEntry(const std::string &url) { CommitWithoutFile(url, COOKIE_CACHE_ENTRY); }

void SeedVisitedEntry(const std::string &url) { CommitWithoutFile(url, URLHISTORY_CACHE_ENTRY); }

void SeedEntry(const std::string &url, uint32_t size) {
  switch (ContainerOfUrl(url.c_str())) {
  case TCategory::Cookies: SeedCookieEntry(url); break;
  case TCategory::History: SeedVisitedEntry(url); break;
  case TCategory::Cache: SeedHttpEntry(url, size); break;
  }
}

std::vector<TListedEntry> ListUrlCache(const char *selector) {
  std::vector<TListedEntry> entries;
  TUrlCacheRecords records(Api(), selector);
  while (const INTERNET_CACHE_ENTRY_INFOA *record = records.Next())
    entries.push_back(Listed(*record));
  return entries;
}

std::vector<TListedEntry> ListWholeUrlCache() {
  std::vector<TListedEntry> all;
  std::set<std::string> seen;
  for (const char *selector :
       {static_cast<const char *>(nullptr), "", "Cookie:", "Visited:", "cookie:", "visited:"})
    for (TListedEntry &entry : ListUrlCache(selector))
      if (seen.insert(entry.Url).second) all.push_back(std::move(entry));
  return all;
}

std::vector<std::string> SortedCacheUrls() {
  std::vector<std::string> urls;
  for (const TListedEntry &entry : ListWholeUrlCache())
    urls.push_back(entry.Url);
  std::sort(urls.begin(), urls.end());
  return urls;
}

bool UrlCacheHas(const std::string &url) {
  for (const TListedEntry &entry : ListWholeUrlCache())
    if (entry.Url == url) return true;
  return false;
}

size_t EmptyUrlCache() {
  size_t deleted = 0;
  for (const TListedEntry &entry : ListWholeUrlCache())
    if (Api().DeleteUrlCacheEntryA(entry.Url.c_str())) ++deleted;
  return deleted;
}

std::optional<std::string> ResolvedUrl(const std::string &url) {
  TEntryBuffer buffer;
  DWORD size = buffer.Capacity();
  if (!Api().GetUrlCacheEntryInfoA(url.c_str(), buffer.Data(), &size)) {
    if (Api().GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    buffer.Reserve(size);
    size = buffer.Capacity();
    if (!Api().GetUrlCacheEntryInfoA(url.c_str(), buffer.Data(), &size)) return std::nullopt;
  }
  if (!buffer.Data()->lpszSourceUrlName) return std::string();
  return std::string(buffer.Data()->lpszSourceUrlName);
}

std::vector<TCollidingUrls> FindCollidingUrls(size_t wanted, const std::string &prefix) {
  EmptyUrlCache();
  std::vector<TCollidingUrls> pairs;
  for (unsigned last = 0x80; last <= 0xFF && pairs.size() < wanted; ++last) {
    const std::string candidate = prefix + std::string(1, static_cast<char>(last));
    if (const auto found = ResolvedUrl(candidate)) {
      if (*found != candidate) pairs.push_back({*found, candidate});
      continue;
    }
    SeedHttpEntry(candidate, 0);
  }
  EmptyUrlCache();
  return pairs;
}

namespace {

// Adds `count` mates without files, in order, then deletes them.
void AddAndDeleteMates(size_t count) {
  std::vector<std::string> mates;
  for (size_t i = 0; i < count; ++i) {
    mates.push_back("http://!m" + std::to_string(i) + "/");
    CommitWithoutFile(mates.back(), NORMAL_CACHE_ENTRY);
  }
  for (const std::string &mate : mates)
    Api().DeleteUrlCacheEntryA(mate.c_str());
}

// Up to `wanted` candidates of `prefix` whose lookup finds a mate not yet in
// `mates`, which it then adds.
void FindKeyZeroUrlsOf(const std::string &prefix, size_t wanted, std::set<std::string> &mates,
                       std::vector<TKeyZeroUrl> &found) {
  size_t count = 0;
  for (char middle = '!'; middle <= '~' && count < wanted; ++middle)
    for (unsigned last = 0x80; last <= 0xFF && count < wanted; ++last) {
      const std::string candidate = prefix + middle + static_cast<char>(last);
      const auto mate = ResolvedUrl(candidate);
      if (!mate || mate->empty() || !mates.insert(*mate).second) continue;
      found.push_back({candidate, *mate});
      ++count;
    }
}

} // namespace

std::vector<TKeyZeroUrl> FindKeyZeroUrls(const std::vector<std::string> &prefixes, size_t wanted) {
  EmptyUrlCache();
  AddAndDeleteMates(320);
  std::set<std::string> mates;
  std::vector<TKeyZeroUrl> found;
  for (const std::string &prefix : prefixes)
    FindKeyZeroUrlsOf(prefix, wanted, mates, found);
  if (!found.empty()) Api().DeleteUrlCacheEntryA(found.front().Url.c_str());
  return found;
}

const std::vector<TSampleEntry> &SampleCacheEntries() {
  static const std::vector<TSampleEntry> entries = {
      {"http://www.example.com/index.html", 1000},
      {"Cookie:john@example.com/", 0},
      {"http://www.example.com/logo.gif", 2345},
      {"Visited: john@http://www.example.com/index.html", 0},
      {"http://news.example.org/story/today.html", 4000},
      {"Cookie:john@ads.tracker.net/", 0},
      {"http://localhost/", 700}, // no "." anywhere
      {"Cookie:john@localhost/", 0},
      {"Visited: john@http://news.example.org/story/today.html", 0},
      {"Visited: john@about:blank", 0},
  };
  return entries;
}

#endif
