#pragma once
// Test-only: a URL cache that is a plain list of entries in memory,
// enumerated in insertion order, with faults per entry so that tests can make
// the platform misbehave on purpose. The cookie and history categories list their own
// entries (URLs beginning "Cookie:" and "Visited:"); the http category lists
// every entry, as Wine does, or only the others, as Windows documents.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "UrlCache.h"

class TMemoryUrlCache : public IUrlCache {
public:
  // How the cookie and history containers are listed.
  enum class TListing {
    WithContent, // as Wine: with the content entries, and never apart from them
    Apart,       // as Windows documents: apart, and not with the content
  };

  explicit TMemoryUrlCache(TListing listing = TListing::WithContent) : Listing(listing) {}

  // How many times each service call was made.
  struct TCallCounts {
    uint64_t Enumerate = 0, Next = 0, Delete = 0;
    uint64_t Total() const { return Enumerate + Next + Delete; }
  };

  // Adds an entry at the end of the enumeration order; no local file name
  // for an entry without a file. Adding a URL that is present replaces its
  // file and size in place.
  void Add(const std::string &url, std::optional<std::string> localFileName, uint64_t size);

  // Whether an entry with this URL is present.
  bool Contains(const std::string &url) const;
  // The URLs present, in enumeration order.
  std::vector<std::string> Urls() const;
  // Every deleted entry comes back in its old place (benchmarks restore the
  // cache between runs this way).
  void RestoreDeleted();

  // --- Faults, per entry.
  // Deleting this URL answers `result` and leaves the entry.
  void FailDeleteOf(const std::string &url, TDeleteResult result = TDeleteResult::InUse);
  // Enumerations pass over this entry, as when the platform fails to
  // deliver it.
  void HideFromEnumerations(const std::string &url);
  // Called with each entry's URL after it is delivered, while the
  // enumeration is open; it may Add and Delete entries.
  void OnDelivered(std::function<void(const std::string &url)> hook);

  // --- Observation.
  const TCallCounts &Calls() const { return Counts; }
  // Enumerations started and not yet released.
  size_t OpenEnumerations() const { return Open; }

  // IUrlCache
  std::unique_ptr<IUrlEnumeration> Enumerate(TCategory category) override;
  // Null for the cookie and history categories listed with the content (it
  // counts as an enumeration started, as the platform's attempt does).
  std::unique_ptr<IUrlEnumeration> EnumerateSeparately(TCategory category) override;
  // Failed for a URL that is not present; NotAddressable when the present
  // entry's local file is not the view's (the entry was replaced since it
  // was walked), as the platform answers.
  TDeleteResult Delete(const TCacheEntryView &entry) override;

private:
  struct TEntry {
    std::string Url;
    std::optional<std::string> LocalFileName;
    uint64_t Size = 0;
    bool Deleted = false;
    bool Hidden = false;
    TDeleteResult DeleteAnswer = TDeleteResult::Deleted;
  };
  class TEnumeration;

  TEntry *Find(const std::string &url);
  // Whether an enumeration of `category` lists the entry with this URL.
  bool Lists(TCategory category, const std::string &url) const;

  const TListing Listing;
  std::vector<TEntry> Entries;
  std::unordered_map<std::string, size_t> IndexOfUrl; // of the live entry
  std::function<void(const std::string &)> DeliveredHook;
  size_t Open = 0;
  TCallCounts Counts;
};
