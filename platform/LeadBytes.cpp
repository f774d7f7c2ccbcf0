#include "LeadBytes.h"

namespace {

TLeadByteSet Ranges(std::initializer_list<std::pair<unsigned, unsigned>> ranges) {
  TLeadByteSet set;
  for (auto [first, last] : ranges)
    for (unsigned b = first; b <= last; ++b)
      set.set(b);
  return set;
}

} // namespace

TLeadByteSet LeadBytesOfCodePage(unsigned codePage) {
  switch (codePage) {
  case 932: return Ranges({{0x81, 0x9F}, {0xE0, 0xFC}}); // Shift JIS
  case 936:                                              // GBK
  case 949:                                              // Unified Hangul
  case 950: return Ranges({{0x81, 0xFE}});               // Big5
  default: return {};
  }
}
