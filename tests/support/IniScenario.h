#pragma once
// Test-only: seeded random INI scenarios (a file another writer prepared, then
// a sequence of writes and reads) and a check that a write kept the file's
// other lines.
#include <cstdint>
#include <string>
#include <vector>

// One step of a scenario: a write of `Value`, or a read (with `Value` as the
// default).
struct TIniOp {
  bool IsWrite = false;
  std::string Section, Key, Value;
};

struct TIniScenario {
  bool FileExists = true;     // false: the first write creates the file
  std::string InitialContent; // comments, blanks, duplicates, mixed line breaks
  std::vector<TIniOp> Ops;
};

// The scenario for `seed`; the same seed gives the same scenario everywhere.
// Names and values keep to printable ASCII and never hold what a store may
// refuse (line breaks, "=" in a key, a key starting with "[").
TIniScenario MakeIniScenario(uint32_t seed);

// Every section name and key name a scenario may use, for reading a file
// back whole.
const std::vector<std::string> &ScenarioSections();
const std::vector<std::string> &ScenarioKeys();

// What a reader gets for a value written as `written`: the blanks around it
// dropped, then one pair of matching quote marks around two or more
// characters.
std::string ExpectedReadBack(const std::string &written);

// The lines of an INI file's bytes: a line ends at CR LF, CR or LF.
std::vector<std::string> IniLines(const std::string &content);

// Checks that `after` is `before` with one write of `key` in `section` done:
// every line of `before` is still there in order, except at most one line of
// that key, and the only new lines are one line of the key with a value and
// at most one header of the section. Returns an empty text when it holds,
// else what went wrong.
std::string CheckWriteKeptLines(const std::string &before, const std::string &after,
                                const std::string &section, const std::string &key);
