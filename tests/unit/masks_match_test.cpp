// The matcher's edge cases as tables: what matches and what does not, each row
// checked on a compiled TMask, on MatchesMask and on the oracle (which also
// checks the table against the literal search).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CodePageGuard.h"
#include "MaskOracle.h"
#include "Masks.h"

namespace {

struct TMatchCase {
  const char *Mask;
  const char *Text;
  bool Expected;
};

void CheckTable(const std::vector<TMatchCase> &table) {
  for (size_t i = 0; i < table.size(); ++i) {
    const TMatchCase &c = table[i];
    SCOPED_TRACE("row " + std::to_string(i) + ": mask '" + c.Mask + "', text '" + c.Text + "'");
    EXPECT_EQ(TMask(c.Mask, TestLeadBytes()).Matches(c.Text), c.Expected);
    EXPECT_EQ(MatchesMask(c.Text, c.Mask, TestLeadBytes()), c.Expected);
    EXPECT_EQ(MatchesMask(std::string(c.Text), std::string(c.Mask), TestLeadBytes()), c.Expected);
    EXPECT_EQ(TOracleMask(c.Mask).Matches(c.Text), c.Expected);
  }
}

TEST(MaskMatch, EmptyMaskStarsAndQuestionMarks) {
  CheckTable({
      {"", "", true},        {"", "a", false},
      {"*", "", true},       {"*", "anything at all", true},
      {"**", "", true},      {"**", "xyz", true},
      {"*?", "", true}, // the '?' after '*' is dropped
      {"*?", "abc", true},   {"?", "", false},
      {"?", "a", true},      {"?", "ab", false},
      {"??", "ab", true},    {"a??", "ab", false},
      {"a??", "abc", true},  {"a*?b", "ab", true},
      {"a*??b", "ab", true}, // '?' after a dropped '?' is dropped as well
      {"a?*b", "ab", false}, {"a?*b", "axb", true},
      {"*a", "", false},     {"a*", "a", true},
      {"a*", "ba", false},
  });
}

TEST(MaskMatch, LiteralsAndAsciiCase) {
  CheckTable({
      {"Cookie:*.*", "Cookie:abc/", false},
      {"Cookie:*.*", "Cookie:john@example.com/", true},
      {"http://*.*", "HTTP://A.B/", true},
      {"http://*.*", "http://localhost/", false},
      {"http://*.*", "https://a.b/", false},
      {"a*C", "ABC", true},
      {"abc", "ABC", true},
      {"ABC", "abc", true},
      {"abc", "abcd", false},
      {"abc", "ab", false},
      {"\xE9", "\xE9", true},  // bytes above 0x7F compare exactly
      {"\xE9", "\xC9", false}, // no locale folding
      {"\xC9", "\xE9", false},
      {"@", "`", false},    // neighbours of the letters do not fold
      {"]-!", "]-!", true}, // outside a set these are ordinary
      {"x]", "x]", true},
  });
}

TEST(MaskMatch, SetsAndRanges) {
  CheckTable({
      {"[0-z]", "5", true},    {"[0-z]", "@", true},
      {"[0-z]", "q", true},    {"[0-z]", "Q", true},
      {"[0-z]", "_", false},   {"[0-z]", "[", false},
      {"[0-z]", "`", false},   {"[a-c-e]", "d", true}, // the second range starts at 'A' as well
      {"[a-c-e]", "f", false}, {"[a-]x]", "]", true},
      {"[a-]x]", "b", true},   {"[a-]x]", "X", true},
      {"[a-]x]", "^", false},  {"[c-a]", "c", true}, // a range below its start adds nothing
      {"[c-a]", "b", false},   {"x[*]y", "x*y", true},
      {"x[*]y", "xay", false}, {"x[?]y", "xay", false},
      {"x[?]y", "x?y", true},  {"[[]", "[", true},
  });
}

TEST(MaskMatch, NegatedSets) {
  CheckTable({
      {"[!!]", "!", false},
      {"[!!]", "a", true},
      {"[a!]", "!", true},
      {"[!a]", "", false},
      {"[!a]", "b", true},
      {"[!a]", "A", false},
      {"[!b]", "B", false},
      {"*[!a]", "aaa", false},
      {"*[!a]", "aab", true},
      {"[!a-c]", "d", true},
      {"[!a-c]", "C", false},
  });
}

TEST(MaskMatch, StarsThatNeedBacktracking) {
  CheckTable({
      {"*ab?", "abcabd", true},
      {"*ab?", "abcab", false},
      {"m*i*i*i*i", "mississippi", true},
      {"m*i*i*i*i*i", "mississippi", false},
      {"*a*b", "aaab", true},
      {"*a*b", "aaaa", false},
      {"*aab", "aaaab", true},
      {"a*a", "a", false},
      {"a*a", "aa", true},
      {"*.gif", "http://x.com/a.gif", true},
      {"*.gif", "http://x.com/a.gif?x", false},
      {"*.gif*", "http://x.com/a.gif?x", true},
      {"http://*.example.com/*", "http://www.example.com/index.html", true},
      {"http://*.example.com/*", "http://example.com/index.html", false},
      {"*x*y*z", "zyxxyz", true},
  });
}

// A starred piece is found by scanning for two of its literals many bytes a
// step: rows where the piece stands past the first block of sixteen, at the
// very end, folded in case (first and last letters of the alphabet), next to
// bytes that differ from a letter only in the case bit, and with sets, "?"
// and bytes above 0x7F inside.
TEST(MaskMatch, StarredPiecesInLongTexts) {
  const std::string pad = "0123456789-_0123456789-_0123456789"; // 34 bytes
  const std::string rows[][3] = {
      {"*az*", pad + "AZ", "1"},
      {"*AZ*", pad + "az", "1"},
      {"*za*", pad + "zA" + pad, "1"},
      {"*zz*", pad + "z", "0"},
      {"*zz*", pad + "z_z", "0"},
      {"*news*", pad + "NeWs", "1"},
      {"*news*", pad + "NeW", "0"},
      {"*news*x", pad + "news" + pad + "x", "1"},
      {"*news*x", pad + "newsx", "1"},
      {"*news*x", pad + "newx", "0"},
      {"*@a*", pad + "`a" + pad, "0"},
      {"*`a*", pad + "@A" + pad, "0"},
      {"*^~*", pad + "~^" + pad, "0"},
      {"*^~*", pad + "^~" + pad, "1"},
      {"*\xC9x*", pad + "\xE9x" + pad, "0"},
      {"*\xC9x*", pad + "\xE9X\xC9X", "1"},
      {"*\xE9\xE9*", pad + "\xC9\xC9", "0"},
      {"*q=?[a-c]*", pad + "Q=.B", "1"},
      {"*q=?[a-c]*", pad + "q=.d" + pad, "0"},
      {"*?[!x]q=*", pad + "xyq=", "1"},
      {"*?[!x]q=*", pad + "yxq=" + pad, "0"},
      {"*[a-c]?[!x]*", pad, "0"},
      {"*[a-c]?[!x]*", pad + "c x", "0"},
      {"*[a-c]?[!x]*", pad + "c y", "1"},
      {"*.co.uk/*", "http://www.cloud" + pad + ".com/.co.uk", "0"},
      {"*.co.uk/*", "http://www.cloud" + pad + ".com/.CO.UK/", "1"},
      {"*ab*cd", pad + "abcd", "1"},
      {"*ab*cd", pad + "acd", "0"},
      {"*ab*ab*", pad + "aba", "0"},
      {"*ab*ab*", pad + "abab", "1"},
      {"*s*q*", pad + pad + "s" + pad + "Q", "1"},
  };
  std::vector<TMatchCase> table;
  for (const auto &row : rows)
    table.push_back({row[0].c_str(), row[1].c_str(), row[2] == "1"});
  CheckTable(table);
}

TEST(MaskMatch, StarredPiecesWithDoubleByteCharacters) {
  TCodePageGuard cp(932);
  const std::string pad = "0123456789-_0123456789-_"; // 24 bytes
  const std::string rows[][3] = {
      {"*\x82\xA0x*", pad + "\x82\xA0X", "1"},
      {"*x\x82\xA0*", pad + "X\x82\xA0" + pad, "1"},
      {"*x\x82\xA0*", pad + "X\x82\xA1" + pad, "0"},
      {"*?\x82\xA0"
       "ab*",
       pad + "\x81\x82\xA0"
             "AB",
       "1"},
      {"*ab\x82\xA0*", pad + "ab\x82", "0"},
  };
  std::vector<TMatchCase> table;
  for (const auto &row : rows)
    table.push_back({row[0].c_str(), row[1].c_str(), row[2] == "1"});
  CheckTable(table);
}

} // namespace
