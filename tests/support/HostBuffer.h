#pragma once
// A host's text buffer for driving the working exports: pre-filled with a
// canary byte so a test sees exactly what the plug-in wrote.
#include <cstddef>
#include <string>
#include <vector>

class THostBuffer {
public:
  static constexpr char kCanary = '\x5A';

  explicit THostBuffer(size_t size = 4096) : Bytes(size, kCanary), Pointer(Bytes.data()) {}

  // The host's variable that holds the buffer's address; pass its address.
  char **Variable() { return &Pointer; }
  bool PointerIntact() const { return Pointer == Bytes.data(); }

  // Nothing at all was written.
  bool Untouched() const {
    for (char c : Bytes)
      if (c != kCanary) return false;
    return true;
  }

  // The text up to the first NUL (the whole buffer when there is none).
  std::string Text() const { return std::string(Bytes.data(), TextLength()); }

  // Every byte after the text's NUL still holds the canary.
  bool IntactAfterText() const {
    for (size_t i = TextLength() + 1; i < Bytes.size(); ++i)
      if (Bytes[i] != kCanary) return false;
    return true;
  }

private:
  size_t TextLength() const {
    size_t n = 0;
    while (n < Bytes.size() && Bytes[n] != '\0')
      ++n;
    return n;
  }

  std::vector<char> Bytes;
  char *Pointer;
};
