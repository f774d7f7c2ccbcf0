#pragma once
// Test-only: tables of INI cases shared by the native tests of the portable
// store and the Wine tests of the real private-profile services, so both are
// held to the same expectations.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

// A stored number text and what it parses to (nothing: it does not parse).
struct TIniNumberCase {
  const char *Text;
  std::optional<int32_t> Expected;
};
std::span<const TIniNumberCase> IniNumberCases();
// A file whose section [n] holds the number cases in order, case i under
// the key "k<i>".
std::string IniNumberCasesFile();

// A file as other writers leave it: comments, blank lines, blanks around
// names and values, quote marks, duplicates, lines without "=", every kind
// of line break and a last line without one.
extern const char kPreparedIniFile[];

// A read of the prepared file and what the platform gives for it; "<def>"
// is the default the read passes.
struct TIniReadCase {
  const char *Section;
  const char *Key;
  const char *Expected;
};
std::span<const TIniReadCase> PreparedIniReads();
