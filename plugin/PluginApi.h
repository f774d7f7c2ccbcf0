#pragma once
// The five exports a Norvane host calls, with their calling convention.
// Texts are single-byte, NUL-terminated, in the ANSI code page.
#include <cstdint>

#ifdef _WIN32
#define NV_STDCALL __stdcall
#else
#define NV_STDCALL
#endif

static_assert(sizeof(bool) == 1, "the working exports return a one-byte boolean");

extern "C" {
// Constant identity texts owned by the library.
const char *NV_STDCALL GetGUID();
const char *NV_STDCALL GetPluginName();
const char *NV_STDCALL GetPluginDescription();

// The configuring call: shows the options dialog; on OK saves the settings to
// `Section` of `IniFile` and writes the summary into the host's buffer *Buffer
// (the empty text otherwise). Returns false, without crashing the host, when
// an argument is null or the call fails.
bool NV_STDCALL GetConfigString(const char *IniFile, const char *Section, char **Buffer);

// The cleaning call: cleans as the settings say and writes
// "Exempted space is <bytes> bytes" into the host's buffer *Buffer. Returns
// false, leaving the buffer as it stood, when an argument is null or the clean
// fails.
bool NV_STDCALL ExecClearProc(const char *IniFile, const char *Section, char **Buffer);
}

// The function types a host looks the exports up as.
using TGetTextProc = const char *(NV_STDCALL *)();
using TWorkingProc = bool(NV_STDCALL *)(const char *, const char *, char **);
