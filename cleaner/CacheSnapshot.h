#pragma once
// The entries of the URL cache as one enumeration per category met them,
// kept in memory so that the dialog's lists are filled by matching instead of
// walking the platform's cache on every keystroke. Each text is kept once:
// in blocks (TEntryTexts) that the snapshots taken from one read share, and
// that a later read shares for every entry it meets unchanged.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CacheListing.h"
#include "CacheWalk.h"
#include "EntryTexts.h"
#include "Platform.h"

class TCacheSnapshot {
public:
  // Asked between entries; true ends a read early.
  using TCancelled = std::function<bool()>;

  // An empty snapshot: no category read yet.
  TCacheSnapshot() = default;
  // Snapshots are moved, or copied by Only: two that wrote into one store
  // of texts would race.
  TCacheSnapshot(const TCacheSnapshot &) = delete;
  TCacheSnapshot &operator=(const TCacheSnapshot &) = delete;
  TCacheSnapshot(TCacheSnapshot &&) = default;
  TCacheSnapshot &operator=(TCacheSnapshot &&) = default;

  // Reads `category`'s enumeration whole, replacing what was kept of it.
  // Returns false, keeping what was kept before, when `cancelled` said so
  // before the enumeration ended. An entry that `earlier` kept of the same
  // category, met again in the same order, shares its texts instead of
  // copying them.
  bool Read(IUrlCache &cache, TCategory category, const TCancelled &cancelled = {},
            const TCacheSnapshot *earlier = nullptr);
  // The same, from an enumeration of `category` already started.
  bool Read(IUrlEnumeration &enumeration, TCategory category, const TCancelled &cancelled = {},
            const TCacheSnapshot *earlier = nullptr);

  // Reads the content's enumeration `content` whole as the content
  // category's entries and, for each category of `alongside` (which the
  // platform lists with the content: IUrlCache::EnumerateSeparately), its
  // entries among them as that category's, replacing what was kept of all
  // of them. `passed` hears of a category of `alongside` the first time the
  // enumeration moves from one of its entries to another category's; the
  // category counts as read from then on (the platform lists a container's
  // entries together), and an entry of it met later is still kept. Returns
  // false when `cancelled` said so before the enumeration ended; what is
  // kept is then incomplete. An entry that `earlier` kept of the content,
  // met again in the same order, shares its texts.
  bool ReadWithContent(IUrlEnumeration &content, const std::vector<TCategory> &alongside,
                       const TCancelled &cancelled = {},
                       const std::function<void(TCategory)> &passed = {},
                       const TCacheSnapshot *earlier = nullptr);

  // Keeps `entry` after what is kept of `category`, which counts as read.
  void Append(TCategory category, const TCacheEntryView &entry);

  // A snapshot holding only what this one keeps of `category`, sharing its
  // texts: the entries copied, or moved out of a snapshot that is done with.
  TCacheSnapshot Only(TCategory category) const &;
  TCacheSnapshot Only(TCategory category) &&;

  // Whether `category` has been read.
  bool HasRead(TCategory category) const { return Categories[Index(category)].Read; }

  // Calls `visit` for every kept entry of `pattern`'s category that passes
  // the category filter and matches `pattern` (compiled once, in the code
  // page of `leadBytes`), in enumeration order: what a walk of an unchanged
  // cache visits. A malformed pattern raises EMaskException exactly when a
  // walk would: when at least one entry reaches the match.
  void Select(const std::string &pattern, const TLeadByteSet &leadBytes,
              const std::function<void(const TCacheEntryView &)> &visit) const;
  // The same with a selector made for a walk of its pattern.
  void Select(TEntrySelector &selector,
              const std::function<void(const TCacheEntryView &)> &visit) const;

  // Calls `visit` for every kept entry of `category`, in enumeration order.
  void Each(TCategory category, const std::function<void(const TCacheEntryView &)> &visit) const;

  // Whether both hold the same entries, in the same order, for `category`.
  bool SameAs(const TCacheSnapshot &other, TCategory category) const;

  // How many entries are kept of `category`.
  size_t Count(TCategory category) const { return Categories[Index(category)].Entries.size(); }

  // The bytes of the text blocks this snapshot's entries point into.
  size_t TextBytes() const;

private:
  struct TCategoryEntries {
    bool Read = false;
    std::vector<TCacheEntryView> Entries; // into Texts and SharedTexts
  };
  class TEarlierEntries;

  static size_t Index(TCategory category) { return static_cast<size_t>(category); }

  // The store this snapshot's reads copy texts into, made when first needed.
  TEntryTexts &OwnTexts();
  // `entry` as kept: `earlier`'s view of it when it has one, a copy otherwise.
  TCacheEntryView Keep(const TCacheEntryView &entry, TEarlierEntries &earlier);
  // Shares every store of texts `other` points into.
  void ShareTextsOf(const TCacheSnapshot &other);

  std::array<TCategoryEntries, 3> Categories;
  std::shared_ptr<TEntryTexts> Texts;
  // The stores of the snapshots whose entries this one shares. A later read
  // shares them in turn, so they live as long as one of their entries is in
  // the cache as read (or was, while the dialog stays open: what a running
  // browser changed meanwhile).
  std::vector<std::shared_ptr<const TEntryTexts>> SharedTexts;
};

// One snapshot per category, each holding that category only; null for a
// category not read.
using TCategorySnapshots = std::array<std::shared_ptr<const TCacheSnapshot>, 3>;

// What a read of the cache hands over: a category's entries, whole.
using TCategoryRead = std::function<void(TCategory, TCacheSnapshot)>;

// Reads `categories` of `cache` as the platform lists them, in kReadOrder,
// and hands each one's snapshot (holding it alone) to `read` once it is
// whole, each as the platform's container rule lists it (CacheListing.h).
// `early`, when set, is handed
// such a category as soon as the content's enumeration has passed it (the
// dialog fills its small lists then); `read` still hands it over at the end.
// Returns false when `cancelled` said so; what was handed over stands.
// An entry of a category that `earlier` holds (the snapshots a read handed
// over before), met again in the same order, shares its texts.
bool ReadCategories(IUrlCache &cache, const std::vector<TCategory> &categories,
                    const TCategoryRead &read, const TCacheSnapshot::TCancelled &cancelled = {},
                    const TCategoryRead &early = {}, const TCategorySnapshots *earlier = nullptr);
