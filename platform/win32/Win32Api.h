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

struct TWin32Api {
  // --- WinInet's URL cache.
  decltype(&::FindFirstUrlCacheEntryA) FindFirstUrlCacheEntryA;
  decltype(&::FindNextUrlCacheEntryA) FindNextUrlCacheEntryA;
  decltype(&::FindCloseUrlCache) FindCloseUrlCache;
  decltype(&::DeleteUrlCacheEntryA) DeleteUrlCacheEntryA;
  decltype(&::GetUrlCacheEntryInfoA) GetUrlCacheEntryInfoA;

  // --- COM and the URL history object. The interface calls are functions
  // that take the interface, so that a table can fail them too.
  decltype(&::CoInitialize) CoInitialize;
  decltype(&::CoUninitialize) CoUninitialize;
  decltype(&::CoCreateInstance) CoCreateInstance;
  HRESULT(WINAPI *QueryInterface)(IUnknown *object, REFIID iid, void **out);
  ULONG(WINAPI *Release)(IUnknown *object);
  HRESULT(WINAPI *ClearHistory)(IUrlHistoryStg2 *store);
  HRESULT(WINAPI *EnumUrls)(IUrlHistoryStg2 *store, IEnumSTATURL **urls);
  // IEnumSTATURL::Next for one URL; S_FALSE when there are no more.
  HRESULT(WINAPI *NextUrl)(IEnumSTATURL *urls, STATURL *url, ULONG *fetched);
  HRESULT(WINAPI *DeleteUrl)(IUrlHistoryStg2 *store, LPCOLESTR url);
  decltype(&::CoTaskMemFree) CoTaskMemFree;
  decltype(&::FormatMessageA) FormatMessageA;

  // --- The private-profile (INI) services.
  decltype(&::GetPrivateProfileStringA) GetPrivateProfileStringA;
  decltype(&::WritePrivateProfileStringA) WritePrivateProfileStringA;

  // --- Files, for the portable INI store's atomic replace.
  decltype(&::GetFileAttributesA) GetFileAttributesA;
  decltype(&::CreateFileA) CreateFileA;
  decltype(&::ReadFile) ReadFile;
  decltype(&::WriteFile) WriteFile;
  decltype(&::FlushFileBuffers) FlushFileBuffers;
  decltype(&::CloseHandle) CloseHandle;
  decltype(&::MoveFileExA) MoveFileExA;
  decltype(&::DeleteFileA) DeleteFileA;

  // --- The thread's last-error code.
  decltype(&::GetLastError) GetLastError;
  decltype(&::SetLastError) SetLastError;

  // --- Code page, texts and folders.
  decltype(&::GetThreadLocale) GetThreadLocale;
  decltype(&::GetLocaleInfoA) GetLocaleInfoA;
  decltype(&::GetACP) GetACP;
  decltype(&::GetCPInfo) GetCPInfo;
  decltype(&::GetWindowsDirectoryA) GetWindowsDirectoryA;
  decltype(&::MultiByteToWideChar) MultiByteToWideChar;
  decltype(&::WideCharToMultiByte) WideCharToMultiByte;

  // --- Which system this is. WineVersion answers ntdll's wine_get_version,
  // which only Wine exports: null on Windows. OsVersion answers ntdll's
  // RtlGetVersion (the version GetVersionEx would hide from a DLL without a
  // manifest); FALSE when the system has none. GetModuleHandleA finds the
  // loaded wininet.dll, whose image the URL cache's index key is read from.
  const char *(WINAPI *WineVersion)();
  BOOL(WINAPI *OsVersion)(OSVERSIONINFOW *version);
  decltype(&::GetModuleHandleA) GetModuleHandleA;

  // The system's own calls. Lives as long as the process.
  static const TWin32Api &System();
};

// The system's text for the error or result `code`, language neutral, at
// most 255 characters, trailing blanks, line breaks and full stops cut;
// empty when the system has none.
std::string SystemMessage(const TWin32Api &api, DWORD code);
