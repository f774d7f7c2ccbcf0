#ifdef _WIN32
#include "ProcessHandles.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

template <typename F> F NtdllFunction(const char *name) {
  return reinterpret_cast<F>(
      reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

// The type of one of this process's handles, or "?".
std::string HandleType(HANDLE handle) {
  using TQuery = LONG(WINAPI *)(HANDLE, int, void *, ULONG, ULONG *);
  static const auto query = NtdllFunction<TQuery>("NtQueryObject");
  constexpr int kObjectTypeInformation = 2;
  struct TName {
    USHORT Length, MaximumLength;
    PWSTR Buffer;
  };
  alignas(8) char buffer[1024] = {};
  if (!query || query(handle, kObjectTypeInformation, buffer, sizeof buffer, nullptr) != 0)
    return "?";
  const auto *name = reinterpret_cast<const TName *>(buffer);
  std::string type;
  for (USHORT i = 0; name->Buffer && i < name->Length / 2; ++i)
    type += static_cast<char>(name->Buffer[i]);
  return type.empty() ? "?" : type;
}

// The system's handle table (SystemHandleInformation), or empty.
std::vector<char> SystemHandleTable() {
  using TQuery = LONG(WINAPI *)(int, void *, ULONG, ULONG *);
  static const auto query = NtdllFunction<TQuery>("NtQuerySystemInformation");
  constexpr int kSystemHandleInformation = 16;
  constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<char> table(1 << 16);
  while (query) {
    ULONG needed = 0;
    const LONG status =
        query(kSystemHandleInformation, table.data(), static_cast<ULONG>(table.size()), &needed);
    if (status == 0) return table;
    if (status != kLengthMismatch) break;
    table.resize(std::max<size_t>(table.size() * 2, needed));
  }
  return {};
}

} // namespace

TProcessHandles ProcessHandles() {
  struct TEntry {
    ULONG OwnerPid;
    BYTE ObjectType, Flags;
    USHORT Value;
    PVOID Object;
    ULONG Access;
  };
  const std::vector<char> table = SystemHandleTable();
  if (table.empty()) return {};
  const ULONG entries = *reinterpret_cast<const ULONG *>(table.data());
  const auto *entry = reinterpret_cast<const TEntry *>(table.data() + sizeof(void *));
  TProcessHandles mine;
  for (ULONG i = 0; i < entries; ++i)
    if (entry[i].OwnerPid == GetCurrentProcessId()) {
      const auto handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(entry[i].Value));
      mine[HandleType(handle)].insert(entry[i].Value);
    }
  return mine;
}

std::string HandleChanges(const TProcessHandles &before, const TProcessHandles &after) {
  std::map<std::string, std::pair<std::set<unsigned short>, std::set<unsigned short>>> both;
  for (const auto &[type, values] : before)
    both[type].first = values;
  for (const auto &[type, values] : after)
    both[type].second = values;
  std::ostringstream changes;
  for (const auto &[type, values] : both) {
    const auto &[was, is] = values;
    if (was == is) continue;
    changes << (changes.tellp() > 0 ? " " : "") << type << ' ' << was.size() << "->" << is.size()
            << std::hex;
    for (unsigned short value : is)
      if (!was.count(value)) changes << " +" << value;
    for (unsigned short value : was)
      if (!is.count(value)) changes << " -" << value;
    changes << std::dec;
  }
  return changes.tellp() > 0 ? changes.str() : "-";
}
#endif
