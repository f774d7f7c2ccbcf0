// The fast matcher against the oracle (the backtracking search written literally):
// every small mask over an alphabet that reaches every rule against every
// small text, then seeded random (mask, text) pairs; the same answers, the
// same compiled elements, the same faults, under a single-byte code page and
// under 932.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CodePageGuard.h"
#include "MaskOracle.h"
#include "Masks.h"
#include "SeededRandom.h"

namespace {

constexpr size_t RandomMasks = 140000;
constexpr size_t TextsPerMask = 10;
constexpr size_t RequiredPairs = 1000000; // answers compared, malformed masks not counted
constexpr size_t MaxOracleText = 12;      // keeps the exponential search short

std::string Printable(const std::string &bytes) {
  static const char *const hex = "0123456789ABCDEF";
  std::string out;
  for (char signedByte : bytes) {
    const auto c = static_cast<unsigned char>(signedByte);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// Checks one mask against the oracle on `texts`: the fault, or else the
// compiled elements and every answer. Counts the answers compared in
// `pairs`, the true ones in `matched`, a malformed mask in `faults`. Returns
// false at the first disagreement, after reporting it.
bool CheckMask(const std::string &mask, const std::vector<std::string> &texts, size_t &pairs,
               size_t &matched, size_t &faults) {
  const std::string expectedFault = FaultOf([&] { TOracleMask m(mask); });
  const std::string fault = FaultOf([&] { TMask m(mask, TestLeadBytes()); });
  if (fault != expectedFault) {
    ADD_FAILURE() << "mask '" << Printable(mask) << "': fault '" << fault << "', oracle '"
                  << expectedFault << "'";
    return false;
  }
  if (!fault.empty()) {
    ++faults;
    return FaultOf([&] { MatchesMask(texts.front(), mask, TestLeadBytes()); }) == fault ||
           (ADD_FAILURE() << "MatchesMask fault differs for '" << Printable(mask) << "'", false);
  }
  const TOracleMask oracle(mask);
  const TMask compiled(mask, TestLeadBytes());
  const std::string difference = DifferenceOfElements(compiled, oracle);
  if (!difference.empty()) {
    ADD_FAILURE() << "mask '" << Printable(mask) << "': " << difference;
    return false;
  }
  for (size_t i = 0; i < texts.size(); ++i) {
    const bool expected = *oracle.Matches(texts[i]);
    const bool actual = compiled.Matches(texts[i]);
    const bool oneShot = MatchesMask(texts[i], mask, TestLeadBytes());
    if (actual != expected || oneShot != expected) {
      ADD_FAILURE() << "mask '" << Printable(mask) << "', text '" << Printable(texts[i])
                    << "': " << actual << " (MatchesMask " << oneShot << "), oracle " << expected;
      return false;
    }
    ++pairs;
    matched += expected;
  }
  return true;
}

// Every string of length 0..maxLength over `alphabet`.
std::vector<std::string> AllStrings(const std::string &alphabet, size_t maxLength) {
  std::vector<std::string> all = {""};
  for (size_t begin = 0, length = 1; length <= maxLength; ++length) {
    const size_t end = all.size();
    for (size_t i = begin; i < end; ++i)
      for (char c : alphabet)
        all.push_back(all[i] + c);
    begin = end;
  }
  return all;
}

TEST(MaskDifferential, EveryShortMaskAgainstEveryShortText) {
  const std::vector<std::string> masks = AllStrings("*?[]-!aB\x82", 3);
  const std::vector<std::string> texts = AllStrings("aAb!-]\x82\x40", 3);
  for (unsigned codePage : {1252u, 932u}) {
    SCOPED_TRACE(codePage);
    TCodePageGuard cp(codePage);
    size_t pairs = 0, matched = 0, faults = 0;
    for (const std::string &mask : masks)
      if (!CheckMask(mask, texts, pairs, matched, faults)) return;
    EXPECT_EQ(pairs, (masks.size() - faults) * texts.size());
    EXPECT_GT(matched, pairs / 100);
    EXPECT_GT(faults, 0u);
    std::printf("[ pairs    ] code page %u: %zu pairs, %zu matched, %zu masks malformed\n",
                codePage, pairs, matched, faults);
  }
}

// Random masks and texts that reach every rule.
class TPairGenerator {
public:
  explicit TPairGenerator(uint64_t seed) : Random(seed) {}

  std::string Mask() {
    static const char *const literals[] = {"a", "A", "b",    "B",    ".",    "-",    "!",    "]",
                                           "@", "`", "\xE9", "\xC9", "\x81", "\x82", "\xA0", "x"};
    static const char *const members[] = {"a", "B",    "c",    "-",    "!", "]", "*",    "?",
                                          "[", "\x81", "\x82", "\xE9", "z", "0", "\xA0", "^"};
    std::string mask;
    const size_t pieces = Random.Below(11);
    for (size_t i = 0; i < pieces; ++i) {
      const size_t roll = Random.Below(100);
      if (roll < 25) {
        mask += '*';
      } else if (roll < 35) {
        mask += '?';
      } else if (roll < 50) {
        mask += '[';
        if (Random.Chance(30)) mask += '!';
        const size_t count = Random.Below(5);
        for (size_t m = 0; m < count; ++m)
          mask += Random.Pick(members);
        if (Random.Chance(93)) mask += ']';
      } else {
        mask += Random.Pick(literals);
      }
    }
    return mask;
  }

  // A text shaped after `mask` (so that many match), sometimes changed.
  std::string Text(const std::string &mask) {
    static const char alphabet[] = {'a', 'A', 'b',    'B',    '.',    '-',    '!',    ']',   '[',
                                    '*', '?', 'c',    'z',    '0',    '_',    '^',    '@',   '`',
                                    'x', 'X', '\xE9', '\xC9', '\x81', '\x82', '\xA0', '\x40'};
    std::string text;
    if (Random.Chance(25)) {
      const size_t length = Random.Below(MaxOracleText + 1);
      for (size_t i = 0; i < length; ++i)
        text += Random.Pick(alphabet);
      return text;
    }
    for (size_t i = 0; i < mask.size(); ++i) {
      const char c = mask[i];
      if (c == '*') {
        for (size_t n = Random.Below(4); n > 0; --n)
          text += Random.Pick(alphabet);
      } else if (c == '?') {
        text += Random.Pick(alphabet);
      } else if (c == '[') {
        const size_t close = mask.find(']', i + 1);
        const size_t end = close == std::string::npos ? mask.size() : close;
        if (end > i + 1 && Random.Chance(70))
          text += mask[i + 1 + Random.Below(end - i - 1)];
        else
          text += Random.Pick(alphabet);
        i = end;
      } else if (c >= 'a' && c <= 'z' && Random.Chance(50)) {
        text += static_cast<char>(c - 0x20);
      } else if (c >= 'A' && c <= 'Z' && Random.Chance(50)) {
        text += static_cast<char>(c + 0x20);
      } else {
        text += c;
      }
    }
    if (Random.Chance(30) && !text.empty()) {
      const size_t at = Random.Below(text.size());
      switch (Random.Below(3)) {
      case 0: text.erase(at, 1); break;
      case 1: text.insert(at, 1, Random.Pick(alphabet)); break;
      default: text[at] = Random.Pick(alphabet); break;
      }
    }
    if (text.size() > MaxOracleText) text.resize(MaxOracleText);
    return text;
  }

  bool Chance(unsigned percent) { return Random.Chance(percent); }

private:
  TSeededRandom Random;
};

TEST(MaskDifferential, MillionSeededRandomPairs) {
  TPairGenerator generator(20240611);
  size_t pairs = 0, matched = 0, faults = 0;
  std::vector<std::string> texts(TextsPerMask);
  for (size_t m = 0; m < RandomMasks; ++m) {
    const unsigned codePage = generator.Chance(35) ? 932 : 1252;
    TCodePageGuard cp(codePage);
    const std::string mask = generator.Mask();
    for (std::string &text : texts)
      text = generator.Text(mask);
    if (!CheckMask(mask, texts, pairs, matched, faults)) {
      ADD_FAILURE() << "code page " << codePage << ", mask number " << m;
      return;
    }
  }
  EXPECT_GE(pairs, RequiredPairs);
  // The generator must give both answers and faults in fair numbers, or the
  // test would prove little.
  EXPECT_GT(matched, pairs / 10);
  EXPECT_LT(matched, pairs - pairs / 10);
  EXPECT_GT(faults, RandomMasks / 50);
  EXPECT_LT(faults, RandomMasks / 3);
  std::printf("[ pairs    ] %zu pairs, %zu matched, %zu masks malformed\n", pairs, matched, faults);
}

// Long texts (up to 80 bytes) against masks of a few starred pieces, each
// planted somewhere in the text, in either case, sometimes broken: the scan
// for a piece takes many bytes a step on such texts, so this reaches its
// block edges, the text's last bytes and the case folding of its key bytes.
class TLongPairGenerator {
public:
  explicit TLongPairGenerator(uint64_t seed) : Random(seed) {}

  std::string Mask() {
    static const char *const elements[] = {"a",    "B",        "q", "=",     "@",    "`", "\xE9",
                                           "\xC9", "\x82\xA0", "?", "[a-c]", "[!x]", "x", "."};
    Head = Random.Chance(50);
    std::string mask = Head ? "h" : "";
    Pieces.clear();
    for (size_t piece = 1 + Random.Below(3); piece > 0; --piece) {
      std::string text;
      for (size_t n = 1 + Random.Below(4); n > 0; --n)
        text += Random.Pick(elements);
      mask += "*" + text;
      Pieces.push_back(text);
    }
    if (Random.Chance(50)) mask += "*";
    return mask;
  }

  // Filler with the pieces of the last mask planted in order.
  std::string Text() {
    static const char filler[] = {'a', 'A', 'b', 'B',    'q',    'Q',    '=',    '@', '`',
                                  '.', 'x', 'X', '\xE9', '\xC9', '\x82', '\xA0', 'y', 'z'};
    std::string text = Head && Random.Chance(90) ? "H" : "";
    for (const std::string &piece : Pieces) {
      for (size_t n = Random.Below(30); n > 0; --n)
        text += Random.Pick(filler);
      if (Random.Chance(80)) text += Planted(piece);
    }
    for (size_t n = Random.Below(20); n > 0; --n)
      text += Random.Pick(filler);
    if (Random.Chance(20) && !text.empty()) text[Random.Below(text.size())] = Random.Pick(filler);
    return text;
  }

private:
  // `piece` as a text that it matches, letters in either case.
  std::string Planted(const std::string &piece) {
    std::string text;
    for (size_t i = 0; i < piece.size(); ++i) {
      const char c = piece[i];
      if (c == '?') {
        text += 'y';
      } else if (c == '[') {
        text += piece[i + 1] == '!' ? 'b' : 'c';
        i = piece.find(']', i);
      } else if (c >= 'a' && c <= 'z') {
        text += Random.Chance(50) ? static_cast<char>(c - 0x20) : c;
      } else if (c >= 'A' && c <= 'Z') {
        text += Random.Chance(50) ? static_cast<char>(c + 0x20) : c;
      } else {
        text += c;
      }
    }
    return text;
  }

  TSeededRandom Random;
  bool Head = false; // the mask starts with "h"
  std::vector<std::string> Pieces;
};

TEST(MaskDifferential, LongTextsAgainstStarredPieces) {
  TLongPairGenerator generator(20261208);
  size_t pairs = 0, matched = 0, faults = 0;
  std::vector<std::string> texts(TextsPerMask);
  for (size_t m = 0; m < 20000; ++m) {
    TCodePageGuard cp(m % 3 == 0 ? 932 : 1252);
    const std::string mask = generator.Mask();
    for (std::string &text : texts)
      text = generator.Text();
    if (!CheckMask(mask, texts, pairs, matched, faults)) {
      ADD_FAILURE() << "mask number " << m;
      return;
    }
  }
  EXPECT_EQ(faults, 0u);
  EXPECT_GT(matched, pairs / 5);
  EXPECT_LT(matched, pairs - pairs / 5);
}

} // namespace
