#include "Win32Api.h"

namespace {

HRESULT WINAPI QueryInterfaceOf(IUnknown *object, REFIID iid, void **out) {
  return object->QueryInterface(iid, out);
}

ULONG WINAPI ReleaseOf(IUnknown *object) { return object->Release(); }

HRESULT WINAPI ClearHistoryOf(IUrlHistoryStg2 *store) { return store->ClearHistory(); }

HRESULT WINAPI EnumUrlsOf(IUrlHistoryStg2 *store, IEnumSTATURL **urls) {
  return store->EnumUrls(urls);
}

HRESULT WINAPI NextUrlOf(IEnumSTATURL *urls, STATURL *url, ULONG *fetched) {
  return urls->Next(1, url, fetched);
}

HRESULT WINAPI DeleteUrlOf(IUrlHistoryStg2 *store, LPCOLESTR url) {
  return store->DeleteUrl(url, 0);
}

// The export `name` of ntdll as a function of type `T`; null when there is none.
template <typename T> T NtdllExport(const char *name) {
  const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  if (!ntdll) return nullptr;
  // Through a plain function type, so that the cast names its purpose.
  return reinterpret_cast<T>(reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, name)));
}

const char *WINAPI WineVersionOf() {
  static const auto version = NtdllExport<const char *(__cdecl *)()>("wine_get_version");
  return version ? version() : nullptr;
}

BOOL WINAPI OsVersionOf(OSVERSIONINFOW *version) {
  static const auto get = NtdllExport<LONG(WINAPI *)(OSVERSIONINFOW *)>("RtlGetVersion");
  return get && get(version) == 0;
}

bool IsTrailingJunk(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '.'; }

} // namespace

const TWin32Api &TWin32Api::System() {
  static const TWin32Api api{
      .FindFirstUrlCacheEntryA = ::FindFirstUrlCacheEntryA,
      .FindNextUrlCacheEntryA = ::FindNextUrlCacheEntryA,
      .FindCloseUrlCache = ::FindCloseUrlCache,
      .DeleteUrlCacheEntryA = ::DeleteUrlCacheEntryA,
      .GetUrlCacheEntryInfoA = ::GetUrlCacheEntryInfoA,
      .CoInitialize = ::CoInitialize,
      .CoUninitialize = ::CoUninitialize,
      .CoCreateInstance = ::CoCreateInstance,
      .QueryInterface = QueryInterfaceOf,
      .Release = ReleaseOf,
      .ClearHistory = ClearHistoryOf,
      .EnumUrls = EnumUrlsOf,
      .NextUrl = NextUrlOf,
      .DeleteUrl = DeleteUrlOf,
      .CoTaskMemFree = ::CoTaskMemFree,
      .FormatMessageA = ::FormatMessageA,
      .GetPrivateProfileStringA = ::GetPrivateProfileStringA,
      .WritePrivateProfileStringA = ::WritePrivateProfileStringA,
      .GetFileAttributesA = ::GetFileAttributesA,
      .CreateFileA = ::CreateFileA,
      .ReadFile = ::ReadFile,
      .WriteFile = ::WriteFile,
      .FlushFileBuffers = ::FlushFileBuffers,
      .CloseHandle = ::CloseHandle,
      .MoveFileExA = ::MoveFileExA,
      .DeleteFileA = ::DeleteFileA,
      .GetLastError = ::GetLastError,
      .SetLastError = ::SetLastError,
      .GetThreadLocale = ::GetThreadLocale,
      .GetLocaleInfoA = ::GetLocaleInfoA,
      .GetACP = ::GetACP,
      .GetCPInfo = ::GetCPInfo,
      .GetWindowsDirectoryA = ::GetWindowsDirectoryA,
      .MultiByteToWideChar = ::MultiByteToWideChar,
      .WideCharToMultiByte = ::WideCharToMultiByte,
      .WineVersion = WineVersionOf,
      .OsVersion = OsVersionOf,
      .GetModuleHandleA = ::GetModuleHandleA,
  };
  return api;
}

std::string SystemMessage(const TWin32Api &api, DWORD code) {
  char text[256] = {};
  DWORD length = api.FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                        FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                    nullptr, code, 0, text, sizeof text, nullptr);
  while (length > 0 && IsTrailingJunk(text[length - 1]))
    --length;
  return std::string(text, length);
}
