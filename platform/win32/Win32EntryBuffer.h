#pragma once
// A buffer for the platform's variable-length URL cache records.
#include <algorithm>
#include <cstddef>
#include <memory>

#include "Win32Api.h"

// One record buffer, reused from call to call: it grows to the largest
// record the platform asks for, so that a record usually costs one call.
class TEntryBuffer {
public:
  explicit TEntryBuffer(DWORD initialSize = kInitialSize) { Reserve(initialSize); }

  INTERNET_CACHE_ENTRY_INFOA *Data() const {
    return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(Storage.get());
  }
  DWORD Capacity() const { return Bytes; }

  // Makes room for at least `size` bytes; the contents are not kept.
  void Reserve(DWORD size) {
    if (size <= Bytes) return;
    const DWORD grown = std::max<DWORD>(size, Bytes * 2);
    const size_t words = (grown + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    Storage = std::make_unique<std::max_align_t[]>(words);
    Bytes = grown;
  }

  // Most records fit this; a larger one grows the buffer once.
  static constexpr DWORD kInitialSize = 4096;

private:
  std::unique_ptr<std::max_align_t[]> Storage;
  DWORD Bytes = 0;
};
