#include "UrlIndexKey.h"

#include <algorithm>
#include <bitset>

namespace {

// Whether the 256 bytes at `table` hold every byte value once.
bool IsPermutation(const uint8_t *table) {
  std::bitset<TUrlIndexKeys::kTableSize> seen;
  for (size_t i = 0; i < TUrlIndexKeys::kTableSize; ++i)
    seen.set(table[i]);
  return seen.all();
}

} // namespace

TUrlIndexKeys::TUrlIndexKeys(std::span<const uint8_t> window) {
  std::copy(window.begin(), window.end(), Window.begin());
}

std::optional<TUrlIndexKeys> TUrlIndexKeys::FindIn(std::span<const uint8_t> image) {
  if (image.size() < 2 * kTableSize) return std::nullopt;
  std::optional<size_t> found;
  for (auto at = image.begin() + static_cast<ptrdiff_t>(kTableSize);;) {
    at = std::search(at, image.end(), kTableStart.begin(), kTableStart.end());
    if (image.end() - at < static_cast<ptrdiff_t>(kTableSize)) break; // none, or cut off
    if (IsPermutation(&*at)) {
      if (found) return std::nullopt; // two candidates: which one runs is not known
      found = static_cast<size_t>(at - image.begin());
    }
    ++at;
  }
  if (!found) return std::nullopt;
  return TUrlIndexKeys(image.subspan(*found - kTableSize, 2 * kTableSize));
}

uint32_t TUrlIndexKeys::KeyOf(std::string_view url) const {
  url = url.substr(0, url.find('\0'));
  const int first = url.empty() ? 0 : static_cast<signed char>(url.front());
  std::array<uint8_t, 4> key{};
  for (size_t i = 0; i < key.size(); ++i)
    key[i] = At((first + static_cast<int>(i)) & 0xFF);
  for (size_t n = 1; n < url.size(); ++n) {
    const int c = static_cast<signed char>(url[n]);
    for (uint8_t &k : key)
      k = At(c ^ k);
  }
  return uint32_t{key[0]} | uint32_t{key[1]} << 8 | uint32_t{key[2]} << 16 | uint32_t{key[3]} << 24;
}
