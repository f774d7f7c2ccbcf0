#pragma once
// Test-only: the code page that the matcher tests compile their masks in.
// A guard switches it for one scope and restores the previous one when the
// scope ends; TestLeadBytes() is what the tests hand to TMask and
// MatchesMask (single-byte outside any guard).
#include "LeadBytes.h"
#include "Masks.h"

// The lead bytes of the innermost guard's code page.
TLeadByteSet &TestLeadBytes();

class TCodePageGuard {
public:
  // 932, 936, 949, 950: that page's lead bytes; any other number: none.
  explicit TCodePageGuard(unsigned codePage) : Saved(TestLeadBytes()) {
    TestLeadBytes() = LeadBytesOfCodePage(codePage);
  }
  ~TCodePageGuard() { TestLeadBytes() = Saved; }
  TCodePageGuard(const TCodePageGuard &) = delete;
  TCodePageGuard &operator=(const TCodePageGuard &) = delete;

private:
  TLeadByteSet Saved;
};
