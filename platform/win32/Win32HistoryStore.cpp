#include "Win32HistoryStore.h"

#include <cstdio>
#include <vector>

#include "Handles.h"

namespace {

// {3C374A40-BAE4-11CF-BF7D-00AA006946EE}; not declared in mingw's headers.
constexpr CLSID kClsidCUrlHistory = {
    0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};

// {AFA0DC11-C313-11D0-831A-00C04FD5AE38}, defined here so no GUID library is needed.
constexpr IID kIidIUrlHistoryStg2 = {
    0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

// The two strings a listed STATURL owns, freed through the call table when
// it goes, on every path (also when deciding about the URL raises).
class TStatUrlStrings {
public:
  TStatUrlStrings(const TWin32Api &api, STATURL &url) : Api(api), Url(url) {}
  TStatUrlStrings(const TStatUrlStrings &) = delete;
  TStatUrlStrings &operator=(const TStatUrlStrings &) = delete;
  ~TStatUrlStrings() {
    Api.CoTaskMemFree(Url.pwcsUrl);
    Api.CoTaskMemFree(Url.pwcsTitle);
  }

private:
  const TWin32Api &Api;
  STATURL &Url;
};

} // namespace

std::string TWin32HistoryStore::OleErrorMessage(int32_t code) const {
  std::string message = SystemMessage(Api, static_cast<DWORD>(code));
  if (!message.empty()) return message;
  char fallback[32];
  std::snprintf(fallback, sizeof fallback, "OLE error %.8X", static_cast<unsigned>(code));
  return fallback;
}

THistoryAnswer TWin32HistoryStore::Failure(HRESULT code) const {
  return {code, OleErrorMessage(code)};
}

THistoryAnswer
TWin32HistoryStore::WithStore(const std::function<THistoryAnswer(IUrlHistoryStg2 *)> &use) {
  // COM on this thread for the length of one call. CoInitialize's "already
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
  return use(store.Get());
}

THistoryAnswer TWin32HistoryStore::Clear() {
  return WithStore([this](IUrlHistoryStg2 *store) -> THistoryAnswer {
    const HRESULT answer = Api.ClearHistory(store); // what the store does is the platform's
    if (SUCCEEDED(answer)) return {};
    return Failure(answer);
  });
}

std::string TWin32HistoryStore::Ansi(const wchar_t *wide) const {
  if (!wide) return {};
  const int size = Api.WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string text(static_cast<size_t>(size), '\0');
  Api.WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, nullptr, nullptr);
  text.resize(static_cast<size_t>(size) - 1);
  return text;
}

THistoryAnswer
TWin32HistoryStore::DeleteUrlsExcept(const std::function<bool(const std::string &)> &keeps) {
  THistoryAnswer answer = WithStore([&](IUrlHistoryStg2 *store) -> THistoryAnswer {
    TComRef<IEnumSTATURL> urls(nullptr, {&Api});
    const HRESULT listed = Api.EnumUrls(store, urls.Put());
    if (FAILED(listed) || !urls) return Failure(FAILED(listed) ? listed : E_POINTER);
    // The whole list first: deleting while the store lists itself may skip
    // or repeat URLs.
    std::vector<std::wstring> doomed;
    THistoryAnswer walked;
    for (;;) {
      STATURL url{};
      url.cbSize = sizeof url;
      ULONG fetched = 0;
      const HRESULT next = Api.NextUrl(urls.Get(), &url, &fetched);
      if (FAILED(next)) return Failure(next); // nothing deleted yet
      const TStatUrlStrings owned(Api, url);
      if (next != S_OK || fetched != 1) break;
      const bool kept = url.pwcsUrl && keeps(Ansi(url.pwcsUrl));
      if (url.pwcsUrl && !kept) doomed.emplace_back(url.pwcsUrl);
      walked.Left += kept;
    }
    for (const std::wstring &url : doomed)
      ++(SUCCEEDED(Api.DeleteUrl(store, url.c_str())) ? walked.Deleted : walked.NotDeleted);
    return walked;
  });
  answer.Walked = true;
  return answer;
}
