#pragma once
// The wipe of deleted traces: what a clean's deletes leave readable (the
// index records the platform only marks free, the bytes of deleted files) is
// overwritten through a wipe the platform supplies. OS-neutral: how the
// platform covers its records and files stays inside its implementation.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "UrlCache.h"

// Why a deleted entry's local file was deleted by name only, its bytes left.
enum class TFileKeep {
  Outside,  // the path lies outside the cache's folder
  Linked,   // the file has a second name (link count above 1)
  Reparse,  // the path is a reparse point (a link to something else)
  Unopened, // the file could not be opened for writing (in use, gone, refused)
  Failed,   // a write or the flush failed part-way
  Count
};

// The reason as the command line prints it ("outside the cache's folder").
const char *ReasonText(TFileKeep reason);
// The reason's word in JSON ("outside", "linked", ...).
const char *ReasonKey(TFileKeep reason);

// What the wipe did for the deletes of one category.
struct TWipeTotals {
  uint64_t Records = 0;         // deleted records covered by a neutral entry
  uint64_t RecordsTooSmall = 0; // deleted records smaller than any neutral entry
  uint64_t RecordsFailed = 0;   // deleted records whose neutral entry the platform refused
  uint64_t Files = 0;           // local files overwritten before the delete
  uint64_t Bytes = 0;           // bytes overwritten in them
  std::array<uint64_t, static_cast<size_t>(TFileKeep::Count)> FilesKept{};

  uint64_t FilesKeptCount() const;
  bool operator==(const TWipeTotals &) const = default;
};

// One clean's wipe. Deletes made through Cache() overwrite what they leave
// behind. Destroying the wipe removes every neutral entry it still holds,
// on every path, so that none outlives the clean.
class ITraceWipe {
public:
  virtual ~ITraceWipe() = default;

  // The cache to delete through: the platform's, each delete wiping.
  virtual IUrlCache &Cache() = 0;
  // Removes the neutral entries still held and returns what was wiped in
  // each category, in kAllCategories' order.
  virtual std::array<TWipeTotals, 3> Finish() = 0;
  // Neutral entries an earlier clean left (it died half-way), removed when
  // this wipe began.
  virtual uint64_t LeftoversRemoved() const = 0;
};

// The host every neutral entry names; reserved, so no site's entry has it.
inline constexpr const char *kNeutralHost = "nv-wipe.invalid";
