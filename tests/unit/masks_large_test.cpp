// Long masks and long texts: a mask of 1 MiB compiles and matches, and the
// masks on which a backtracking search takes exponential time still get their
// answer (a test never fails on a time, but these would not finish).
#include <gtest/gtest.h>

#include <string>

#include "MaskOracle.h"
#include "Masks.h"

namespace {

constexpr size_t MiB = 1 << 20;

std::string Repeat(const std::string &piece, size_t times) {
  std::string text;
  text.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i)
    text += piece;
  return text;
}

TEST(MaskLarge, OneMebibyteMaskCompilesAndMatches) {
  // Literals, sets and '?' mixed, one star group in the middle.
  const std::string unit = "ab[x-z]?c-]!.";
  std::string mask =
      Repeat(unit, MiB / unit.size() / 2) + "*" + Repeat(unit, MiB / unit.size() / 2);
  ASSERT_GE(mask.size(), MiB - 2 * unit.size());
  const TMask compiled(mask);
  EXPECT_EQ(compiled.ElementCount(), 9 * (MiB / unit.size() / 2) * 2 + 1);

  const std::string piece = "AbYqc-]!.";
  const std::string half = Repeat(piece, MiB / unit.size() / 2);
  EXPECT_TRUE(compiled.Matches(half + half));
  EXPECT_TRUE(compiled.Matches(half + "anything in between" + half));
  EXPECT_FALSE(compiled.Matches(half + half.substr(1)));
  std::string wrong = half + half;
  wrong[wrong.size() / 2 + 2] = 'w'; // outside [x-z] in the second half
  EXPECT_FALSE(compiled.Matches(wrong));
  EXPECT_TRUE(MatchesMask(half + half, mask));
}

TEST(MaskLarge, OneMebibyteMaskOfSetsAndStars) {
  std::string mask = Repeat("[a-c]", MiB / 5);
  mask += "*";
  const TMask compiled(mask);
  EXPECT_TRUE(compiled.Matches(Repeat("b", MiB / 5) + "tail"));
  EXPECT_FALSE(compiled.Matches(Repeat("b", MiB / 5 - 1)));
  // A mask that is 1 MiB of '?': exactly that many bytes.
  const std::string any = Repeat("?", MiB);
  EXPECT_TRUE(MatchesMask(Repeat("x", MiB), any));
  EXPECT_FALSE(MatchesMask(Repeat("x", MiB - 1), any));
  EXPECT_FALSE(MatchesMask(Repeat("x", MiB + 1), any));
}

TEST(MaskLarge, ThirtyStarGroupsAgainstLongTexts) {
  const std::string worst = Repeat("*a", 29) + "*b";
  for (size_t size : {size_t(1024), size_t(64 * 1024), MiB}) {
    SCOPED_TRACE(size);
    const std::string text(size, 'a');
    EXPECT_FALSE(MatchesMask(text, worst));
    EXPECT_TRUE(MatchesMask(text + "b", worst));
    EXPECT_TRUE(MatchesMask(text, Repeat("*a", 30)));
    EXPECT_FALSE(MatchesMask(text, Repeat("*a", 28) + "*b*"));
    EXPECT_TRUE(MatchesMask(text + "b" + text, Repeat("*a", 28) + "*b*"));
    EXPECT_FALSE(MatchesMask(text, "m" + Repeat("*i", 29)));
    EXPECT_FALSE(MatchesMask(text, Repeat("*aaaaaaab", 29)));
  }
  // The oracle agrees where it finishes, and gives up on the rest.
  EXPECT_FALSE(*TOracleMask(worst).Matches(std::string(16, 'a')));
  EXPECT_FALSE(TOracleMask(worst).Matches(std::string(1024, 'a'), 1000000).has_value());
}

} // namespace
