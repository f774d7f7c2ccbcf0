#pragma once
// The key under which Wine's URL cache index files an entry. The index finds
// an entry by this 32-bit key of its URL and never compares the URL, so a key
// tells which URLs the index can address safely (Win32UrlCache.cpp says how).
//
// The key is four bytes over a 256-byte lookup table T: with c the URL's bytes
// read as signed chars, k[i] = T[(c[0] + i) & 0xFF]; then, for each further
// byte, k[i] = T[c ^ k[i]]; the key is k[0] | k[1] << 8 | k[2] << 16 |
// k[3] << 24. A byte of 0x80 and above makes the index negative, so the key
// also reads the 256 bytes before T, which differ between builds of
// wininet.dll: both are taken from the image of the module that runs.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

class TUrlIndexKeys {
public:
  static constexpr size_t kTableSize = 256;
  // The bytes T begins with in every build: what the search looks for.
  static constexpr std::array<uint8_t, 8> kTableStart{0x01, 0x0e, 0x6e, 0x19,
                                                      0x61, 0xae, 0x84, 0x77};
  // The number of low key bits the index keeps for its own flags; a lookup
  // compares only the bits above them.
  static constexpr unsigned kFlagBits = 6;

  // The table found in `image` (the module's mapped image, or any bytes
  // laid out the same): the one place where kTableStart begins 256 bytes that
  // hold every byte value once, with 256 bytes before it inside `image`. None
  // when there is no such place, or more than one.
  static std::optional<TUrlIndexKeys> FindIn(std::span<const uint8_t> image);

  // The key of `url` (its bytes up to the first NUL), as the index computes it.
  uint32_t KeyOf(std::string_view url) const;

  // Whether the index confuses `url` with its free and deleted slots: the
  // key's bits above the flags are all zero.
  bool MatchesFreedSlots(std::string_view url) const { return (KeyOf(url) >> kFlagBits) == 0; }

private:
  explicit TUrlIndexKeys(std::span<const uint8_t> window);
  // Reads T[index] for an index from -256 to 255.
  uint8_t At(int index) const { return Window[static_cast<size_t>(index + int{kTableSize})]; }

  std::array<uint8_t, 2 * kTableSize> Window{}; // the 256 bytes before T, then T
};
