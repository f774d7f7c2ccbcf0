#include "CodePageGuard.h"

TLeadByteSet &TestLeadBytes() {
  static TLeadByteSet current;
  return current;
}
