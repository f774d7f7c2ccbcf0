#pragma once
// The entries of the URL cache as one enumeration per category met them,
// kept in memory so that the dialog's lists are filled by matching instead of
// walking the platform's cache on every keystroke.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Platform.h"

class TCacheSnapshot {
public:
  // Asked between entries; true ends a read early.
  using TCancelled = std::function<bool()>;

  // An empty snapshot: no category read yet.
  TCacheSnapshot() = default;

  // Reads `category`'s enumeration whole, replacing what was kept of it.
  // Returns false, keeping nothing of the category, when `cancelled` said
  // so before the enumeration ended.
  bool Read(IUrlCache &cache, TCategory category, const TCancelled &cancelled = {});

  // Whether `category` has been read.
  bool HasRead(TCategory category) const { return Categories[Index(category)].Read; }

  // Calls `visit` for every kept entry of `pattern`'s category that passes
  // the category filter and matches `pattern` (compiled once, in the code
  // page of `leadBytes`), in enumeration order: what a walk of an unchanged
  // cache visits. A malformed pattern raises EMaskException exactly when a
  // walk would: when at least one entry reaches the match.
  void Select(const std::string &pattern, const TLeadByteSet &leadBytes,
              const std::function<void(const TCacheEntryView &)> &visit) const;

  // Whether both hold the same entries, in the same order, for `category`.
  bool SameAs(const TCacheSnapshot &other, TCategory category) const;

  // How many entries are kept of `category`.
  size_t Count(TCategory category) const { return Categories[Index(category)].Entries.size(); }

private:
  struct TEntry {
    std::string Url;
    std::optional<std::string> LocalFileName;
    uint64_t Size = 0;
    bool operator==(const TEntry &) const = default;
  };
  struct TCategoryEntries {
    bool Read = false;
    std::vector<TEntry> Entries;
  };

  static size_t Index(TCategory category) { return static_cast<size_t>(category); }

  std::array<TCategoryEntries, 3> Categories;
};
