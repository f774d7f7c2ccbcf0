#pragma once
// Small text rules that every layer shares, each written once: the case of
// ASCII letters, the trim of blanks, the file name of a Windows path. They
// look at single bytes only: a byte above 0x7F is never a letter, a blank or
// a separator here, whatever the code page.
#include <cstring>
#include <string_view>

// The bit that tells the two cases of an ASCII letter apart ('a' is 'A' | 0x20).
inline constexpr unsigned char kAsciiCaseBit = 0x20;

constexpr bool IsAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool IsAsciiLower(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool IsAsciiLetter(char c) { return IsAsciiUpper(c) || IsAsciiLower(c); }

// 'a'..'z' become 'A'..'Z'; every other byte stays. Two texts are alike but
// for the case of ASCII letters when they are the same folded this way.
constexpr char UpperAscii(char c) {
  return IsAsciiLower(c) ? static_cast<char>(c - kAsciiCaseBit) : c;
}

// 'A'..'Z' become 'a'..'z'; every other byte stays.
constexpr char LowerAscii(char c) {
  return IsAsciiUpper(c) ? static_cast<char>(c + kAsciiCaseBit) : c;
}

// Whether `a` and `b` are the same bytes but for the case of ASCII letters.
constexpr bool SameAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

// Whether `text` begins with `prefix`, ASCII letters compared without case.
constexpr bool BeginsWithAsciiNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameAsciiNoCase(text.substr(0, prefix.size()), prefix);
}

// Space and tab: the blanks around a name that a user types.
inline constexpr std::string_view kSpaceAndTab = " \t";

// `text` without the bytes of `blanks` at its start and at its end; empty
// when it holds nothing else.
constexpr std::string_view Trim(std::string_view text, std::string_view blanks) {
  const size_t begin = text.find_first_not_of(blanks);
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(blanks) - begin + 1);
}

// The part of `path` after its last backslash (byte 92), the whole path when
// it has none; only the backslash separates. One pass to find the backslash:
// it runs for every file name a list shows.
inline std::string_view FileNameOf(const char *path) {
  const char *slash = std::strrchr(path, '\\');
  return slash ? slash + 1 : path;
}
