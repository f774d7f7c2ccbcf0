#pragma once
// Test-only: the mask compilation and backtracking match, written literally
// step by step (two passes, the retry stack of MaxStarGroups entries), as
// the oracle that the fast matcher of Masks is checked against. Its time is
// exponential in the number of stars; keep its texts short or give it a
// budget. It reads the tests' lead bytes (TestLeadBytes), and decides as
// Masks does where the mask language leaves a choice: a lead byte as the last
// byte of a mask, outside a set, is an ordinary literal of itself.
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Masks.h"

class TOracleMask {
public:
  // Compiles `mask` (up to its first zero byte). Raises EMaskException with
  // the matcher's message and fault position for a malformed mask.
  explicit TOracleMask(const char *mask);
  explicit TOracleMask(const std::string &mask) : TOracleMask(mask.c_str()) {}

  // The backtracking search over `text` (up to its first zero byte). Returns
  // null when it would take more than `budget` steps (one step: one element
  // tried at one text position).
  std::optional<bool> Matches(const char *text, uint64_t budget = UINT64_MAX) const;
  std::optional<bool> Matches(const std::string &text, uint64_t budget = UINT64_MAX) const {
    return Matches(text.c_str(), budget);
  }

  struct TElement {
    bool Star = false;
    TMaskElementKind Kind = mekLiteral;
    unsigned char Literal = 0;
    bool Negated = false;
    std::unique_ptr<std::bitset<256>> Members; // owned, mekSet only
    unsigned char Lead = 0, Trail = 0;
  };
  const std::vector<TElement> &Elements() const { return ElementArray; }

private:
  std::vector<TElement> ElementArray;
};

// MatchesMask by the oracle, without a budget.
bool OracleMatchesMask(const std::string &text, const std::string &mask);

// Where `mask`'s elements differ from `oracle`'s: "" when they are the same
// (count, star flags, kinds and the fields of each kind), else a description.
std::string DifferenceOfElements(const TMask &mask, const TOracleMask &oracle);

// What compiling `mask` raises: the EMaskException message, or "" when it
// compiles. `compile` is the compiling call, for example
// [&] { TMask m(mask); }.
template <class TCompile> std::string FaultOf(TCompile compile) {
  try {
    compile();
  } catch (const EMaskException &e) {
    return e.what();
  }
  return "";
}
