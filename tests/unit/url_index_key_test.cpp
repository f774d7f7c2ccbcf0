// Finding the index key's table in a module image, and what the key reads:
// an ASCII URL only the table, a URL with bytes of 0x80 and above the bytes
// before it too (the running wininet.dll is measured in the Wine tests).
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "SeededRandom.h"
#include "UrlIndexKey.h"

namespace {

// A permutation of 0-255 that begins as the key's table does.
std::vector<uint8_t> Table() {
  std::vector<uint8_t> table(TUrlIndexKeys::kTableStart.begin(), TUrlIndexKeys::kTableStart.end());
  for (unsigned value = 0; value < 256; ++value)
    if (std::find(table.begin(), table.end(), value) == table.end())
      table.push_back(static_cast<uint8_t>(value));
  return table;
}

// `size` random bytes with the table planted at each of `at`.
std::vector<uint8_t> Image(size_t size, std::vector<size_t> at, uint64_t seed = 1) {
  TSeededRandom random(seed);
  std::vector<uint8_t> image(size);
  for (uint8_t &byte : image)
    byte = static_cast<uint8_t>(random.Below(256));
  const std::vector<uint8_t> table = Table();
  for (size_t offset : at)
    std::copy(table.begin(), table.end(), image.begin() + static_cast<ptrdiff_t>(offset));
  return image;
}

TEST(UrlIndexKeys, FoundOnlyWhereOneWholeTableStands) {
  std::vector<uint8_t> notPermutation = Image(4096, {});
  std::copy(TUrlIndexKeys::kTableStart.begin(), TUrlIndexKeys::kTableStart.end(),
            notPermutation.begin() + 1000); // the first bytes alone
  std::vector<uint8_t> decoyAndTable = notPermutation;
  const std::vector<uint8_t> table = Table();
  std::copy(table.begin(), table.end(), decoyAndTable.begin() + 2000);
  const struct {
    const char *Name;
    std::vector<uint8_t> Image;
    bool Found;
  } cases[] = {
      {"one table", Image(4096, {1024}), true},
      {"exactly 256 bytes before it", Image(4096, {256}), true},
      {"ending the image", Image(4096, {4096 - 256}), true},
      {"no table", Image(4096, {}), false},
      {"two tables", Image(4096, {512, 2048}), false},
      {"fewer than 256 bytes before it", Image(4096, {255}), false},
      {"its first bytes without the rest", notPermutation, false},
      {"a decoy and a table", decoyAndTable, true},
      {"an image too small", Image(300, {}), false},
      {"no image", {}, false},
  };
  for (const auto &c : cases)
    EXPECT_EQ(TUrlIndexKeys::FindIn(c.Image).has_value(), c.Found) << c.Name;
}

TEST(UrlIndexKeys, HighBytesReadTheBytesBeforeTheTable) {
  const std::vector<uint8_t> first = Image(4096, {1024}, 1), second = Image(4096, {1024}, 2);
  const auto a = TUrlIndexKeys::FindIn(first), b = TUrlIndexKeys::FindIn(second);
  ASSERT_TRUE(a && b);
  for (const char *ascii : {"http://www.example.com/", "Cookie:john@example.com/", "", "x"})
    EXPECT_EQ(a->KeyOf(ascii), b->KeyOf(ascii)) << ascii;
  size_t differ = 0;
  for (const char *high : {"http://www.example.com/caf\xE9", "Cookie:j\xFCrgen@a.com/",
                           "Visited: \xC5sa@http://a.com/", "\x80", "a\xFF"})
    differ += a->KeyOf(high) != b->KeyOf(high);
  EXPECT_GE(differ, 4u);
  // The key ends at the first NUL, as the index reads a C string.
  EXPECT_EQ(a->KeyOf(std::string_view("abc\0def", 7)), a->KeyOf("abc"));
  EXPECT_EQ(a->MatchesFreedSlots("abc"), (a->KeyOf("abc") >> TUrlIndexKeys::kFlagBits) == 0);
}

} // namespace
