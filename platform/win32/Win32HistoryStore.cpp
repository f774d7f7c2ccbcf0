#include "Win32HistoryStore.h"

#include <cstdio>

#include "Handles.h"

namespace {

// {3C374A40-BAE4-11CF-BF7D-00AA006946EE}; not declared in mingw's headers.
constexpr CLSID kClsidCUrlHistory = {
    0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};

// {AFA0DC11-C313-11D0-831A-00C04FD5AE38}, defined here so no GUID library is needed.
constexpr IID kIidIUrlHistoryStg2 = {
    0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

} // namespace

std::string TWin32HistoryStore::OleErrorMessage(int32_t code) const {
  std::string message = SystemMessage(Api, static_cast<DWORD>(code));
  if (!message.empty()) return message;
  char fallback[32];
  std::snprintf(fallback, sizeof fallback, "OLE error %.8X", static_cast<unsigned>(code));
  return fallback;
}

THistoryAnswer TWin32HistoryStore::Clear() {
  // COM on this thread for the length of one clear. CoInitialize's "already
  // initialised" (S_FALSE) counts as success and is balanced too; a refusal
  // (the thread already has another apartment) leaves the thread alone.
  // Declared before the references so that they are released first.
  const TComApartment apartment(SUCCEEDED(Api.CoInitialize(nullptr)) ? &Api : nullptr);
  TComRef<IUnknown> object(nullptr, {&Api});
  const HRESULT created =
      Api.CoCreateInstance(kClsidCUrlHistory, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                           IID_IUnknown, reinterpret_cast<void **>(object.Put()));
  if (FAILED(created)) throw EOleSysError(OleErrorMessage(created), created);

  TComRef<IUrlHistoryStg2> store(nullptr, {&Api});
  if (FAILED(Api.QueryInterface(object.Get(), kIidIUrlHistoryStg2,
                                reinterpret_cast<void **>(store.Put()))) ||
      !store)
    throw EIntfCastError("Interface not supported");
  const HRESULT answer = Api.ClearHistory(store.Get()); // what the store does is the platform's
  if (SUCCEEDED(answer)) return {};
  return {answer, OleErrorMessage(answer)};
}
