// The fault table: which masks fail, at which 1-based position, which
// fault wins when a mask has two, and the message that carries them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MaskOracle.h"
#include "Masks.h"

namespace {

std::string Repeat(const std::string &piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i)
    text += piece;
  return text;
}

std::string Message(const std::string &mask, size_t position) {
  return "'" + mask + "' is an invalid mask at (" + std::to_string(position) + ")";
}

struct TFaultCase {
  std::string Mask;
  size_t Position; // 0: compiles
};

void CheckFaults(const std::vector<TFaultCase> &table) {
  for (size_t i = 0; i < table.size(); ++i) {
    const TFaultCase &c = table[i];
    SCOPED_TRACE("row " + std::to_string(i) + ": mask '" + c.Mask + "'");
    const std::string expected = c.Position ? Message(c.Mask, c.Position) : "";
    EXPECT_EQ(FaultOf([&] { TMask mask(c.Mask); }), expected);
    EXPECT_EQ(FaultOf([&] { MatchesMask("text", c.Mask); }), expected);
    EXPECT_EQ(FaultOf([&] { TOracleMask mask(c.Mask); }), expected);
  }
}

TEST(MaskFault, SetFaults) {
  CheckFaults({
      {"[", 2},                                   // unterminated: length + 1
      {"[]", 2},                                  // closed without a member: its "]"
      {"[!]", 3},     {"[!-a]", 3},               // "-" as the first member
      {"[-a]", 2},    {"[abc", 5},   {"[a-]", 5}, // the "-" takes the "]" as its upper end
      {"[a-", 4},                                 // a set whose last byte is a "-"
      {"[!", 3},      {"abc[", 5},   {"*[]*", 3}, {"[a]]", 0}, // the second "]" is a literal
      {"[a]-[-]", 6}, {"[a-b-]", 7}, {"[]]", 2},  {"[!!]", 0},
      {"[a-]x]", 0},  {"x[*]y", 0},  {"]", 0},    {"-", 0},
  });
}

TEST(MaskFault, TheCachePatternIsQuotedWhole) {
  EXPECT_EQ(FaultOf([] { MatchesMask("http://a.b/", std::string("http://") + "["); }),
            "'http://[' is an invalid mask at (9)");
  EXPECT_EQ(FaultOf([] { MatchesMask("Cookie:x", "Cookie:[]news"); }),
            "'Cookie:[]news' is an invalid mask at (9)");
}

TEST(MaskFault, StarLimit) {
  const std::string thirty = Repeat("*a", 30);
  CheckFaults({
      {thirty, 0},
      {Repeat("*a", 31), 62},          // the 31st literal's own byte
      {thirty + "*", 62},              // the end-of-mask element: length + 1
      {thirty + "**?*", 65},           // still the end-of-mask element
      {thirty + "*[xy]", 65},          // a set's "]"
      {thirty + "*?", 63},             // "*?" is the star alone: the end is the 31st
      {thirty + "a*", 63},             // no star on the 'a', the end is the 31st
      {Repeat("*a", 29) + "?*b", 0},   // 30 star groups
      {Repeat("**a", 30), 0},          // runs of "*" are one group
      {Repeat("a", 1000) + thirty, 0}, // only starred elements count
      {Repeat("*?", 40), 0},           // one star group: the end
  });
}

TEST(MaskFault, SetFaultsWinOverTheStarLimit) {
  CheckFaults({
      {Repeat("*a", 31) + "[", 64}, // the set fault wins
      {Repeat("*a", 31) + "[]", 64},
      {Repeat("*a", 40) + "[-]", 82},
      {Repeat("*a", 31) + "*[b]x[!]", 70},
      {"[" + Repeat("*a", 31), 64}, // a set that swallows the stars
  });
}

TEST(MaskFault, NoPartialMaskRemains) {
  // Sets allocated before the fault are released (the sanitizer build sees
  // any leak); the exception is the one type the callers catch.
  EXPECT_THROW(TMask(Repeat("*[ab]", 31)), EMaskException);
  EXPECT_THROW(TMask("[a][b][c][d"), EMaskException);
  try {
    TMask("[a][b][]");
    FAIL();
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), Message("[a][b][]", 8));
  }
}

TEST(MaskFault, MasksAndTextsEndAtTheirFirstZeroByte) {
  const std::string mask("ab\0[", 4);
  EXPECT_TRUE(MatchesMask(std::string("AB\0cd", 5), mask));
  EXPECT_EQ(FaultOf([] { TMask m(std::string("[\0]", 3)); }), Message("[", 2));
  EXPECT_TRUE(TMask(static_cast<const char *>(nullptr)).Matches(""));
  EXPECT_FALSE(TMask("?").Matches(static_cast<const char *>(nullptr)));
}

} // namespace
