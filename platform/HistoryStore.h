#pragma once
// The browser's URL history store, which the clean empties as a whole.
#include <cstdint>
#include <string>

#include "SysUtils.h"

// A COM call failed; carries the system's result code.
class EOleSysError : public Exception {
public:
  EOleSysError(const std::string &message, int32_t errorCode)
      : Exception(message), ErrorCode(errorCode) {}
  int32_t ErrorCode;
};

// An object refused an interface it was asked for.
class EIntfCastError : public Exception {
public:
  using Exception::Exception;
};

// What the store answered when asked to empty itself.
struct THistoryAnswer {
  int32_t Code = 0; // the platform's result code; 0 (S_OK) when it emptied the store
  std::string Text; // the system's text for a failing code ("OLE error XXXXXXXX" when none)
  bool Cleared() const { return Code == 0; }
};

class IHistoryStore {
public:
  virtual ~IHistoryStore() = default;

  // Asks the history store to empty itself and returns its answer. Raises
  // EOleSysError when the store's object cannot be created and
  // EIntfCastError ("Interface not supported") when it lacks the clearing
  // interface.
  virtual THistoryAnswer Clear() = 0;
};
