// libFuzzer target for Masks: arbitrary bytes compiled as a mask and matched
// against arbitrary bytes, checked against the oracle (the backtracking
// search written literally).
//
// Input: one flag byte (bit 0: code page 932, else a single-byte page), then
// the mask up to the first zero byte, then the text. The fast matcher sees
// the whole text; the oracle, whose time is exponential, sees only its first
// MaxOracleText bytes (the fast matcher is checked on those too).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "CodePageGuard.h"
#include "MaskOracle.h"
#include "Masks.h"

namespace {

constexpr size_t MaxOracleText = 16;
constexpr uint64_t OracleBudget = 4000000; // steps; beyond it the pair is skipped

[[noreturn]] void Disagree(const char *what, const std::string &mask, const std::string &text) {
  std::fprintf(stderr, "disagreement (%s)\nmask (%zu bytes):", what, mask.size());
  for (char c : mask)
    std::fprintf(stderr, " %02X", static_cast<unsigned char>(c));
  std::fprintf(stderr, "\ntext (%zu bytes):", text.size());
  for (char c : text)
    std::fprintf(stderr, " %02X", static_cast<unsigned char>(c));
  std::fprintf(stderr, "\n");
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0) return 0;
  TCodePageGuard codePage((data[0] & 1) ? 932 : 1252);
  const char *bytes = reinterpret_cast<const char *>(data + 1);
  const size_t length = size - 1;
  const size_t maskLength = strnlen(bytes, length);
  const std::string mask(bytes, maskLength);
  const std::string text =
      maskLength < length ? std::string(bytes + maskLength + 1, length - maskLength - 1) : "";
  // Both strings end at their first zero byte for the matcher as well.
  const std::string textUpToZero = text.c_str();
  const std::string shortText = textUpToZero.substr(0, MaxOracleText);

  const std::string fault = FaultOf([&] { TMask m(mask, TestLeadBytes()); });
  const std::string oracleFault = FaultOf([&] { TOracleMask m(mask); });
  if (fault != oracleFault) Disagree("fault", mask, text);
  if (!fault.empty()) {
    if (FaultOf([&] { MatchesMask(text, mask, TestLeadBytes()); }) != fault)
      Disagree("MatchesMask fault", mask, text);
    return 0;
  }

  const TMask compiled(mask, TestLeadBytes());
  const TOracleMask oracle(mask);
  if (!DifferenceOfElements(compiled, oracle).empty()) Disagree("elements", mask, text);

  // Buffers that end right at the zero byte, so that the sanitizers see any
  // read past the end of the mask or of the text.
  const auto exact = [](const std::string &bytes) {
    auto buffer = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(buffer.get(), bytes.c_str(), bytes.size() + 1);
    return buffer;
  };
  const auto maskBuffer = exact(mask);
  const auto textBuffer = exact(textUpToZero);
  const bool whole = TMask(maskBuffer.get(), TestLeadBytes()).Matches(textBuffer.get());
  if (compiled.Matches(text) != whole) Disagree("TMask", mask, text);
  if (MatchesMask(textBuffer.get(), maskBuffer.get(), TestLeadBytes()) != whole)
    Disagree("MatchesMask", mask, text);
  if (textUpToZero.size() <= MaxOracleText) {
    const auto expected = oracle.Matches(text, OracleBudget);
    if (expected && *expected != whole) Disagree("answer", mask, text);
  } else {
    const auto expected = oracle.Matches(shortText, OracleBudget);
    if (expected && *expected != compiled.Matches(shortText)) Disagree("answer", mask, shortText);
  }
  return 0;
}
