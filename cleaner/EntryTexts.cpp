#include "EntryTexts.h"

#include <cstring>

const char *TEntryTexts::Keep(std::string_view text) {
  char *start = Reserve(text.size() + 1);
  if (!text.empty()) std::memcpy(start, text.data(), text.size());
  start[text.size()] = '\0';
  return start;
}

char *TEntryTexts::Reserve(size_t needed) {
  if (needed <= Left) {
    char *start = Free;
    Free += needed;
    Left -= needed;
    return start;
  }
  // A text longer than a block gets a block of its own; the rest of the
  // current block then stays in use for the texts after it.
  const size_t size = needed > kBlockSize ? needed : kBlockSize;
  Blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
  Allocated += size;
  char *start = Blocks.back().get();
  if (size == kBlockSize) {
    Free = start + needed;
    Left = size - needed;
  }
  return start;
}

TCacheEntryView TEntryTexts::Keep(const TCacheEntryView &entry) {
  const char *url = Keep(std::string_view(entry.Url));
  const char *file = entry.LocalFileName ? Keep(std::string_view(entry.LocalFileName)) : nullptr;
  return {url, file, entry.Size};
}

bool SameEntry(const TCacheEntryView &a, const TCacheEntryView &b) {
  if (a.Size != b.Size) return false;
  if ((a.LocalFileName == nullptr) != (b.LocalFileName == nullptr)) return false;
  if (a.Url != b.Url && std::strcmp(a.Url, b.Url) != 0) return false;
  return a.LocalFileName == b.LocalFileName || std::strcmp(a.LocalFileName, b.LocalFileName) == 0;
}
