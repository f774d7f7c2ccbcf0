// The matcher's double-byte rules under code page 932 (Shift JIS: lead
// bytes 0x81-0x9F and 0xE0-0xFC), and the same masks on a single-byte page.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "CodePageGuard.h"
#include "MaskOracle.h"
#include "Masks.h"

namespace {

struct TCase {
  std::string Mask, Text;
  bool Expected;
};

void CheckTable(const std::vector<TCase> &table) {
  for (size_t i = 0; i < table.size(); ++i) {
    const TCase &c = table[i];
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_EQ(TMask(c.Mask, TestLeadBytes()).Matches(c.Text), c.Expected);
    EXPECT_EQ(MatchesMask(c.Text, c.Mask, TestLeadBytes()), c.Expected);
    EXPECT_EQ(TOracleMask(c.Mask).Matches(c.Text), c.Expected);
  }
}

std::string Repeat(const std::string &piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i)
    text += piece;
  return text;
}

TEST(MaskDoubleByte, CharactersCompareExactly) {
  TCodePageGuard cp(932);
  CheckTable({
      {"\x82\xA0", "\x82\xA0", true},
      {"\x82\xA0", "\x82\xA1", false},
      {"\x82\x61", "\x82\x61", true},  // a trail byte 'a' ...
      {"\x82\x61", "\x82\x41", false}, // ... does not fold
      {"x\x82\x61", "X\x82\x61", true},
      {"?", "\x82\xA0", false}, // '?' is one byte, not one character
      {"??", "\x82\xA0", true},
      {"\x82\xA0?", "\x82\xA0\x82", true},
      {"\xE9\x41", "\xE9\x41", true}, // 0xE9 is a lead byte on 932
      {"\xE9\x41", "\xC9\x41", false},
  });
}

TEST(MaskDoubleByte, SingleBytePageReadsTheSameMasksByteByByte) {
  TCodePageGuard cp(1252);
  CheckTable({
      {"\x82\x61", "\x82\x41", true}, // now 'a' is a literal and folds
      {"[\x82]]", "\x82]", true},     // 0x82 is a member, "]" a literal
  });
  EXPECT_EQ(TMask("\x82\xA0", TestLeadBytes()).ElementCount(), 3u);
}

TEST(MaskDoubleByte, StarSearchIsByteByByte) {
  TCodePageGuard cp(932);
  CheckTable({
      {"*\x82\xA0", "abc\x82\xA0", true},
      {"*\x82\xA0", "\x82\xA0\x82\xA0", true},
      // The search finds the pair at any byte, also where a text read by
      // characters would see the second half of one and the first of the
      // next (0x81 0x82 is a character, 0x82 0xA0 another).
      {"*\x82\xA0", "\x81\x82\xA0", true},
      {"*\x82\xA0", "\x82", false},
      {"*\x82\xA0*", "x\x82\xA0y", true},
      {"*\x82\xA0*", "x\x82", false},
      {"*\x82\xA0?", "\x82\xA0\x82\xA0\x82", true},
      {"a*\x82\xA0\x82\xA0", "a\x82\xA0\x82\xA0\x82\xA0", true},
  });
}

TEST(MaskDoubleByte, CharactersInSetsAreNeverMembers) {
  TCodePageGuard cp(932);
  CheckTable({
      {"[\x82\xA0"
       "a]",
       "a", true},
      {"[\x82\xA0"
       "a]",
       "\x82", false},
      {"[\x82\xA0"
       "a]",
       "\xA0", false},
      {"[!\x82\xA0"
       "a]",
       "\x82", true},
      {"[a-\x82]", "z", true}, // a range's upper end is taken whatever it is
      {"[a-\x82]", "\x80", true},
      {"[a-\x82]", "\x83", false},
  });
  struct TFault {
    std::string Mask;
    size_t Position;
  };
  const std::vector<TFault> faults = {
      {"[\x82\xA0]", 4},   // only double-byte characters: its "]"
      {"[\x82]]", 4},      // the trail byte is a "]": skipped with its lead
      {"[\x82\xA0-a]", 4}, // "-" after nothing but characters
      {"[a\x82", 4},       // a set ending in a lead byte: unterminated
      {"[a\x82]", 5},      // the "]" is the trail byte
      {"[!\x82\xA0]", 5},
  };
  for (const TFault &f : faults) {
    SCOPED_TRACE(f.Mask);
    const std::string message =
        "'" + f.Mask + "' is an invalid mask at (" + std::to_string(f.Position) + ")";
    EXPECT_EQ(FaultOf([&] { TMask m(f.Mask, TestLeadBytes()); }), message);
    EXPECT_EQ(FaultOf([&] { TOracleMask m(f.Mask); }), message);
  }
}

