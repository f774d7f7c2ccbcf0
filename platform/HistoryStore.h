#pragma once
// The browser's URL history store, which the clean empties as a whole, or
// but for the URLs of the sites to keep.
#include <cstdint>
#include <functional>
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
  // Walked (DeleteUrlsExcept): the store was not emptied whole. With Code 0
  // it was walked and every URL not kept deleted; otherwise it could not be
  // walked and was left alone, Text saying why.
  bool Walked = false;
  // Walked to forget only the URLs of the visits a clean by mask deleted,
  // rather than to keep sites.
  bool OnlyDeletedVisits = false;
  uint64_t Left = 0;       // walked: the URLs left (kept, or not deleted by the clean)
  uint64_t Deleted = 0;    // walked: the URLs deleted
  uint64_t NotDeleted = 0; // walked: the URLs whose delete the store refused (they stay)
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

  // Empties the store but for the URLs that `keeps` holds back: lists every
  // URL of the store (IUrlHistoryStg::EnumUrls, in the ANSI code page) and
  // deletes each one `keeps` is false for (DeleteUrl). The answer has
  // Walked set; when the store cannot be listed, nothing is deleted and
  // Code and Text give the listing's failure. Raises as Clear.
  virtual THistoryAnswer
  DeleteUrlsExcept(const std::function<bool(const std::string &)> &keeps) = 0;
};
