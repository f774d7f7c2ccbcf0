#pragma once
// The portable URL cache: entries held in memory, enumerated in insertion
// order through the same record layout and two-call protocol as WinInet, with
// fault injection so tests can make the platform misbehave on purpose.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "UrlCache.h"

// Error codes the stand-in reports besides 122 and 259.
constexpr uint32_t kErrorFileNotFound = 2;      // a delete or fetch of an entry that is gone
constexpr uint32_t kErrorSharingViolation = 32; // an entry that is locked

class TMemoryUrlCache : public IUrlCache {
public:
  // How many times each platform call was made.
  struct TCallCounts {
    uint64_t FindFirst = 0, FindNext = 0, LastError = 0, Delete = 0, FindClose = 0;
    uint64_t Total() const { return FindFirst + FindNext + LastError + Delete + FindClose; }
  };

  // Repeats of an injected next-entry error that never run out.
  static constexpr uint32_t kForever = UINT32_MAX;

  TMemoryUrlCache();
  ~TMemoryUrlCache() override;
  TMemoryUrlCache(const TMemoryUrlCache &) = delete;
  TMemoryUrlCache &operator=(const TMemoryUrlCache &) = delete;

  // Adds an entry at the end of the enumeration order; `localFileName` is
  // empty for an entry without a file. Adding a URL that is present replaces
  // its file and size in place.
  void Add(const std::string &url, std::optional<std::string> localFileName, uint64_t size);

  // Whether an entry with this URL is present.
  bool Contains(const std::string &url) const;

  // The URLs present, in enumeration order.
  std::vector<std::string> Urls() const;

  // Every entry deleted by Delete comes back in its old place (benchmarks
  // restore the cache between runs this way). Entries re-added since are kept.
  void RestoreDeleted();

  // --- Selection. A pattern beginning with "cookie:" (in any letter case)
  // enumerates the cookie entries (URL beginning "Cookie:"), one beginning
  // with "visited:" the history entries (URL beginning "Visited:"); any other
  // pattern, like the platform's null selector, enumerates every entry.

  // --- Fault injection.
  // Deleting this URL fails with 32 (the entry stays).
  void FailDeleteOf(const std::string &url);
  // The call that would deliver this entry into a big enough buffer fails
  // with `code` and moves past it, as when the entry vanishes between the
  // sizing call and the fetch.
  void FailFetchOf(const std::string &url, uint32_t code = kErrorFileNotFound);
  // The next-entry query that would deliver this entry fails with `code`,
  // without advancing, `times` times in a row (kForever: never stops).
  void FailNextQueriesBefore(const std::string &url, uint32_t code, uint32_t times);
  // Called with each entry's URL after it is delivered, while the enumeration
  // is open; it may Add and Delete entries.
  void OnDelivered(std::function<void(const std::string &url)> hook);

  // --- Observation.
  const TCallCounts &Calls() const { return Counts; }
  // Enumerations started and not yet closed.
  size_t OpenEnumerations() const;

  // IUrlCache
  TCacheEnumHandle FindFirst(const char *pattern, TUrlCacheEntryInfo *buffer,
                             uint32_t *size) override;
  bool FindNext(TCacheEnumHandle handle, TUrlCacheEntryInfo *buffer, uint32_t *size) override;
  uint32_t LastError() const override;
  bool Delete(const char *url) override;
  void FindClose(TCacheEnumHandle handle) override;

private:
  struct TEntry;
  struct TFaults;
  struct TEnumeration;

  // Hashes and compares std::string and std::string_view alike, so that a
  // lookup by a URL pointer allocates nothing.
  struct TUrlHash {
    using is_transparent = void;
    size_t operator()(std::string_view url) const { return std::hash<std::string_view>{}(url); }
  };

  // The kinds of entry (a bit each) that an enumeration by `pattern` lists.
  static uint8_t KindsSelectedBy(const char *pattern);
  // The first entry at or after `from` that is present and of one of `kinds`.
  size_t NextSelected(size_t from, uint8_t kinds) const;
  TEnumeration *OpenEnumeration(TCacheEnumHandle handle);
  TFaults *FaultsOf(const TEntry &entry);
  TFaults &AddFaults(const std::string &url);
  bool Deliver(TEnumeration &enumeration, size_t index, TUrlCacheEntryInfo *buffer, uint32_t *size);
  bool Fail(uint32_t code) const;
  std::string_view UrlOf(const TEntry &entry) const;
  // The index of the entry with this URL; Entries.size() when there is none.
  size_t IndexOf(std::string_view url) const;

  // Entries are small and their texts live in one block (URL, NUL, local
  // file name, NUL), so that enumerating a million entries streams through
  // memory instead of chasing a pointer per text.
  std::vector<TEntry> Entries;
  std::vector<char> Texts;
  std::unordered_map<std::string, size_t, TUrlHash, std::equal_to<>> IndexOfUrl;
  std::unordered_map<size_t, TFaults> Faults;
  std::vector<std::unique_ptr<TEnumeration>> Enumerations;
  std::function<void(const std::string &)> DeliveredHook;
  size_t LastDelivered = SIZE_MAX;
  mutable uint32_t Error = 0;
  mutable TCallCounts Counts;
};
