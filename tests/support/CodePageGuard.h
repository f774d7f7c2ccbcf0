#pragma once
// Test-only: switches the matcher's lead-byte set to a code page's for one
// scope and restores the previous set when the scope ends.
#include "LeadBytes.h"
#include "Masks.h"

class TCodePageGuard {
public:
  // 932, 936, 949, 950: that page's lead bytes; any other number: none.
  explicit TCodePageGuard(unsigned codePage) : Saved(LeadBytes) {
    LeadBytes = LeadBytesOfCodePage(codePage);
  }
  ~TCodePageGuard() { LeadBytes = Saved; }
  TCodePageGuard(const TCodePageGuard &) = delete;
  TCodePageGuard &operator=(const TCodePageGuard &) = delete;

private:
  TLeadByteSet Saved;
};
