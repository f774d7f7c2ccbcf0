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

class IHistoryStore {
public:
  virtual ~IHistoryStore() = default;

  // Empties the history store. Raises EOleSysError when the store's object
  // cannot be created and EIntfCastError ("Interface not supported") when it
  // lacks the clearing interface.
  virtual void Clear() = 0;
};
