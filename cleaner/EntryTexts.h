#pragma once
// The texts of cache entries (URLs and local file names), copied into a few
// large blocks that never move: views into them stay valid for as long as
// the store lives, and a cache of many thousand entries costs a few dozen
// allocations instead of one or two per entry.
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "UrlCache.h"

class TEntryTexts {
public:
  TEntryTexts() = default;
  TEntryTexts(const TEntryTexts &) = delete;
  TEntryTexts &operator=(const TEntryTexts &) = delete;

  // A copy of `text` ended by a NUL; valid while the store lives.
  const char *Keep(std::string_view text);
  // `entry` with its URL and local file name copied here.
  TCacheEntryView Keep(const TCacheEntryView &entry);

  // The bytes of the blocks allocated so far.
  size_t Bytes() const { return Allocated; }

private:
  static constexpr size_t kBlockSize = 64 * 1024;

  // Room for `needed` bytes that never moves.
  char *Reserve(size_t needed);

  std::vector<std::unique_ptr<char[]>> Blocks;
  char *Free = nullptr; // where the next text goes in the last block
  size_t Left = 0;      // bytes left after Free in the last block
  size_t Allocated = 0;
};

// Whether two views show the same entry: the same URL, the same local file
// (or none for both) and the same size.
bool SameEntry(const TCacheEntryView &a, const TCacheEntryView &b);
