#pragma once
// The one table of Win32 calls that the Windows platform layer makes: every
// service of platform/win32 reaches the system through a TWin32Api and
// nothing else, so that a test can hand it a table whose calls fail on
// purpose (and forward the rest to the system).
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <wininet.h>

#include <objbase.h>
#include <urlhist.h>

#include <string>

// The interface calls of the table: functions that take the interface, so
// that a table can fail them too. Each forwards to the interface's method.
namespace Win32Interface {
HRESULT WINAPI QueryInterface(IUnknown *object, REFIID iid, void **out);
ULONG WINAPI Release(IUnknown *object);
HRESULT WINAPI ClearHistory(IUrlHistoryStg2 *store);
HRESULT WINAPI EnumUrls(IUrlHistoryStg2 *store, IEnumSTATURL **urls);
// IEnumSTATURL::Next for one URL; S_FALSE when there are no more.
HRESULT WINAPI NextUrl(IEnumSTATURL *urls, STATURL *url, ULONG *fetched);
// IUrlHistoryStg2::DeleteUrl with no flags.
HRESULT WINAPI DeleteUrl(IUrlHistoryStg2 *store, LPCOLESTR url);
} // namespace Win32Interface

// Which system this is, from ntdll's exports looked up at run time.
namespace Win32Ntdll {
// wine_get_version, which only Wine exports ("8.0"): null on Windows.
const char *WINAPI WineVersion();
// RtlGetVersion (the version that GetVersionEx hides from a DLL without a
// manifest); FALSE when the system has none.
BOOL WINAPI OsVersion(OSVERSIONINFOW *version);
} // namespace Win32Ntdll

// Calls of kernel32 that older systems lack, looked up at run time.
namespace Win32Kernel {
// GetFinalPathNameByHandleA, normalized, with the drive letter: the path the
// system opened for `file` once links are followed; 0 with
// ERROR_CALL_NOT_IMPLEMENTED where the system has no such call.
DWORD WINAPI FinalPathOf(HANDLE file, LPSTR path, DWORD size);
} // namespace Win32Kernel

// A member per call of Win32Calls.def, of its function's type.
struct TWin32Api {
#define NV_WIN32_CALL(name, function) decltype(&function) name;
#include "Win32Calls.def"

  // The system's own calls. Lives as long as the process.
  static const TWin32Api &System();
};

// The system's text for the error or result `code`, language neutral, at
// most 255 characters, trailing blanks, line breaks and full stops cut;
// empty when the system has none.
std::string SystemMessage(const TWin32Api &api, DWORD code);
