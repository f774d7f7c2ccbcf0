#include "Win32Api.h"

HRESULT WINAPI Win32Interface::QueryInterface(IUnknown *object, REFIID iid, void **out) {
  return object->QueryInterface(iid, out);
}

ULONG WINAPI Win32Interface::Release(IUnknown *object) { return object->Release(); }

HRESULT WINAPI Win32Interface::ClearHistory(IUrlHistoryStg2 *store) {
  return store->ClearHistory();
}

HRESULT WINAPI Win32Interface::EnumUrls(IUrlHistoryStg2 *store, IEnumSTATURL **urls) {
  return store->EnumUrls(urls);
}

HRESULT WINAPI Win32Interface::NextUrl(IEnumSTATURL *urls, STATURL *url, ULONG *fetched) {
  return urls->Next(1, url, fetched);
}

HRESULT WINAPI Win32Interface::DeleteUrl(IUrlHistoryStg2 *store, LPCOLESTR url) {
  return store->DeleteUrl(url, 0);
}

namespace {

// The export `name` of the loaded `module` as a function of type `T`; null
// when there is none.
template <typename T> T ModuleExport(const char *module, const char *name) {
  const HMODULE loaded = ::GetModuleHandleA(module);
  if (!loaded) return nullptr;
  // Through a plain function type, so that the cast names its purpose.
  return reinterpret_cast<T>(reinterpret_cast<void (*)()>(::GetProcAddress(loaded, name)));
}

template <typename T> T NtdllExport(const char *name) { return ModuleExport<T>("ntdll.dll", name); }

bool IsTrailingJunk(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '.'; }

} // namespace

const char *WINAPI Win32Ntdll::WineVersion() {
  static const auto version = NtdllExport<const char *(__cdecl *)()>("wine_get_version");
  return version ? version() : nullptr;
}

BOOL WINAPI Win32Ntdll::OsVersion(OSVERSIONINFOW *version) {
  static const auto get = NtdllExport<LONG(WINAPI *)(OSVERSIONINFOW *)>("RtlGetVersion");
  return get && get(version) == 0;
}

DWORD WINAPI Win32Kernel::FinalPathOf(HANDLE file, LPSTR path, DWORD size) {
  static const auto final = ModuleExport<DWORD(WINAPI *)(HANDLE, LPSTR, DWORD, DWORD)>(
      "kernel32.dll", "GetFinalPathNameByHandleA");
  if (!final) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
  }
  return final(file, path, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
}

const TWin32Api &TWin32Api::System() {
  static const TWin32Api api{
#define NV_WIN32_CALL(name, function) .name = function,
#include "Win32Calls.def"
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
