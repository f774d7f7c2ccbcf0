#pragma once
// The browser's URL history store through COM (CUrlHistory, IUrlHistoryStg2),
// through the platform's call table.
#include <cstdint>
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

  // The text an EOleSysError carries for `code`: the system's message
  // (language neutral, at most 255 characters, trailing blanks, line breaks
  // and full stops cut), or "OLE error " and the code in eight upper-case
  // hexadecimal digits when the system has none.
  std::string OleErrorMessage(int32_t code) const;

private:
  const TWin32Api &Api;
};
