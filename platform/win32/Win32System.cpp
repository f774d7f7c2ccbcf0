#include "Win32System.h"

#include <cstring>

namespace {

std::string WindowsVersionOf(const TWin32Api &api) {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!api.OsVersion(&version)) return {};
  return std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion) +
         "." + std::to_string(version.dwBuildNumber);
}

} // namespace

std::span<const uint8_t> LoadedModuleImage(const TWin32Api &api, const char *name) {
  const HMODULE module = api.GetModuleHandleA(name);
  if (!module) return {};
  const auto *base = reinterpret_cast<const uint8_t *>(module);
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, base, sizeof dos);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0) return {};
  // The signature and the file header are the same in both architectures;
  // SizeOfImage stands at the same place of either optional header.
  IMAGE_NT_HEADERS headers;
  std::memcpy(&headers, base + dos.e_lfanew, sizeof headers);
  if (headers.Signature != IMAGE_NT_SIGNATURE ||
      headers.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC)
    return {};
  return {base, headers.OptionalHeader.SizeOfImage};
}

TWin32System TWin32System::Detect(const TWin32Api &api) {
  TWin32System system;
  if (const char *wine = api.WineVersion()) system.WineVersion = wine;
  system.WindowsVersion = WindowsVersionOf(api);
  // The table is looked for only where the index needs it: the plug-in
  // imports wininet.dll, so it is loaded.
  if (system.WineVersion)
    system.IndexKeys = TUrlIndexKeys::FindIn(LoadedModuleImage(api, "wininet.dll"));
  return system;
}

TIndexGuard TWin32System::Guard() const {
  if (!WineVersion) return TIndexGuard::None;
  return IndexKeys ? TIndexGuard::FreedSlotKeys : TIndexGuard::HighBytes;
}

TPlatformIdentity TWin32System::Identity() const {
  TPlatformIdentity identity;
  identity.Wine = WineVersion.has_value();
  if (identity.Wine) {
    identity.Name = "Wine " + *WineVersion;
  } else {
    identity.Name = "Windows";
    if (!WindowsVersion.empty()) identity.Name += " " + WindowsVersion;
  }
  if (Guard() == TIndexGuard::HighBytes)
    identity.Caveat = "the index key table of wininet.dll was not found: every URL with a byte "
                      "of 0x80 or above is left alone, as this Wine's index may confuse it";
  return identity;
}
