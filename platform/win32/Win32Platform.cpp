#include "Win32Platform.h"

#include "Win32TraceWipe.h"

#include <cstdlib>

namespace {

// The default ANSI code page of the thread locale, or the system's when the
// locale gives no number.
unsigned ThreadAnsiCodePage(const TWin32Api &api) {
  char digits[8] = {};
  if (api.GetLocaleInfoA(api.GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, digits,
                         sizeof digits) > 0) {
    char *end = nullptr;
    unsigned long codePage = std::strtoul(digits, &end, 10);
    if (end != digits && *end == '\0') return static_cast<unsigned>(codePage);
  }
  return api.GetACP();
}

// The lead bytes of the thread locale's code page, as GetCPInfo lists them.
TLeadByteSet ThreadCodePageLeadBytes(const TWin32Api &api) {
  TLeadByteSet set;
  CPINFO info{};
  if (!api.GetCPInfo(ThreadAnsiCodePage(api), &info)) return set;
  // Up to six ranges, as pairs of first and last byte; a pair of zeros ends the list.
  for (unsigned i = 0; i + 1 < MAX_LEADBYTES; i += 2) {
    unsigned first = info.LeadByte[i], last = info.LeadByte[i + 1];
    if (first == 0 && last == 0) break;
    for (unsigned b = first; b <= last; ++b)
      set.set(b);
  }
  return set;
}

} // namespace

TWin32Platform::TWin32Platform(const TWin32Api &api)
    : Api(api), System(TWin32System::Detect(api)), ProfileStore(api), Cache(api, System),
      HistoryStore(api), CodePageLeadBytes(ThreadCodePageLeadBytes(api)) {}

std::unique_ptr<ITraceWipe> TWin32Platform::BeginTraceWipe() {
  if (Cache.DeleteGuard() == TIndexGuard::HighBytes) return nullptr;
  return std::make_unique<TWin32TraceWipe>(Api, Cache, System.IndexKeys,
                                           System.WineVersion.has_value());
}

std::string TWin32Platform::WipeUnavailable() const {
  return "the index key of this wininet.dll was not found";
}

std::string TWin32Platform::AnsiToUtf8(std::string_view ansi) const {
  if (ansi.empty()) return {};
  const int length = static_cast<int>(ansi.size());
  const int wideLength = Api.MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  if (wideLength <= 0) return {};
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  Api.MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), wideLength);
  const int utf8Length =
      Api.WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (utf8Length <= 0) return {};
  std::string utf8(static_cast<size_t>(utf8Length), '\0');
  Api.WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, utf8.data(), utf8Length, nullptr,
                          nullptr);
  return utf8;
}
