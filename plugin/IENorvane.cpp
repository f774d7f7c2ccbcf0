// The library a Norvane host loads: three identity texts and the two working
// calls. Nothing is kept between calls; every working call builds the
// system's platform, works on it and frees it before it returns.
#include "PluginApi.h"

#include "PluginCalls.h"

namespace {

// The system platform, or none when even that cannot be made (out of memory).
std::unique_ptr<IPlatform> SystemPlatform() {
  try {
    return CreateSystemPlatform();
  } catch (...) {
    return nullptr;
  }
}

} // namespace

extern "C" {

const char *NV_STDCALL GetGUID() { return "{5B1E09C4-7A3D-4F62-8C15-2E9047D3A6B8}"; }

const char *NV_STDCALL GetPluginName() { return "IE Norvane"; }

const char *NV_STDCALL GetPluginDescription() {
  return "Interner explorer cache, cookies and Norvane plugin for Norvane. ";
}

bool NV_STDCALL GetConfigString(const char *IniFile, const char *Section, char **Buffer) {
  const auto platform = SystemPlatform();
  return platform && ConfigureOn(*platform, SystemFormViewFactory(), IniFile, Section, Buffer);
}

bool NV_STDCALL ExecClearProc(const char *IniFile, const char *Section, char **Buffer) {
  const auto platform = SystemPlatform();
  return platform && CleanOn(*platform, IniFile, Section, Buffer);
}

} // extern "C"
