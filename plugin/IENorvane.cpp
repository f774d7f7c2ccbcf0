// The library a Norvane host loads: three identity texts and the frame of the
// two working calls. Nothing is kept between calls; every working call builds
// its cleaner on the system's platform services and frees it before it
// returns. No exception leaves an export: a host not built with our compiler
// would be terminated by it, so a failure becomes the result false.
#include "PluginApi.h"

#include <cstring>
#include <string>

#include "IENorvaneU.h"
#include "Masks.h"
#include "Platform.h"
#include "frmIENorvane.h"
#ifdef _WIN32
#include "Win32FormView.h"
#endif

namespace {

bool ValidArguments(const char *iniFile, const char *section, char **buffer) {
  return iniFile && section && buffer && *buffer;
}

// Copies `text` with its NUL into the buffer the host's variable points to.
void CopyToHost(char **buffer, const std::string &text) {
  std::memcpy(*buffer, text.c_str(), text.size() + 1);
}

void LoadCodePage() { LeadBytes = SystemLeadBytes(); }

} // namespace

#ifdef _WIN32
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LoadCodePage();
  return TRUE;
}
#else
__attribute__((constructor)) static void OnLoad() { LoadCodePage(); }
#endif

extern "C" {

const char *NV_STDCALL GetGUID() { return "{5B1E09C4-7A3D-4F62-8C15-2E9047D3A6B8}"; }

const char *NV_STDCALL GetPluginName() { return "IE Norvane"; }

const char *NV_STDCALL GetPluginDescription() {
  return "Interner explorer cache, cookies and Norvane plugin for Norvane. ";
}

bool NV_STDCALL GetConfigString(const char *IniFile, const char *Section, char **Buffer) {
  if (!ValidArguments(IniFile, Section, Buffer)) return false;
  try {
    CopyToHost(Buffer, "");
    TSystemPlatform platform;
    TIENorvane cleaner(platform.Services());
    cleaner.LoadSettings(IniFile, Section);
#ifdef _WIN32
    const TFormViewFactory makeView = CreateWin32FormView;
#else
    const TFormViewFactory makeView; // no window system: the dialog ends as cancelled
#endif
    if (auto summary = RunConfiguration(cleaner, IniFile, Section, makeView))
      CopyToHost(Buffer, *summary);
    return true;
  } catch (...) {
    return false;
  }
}

bool NV_STDCALL ExecClearProc(const char *IniFile, const char *Section, char **Buffer) {
  if (!ValidArguments(IniFile, Section, Buffer)) return false;
  try {
    TSystemPlatform platform;
    TIENorvane cleaner(platform.Services());
    cleaner.LoadSettings(IniFile, Section);
    CopyToHost(Buffer, cleaner.Clean().ReportText());
    return true;
  } catch (...) {
    return false;
  }
}

} // extern "C"
