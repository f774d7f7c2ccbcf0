#pragma once
// The browser's URL history store through COM (CUrlHistory, IUrlHistoryStg2),
// through the platform's call table.
#include <cstdint>
#include <functional>
#include <string>

#include "HistoryStore.h"
#include "Win32Api.h"

class TWin32HistoryStore : public IHistoryStore {
public:
  // Calls the system through `api`, which must outlive the store.
  explicit TWin32HistoryStore(const TWin32Api &api = TWin32Api::System()) : Api(api) {}

  // Initialises COM on the calling thread, creates the URL history object,
  // asks it for IUrlHistoryStg2 and calls ClearHistory, whose answer it
  // returns (code 0 for any success), releases both references, and
  // uninitialises COM again if this call initialised it (a thread that
  // already had an apartment keeps it as it was). Raises EOleSysError when
  // the object cannot be created and EIntfCastError ("Interface not
  // supported") when it lacks the interface.
  THistoryAnswer Clear() override;
  // The same COM set-up, then EnumUrls and, per URL (converted to the ANSI
  // code page), DeleteUrl for each one `keeps` is false for.
  THistoryAnswer DeleteUrlsExcept(const std::function<bool(const std::string &)> &keeps) override;

  // The text an EOleSysError carries for `code`: the system's message
  // (language neutral, at most 255 characters, trailing blanks, line breaks
  // and full stops cut), or "OLE error " and the code in eight upper-case
  // hexadecimal digits when the system has none.
  std::string OleErrorMessage(int32_t code) const;

private:
  // Runs `use` on the store's IUrlHistoryStg2 within a COM apartment of the
  // calling thread; raises as Clear.
  THistoryAnswer WithStore(const std::function<THistoryAnswer(IUrlHistoryStg2 *)> &use);
  // The answer for a failing `code`.
  THistoryAnswer Failure(HRESULT code) const;
  // `wide` in the ANSI code page.
  std::string Ansi(const wchar_t *wide) const;

  const TWin32Api &Api;
};
