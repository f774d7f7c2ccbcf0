#pragma once
// What system the Windows build runs on, found once per working call: Wine
// or Windows and its version, and what the URL cache's index can address.
#include <optional>
#include <span>
#include <string>

#include "Platform.h"
#include "UrlIndexKey.h"
#include "Win32Api.h"

// Which URLs a delete must not name to the platform, because the index may
// take them for another entry (Win32UrlCache.cpp says why).
enum class TIndexGuard {
  None,          // Windows: every URL goes through the checked delete
  FreedSlotKeys, // Wine: the URLs whose index key also names freed slots
  HighBytes,     // Wine whose key table was not found: every URL with a byte of 0x80 and above
};

struct TWin32System {
  std::optional<std::string> WineVersion; // "8.0" under Wine; none on Windows
  std::string WindowsVersion;             // "10.0.19045"; empty when the system does not say
  // Under Wine: the index key of the wininet.dll that runs, when its table
  // was found in the module's image.
  std::optional<TUrlIndexKeys> IndexKeys;

  // Asks the system through `api`.
  static TWin32System Detect(const TWin32Api &api);

  TIndexGuard Guard() const;
  TPlatformIdentity Identity() const;
};

// The mapped image of the loaded module `name` ("wininet.dll"), from its
// base to its end as its headers give it; empty when it is not loaded or its
// headers are not a PE image's. Every byte of it is readable.
std::span<const uint8_t> LoadedModuleImage(const TWin32Api &api, const char *name);
