#pragma once
// A URL cache that forwards every call to the real one and watches the walk go
// by: it counts the entries the platform delivers (for progress) and records
// each entry whose deletion succeeds, with its local file and size, by
// category. The cleaner runs over it unchanged.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CacheWalk.h"
#include "UrlCache.h"

// One cache entry as the command line reports it.
struct TReportedEntry {
  std::string Url;
  std::optional<std::string> LocalFileName; // none when the entry has no file
  uint64_t Size = 0;
};

class TObservedUrlCache : public IUrlCache {
public:
  // Called with the number of entries delivered so far, after each delivery.
  using TDeliveryHook = std::function<void(uint64_t delivered)>;

  // Forwards to `inner`, which must outlive this object.
  explicit TObservedUrlCache(IUrlCache &inner) : Inner(inner) {}

  void OnDelivered(TDeliveryHook hook) { Hook = std::move(hook); }

  // Entries the platform has delivered into a buffer, over all enumerations.
  uint64_t Delivered() const { return DeliveredCount; }

  // The category of the enumeration started last (it may have ended since):
  // where a walk that raised was. None before any, or for another pattern.
  std::optional<TCategory> LastCategory() const { return Started; }

  // The entries deleted through this object, in order, for `category`: the
  // category of the enumeration that was running (by its pattern's prefix).
  // A deletion outside an enumeration of a known category is recorded under
  // none and not listed here.
  const std::vector<TReportedEntry> &Deleted(TCategory category) const;

  // IUrlCache
  TCacheEnumHandle FindFirst(const char *pattern, TUrlCacheEntryInfo *buffer,
                             uint32_t *size) override;
  bool FindNext(TCacheEnumHandle handle, TUrlCacheEntryInfo *buffer, uint32_t *size) override;
  uint32_t LastError() const override { return Inner.LastError(); }
  bool Delete(const char *url) override;
  void FindClose(TCacheEnumHandle handle) override;

private:
  void Remember(const TUrlCacheEntryInfo &entry);

  IUrlCache &Inner;
  TDeliveryHook Hook;
  uint64_t DeliveredCount = 0;
  std::optional<TCategory> Running; // the category of the open enumeration
  std::optional<TCategory> Started; // the category of the last one started
  TReportedEntry Last;              // the entry delivered last
  std::vector<TReportedEntry> DeletedEntries[3];
};

// The category whose prefix `pattern` begins with ("http://", "Cookie:" or
// "Visited:", compared exactly); none for any other pattern.
std::optional<TCategory> CategoryOfPattern(const char *pattern);