// A lead byte as the last byte of a mask, outside a set, has no trail byte:
// it compiles as a literal of itself and compilation stops at the mask's end.
TEST(MaskDoubleByte, LeadByteAtTheEndOfTheMaskIsALiteral) {
  TCodePageGuard cp(932);
  const TMask mask("ab\x82", TestLeadBytes());
  ASSERT_EQ(mask.ElementCount(), 4u);
  EXPECT_EQ(mask.Element(2).Kind, mekLiteral);
  EXPECT_EQ(mask.Element(2).Literal, 0x82);
  EXPECT_EQ(mask.Element(3).Kind, mekLiteral);
  EXPECT_EQ(mask.Element(3).Literal, 0);
  CheckTable({
      {"ab\x82", "ab\x82", true},
      {"ab\x82", "AB\x82", true},
      {"ab\x82", "ab", false},
      {"ab\x82", "ab\x82\xA0", false},
      {"*\x82", "xyz\x82", true},
      {"*\x82", "\x82\xA0", false},
      {"\x82", "\x82", true},
      {"[a]\x82", "a\x82", true},
  });
  // Buffers that end right after the zero byte, so that the sanitizer build
  // sees any read past the end of the mask or of the text.
  const auto exact = [](const char *bytes) {
    const size_t size = std::strlen(bytes) + 1;
    auto buffer = std::make_unique<char[]>(size);
    std::memcpy(buffer.get(), bytes, size);
    return buffer;
  };
  for (const char *bytes : {"\xE0", "*\xE0", "a\x82", "[a]\x82", "?\x82"}) {
    SCOPED_TRACE(bytes);
    const auto maskBuffer = exact(bytes);
    const auto textBuffer = exact("a\xE0");
    const bool expected = *TOracleMask(maskBuffer.get()).Matches(textBuffer.get());
    EXPECT_EQ(TMask(maskBuffer.get(), TestLeadBytes()).Matches(textBuffer.get()), expected);
    EXPECT_EQ(MatchesMask(textBuffer.get(), maskBuffer.get(), TestLeadBytes()), expected);
  }
}

TEST(MaskDoubleByte, StarLimitPositionIsTheSecondByte) {
  TCodePageGuard cp(932);
  const std::string thirty = Repeat("*a", 30);
  for (const auto &[mask, position] : std::vector<std::pair<std::string, size_t>>{
           {thirty + "*\x82\xA0", 63}, {thirty + "*\x82", 62}, {thirty + "\x82\xA0*", 64}}) {
    const std::string message =
        "'" + mask + "' is an invalid mask at (" + std::to_string(position) + ")";
    EXPECT_EQ(FaultOf([&] { TMask m(mask, TestLeadBytes()); }), message);
    EXPECT_EQ(FaultOf([&] { TOracleMask m(mask); }), message);
  }
}

TEST(MaskDoubleByte, ElementsHoldTheBytesAsWritten) {
  TCodePageGuard cp(932);
  const TMask mask("*\x82\x61[!x]?", TestLeadBytes());
  ASSERT_EQ(mask.ElementCount(), 4u);
  EXPECT_TRUE(mask.Element(0).Star);
  EXPECT_EQ(mask.Element(0).Kind, mekDoubleByte);
  EXPECT_EQ(mask.Element(0).Lead, 0x82);
  EXPECT_EQ(mask.Element(0).Trail, 0x61);
  EXPECT_EQ(mask.Element(1).Kind, mekSet);
  EXPECT_TRUE(mask.Element(1).Negated);
  ASSERT_TRUE(mask.Element(1).Members);
  EXPECT_EQ(mask.Element(1).Members->count(), 1u);
  EXPECT_TRUE(mask.Element(1).Members->test('X'));
  EXPECT_EQ(mask.Element(2).Kind, mekAny);
  EXPECT_FALSE(mask.Element(3).Star);
}

TEST(MaskDoubleByte, OtherDoubleBytePagesAndTheGuard) {
  {
    TCodePageGuard cp(936); // GBK: 0x81-0xFE lead
    CheckTable({{"\xFE\x40", "\xFE\x40", true}, {"\xFE\x61", "\xFE\x41", false}});
    {
      TCodePageGuard inner(1252);
      EXPECT_TRUE(MatchesMask("\xFE\x41", "\xFE\x61", TestLeadBytes()));
    }
    EXPECT_FALSE(MatchesMask("\xFE\x41", "\xFE\x61", TestLeadBytes())); // restored to 936
  }
  EXPECT_TRUE(TestLeadBytes().none());
}

} // namespace
