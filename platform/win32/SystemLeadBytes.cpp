#include "LeadBytes.h"

#include <windows.h>

#include <cstdlib>

namespace {

// The default ANSI code page of the thread locale, or the system's when the
// locale gives no number.
unsigned ThreadAnsiCodePage() {
  char digits[8] = {};
  if (GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits) > 0) {
    char *end = nullptr;
    unsigned long codePage = std::strtoul(digits, &end, 10);
    if (end != digits && *end == '\0') return static_cast<unsigned>(codePage);
  }
  return GetACP();
}

} // namespace

TLeadByteSet SystemLeadBytes() {
  TLeadByteSet set;
  CPINFO info{};
  if (!GetCPInfo(ThreadAnsiCodePage(), &info)) return set;
  // Up to six ranges, as pairs of first and last byte; a pair of zeros ends the list.
  for (unsigned i = 0; i + 1 < MAX_LEADBYTES; i += 2) {
    unsigned first = info.LeadByte[i], last = info.LeadByte[i + 1];
    if (first == 0 && last == 0) break;
    for (unsigned b = first; b <= last; ++b)
      set.set(b);
  }
  return set;
}
