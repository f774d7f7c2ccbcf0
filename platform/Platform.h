#pragma once
// The one object through which the core reaches the operating system: the
// INI, URL cache and history services and the facts of the system's code
// page. The core never calls the operating system itself.
#include <memory>
#include <string>
#include <string_view>

#include "HistoryStore.h"
#include "LeadBytes.h"
#include "ProfileStore.h"
#include "UrlCache.h"

class IPlatform {
public:
  virtual ~IPlatform() = default;

  virtual IProfileStore &Profiles() = 0;
  virtual IUrlCache &UrlCache() = 0;
  virtual IHistoryStore &History() = 0;

  // The bytes that begin a double-byte character in the system's ANSI code
  // page (empty for single-byte pages).
  virtual const TLeadByteSet &LeadBytes() const = 0;

  // Where the INI services place a file name without a folder; empty on a
  // system without a Windows directory (the current folder is used there).
  virtual std::string WindowsDirectory() const = 0;

  // `ansi`, a text in the system's ANSI code page, as UTF-8.
  virtual std::string AnsiToUtf8(std::string_view ansi) const = 0;

  // False where the system has no URL cache of its own (the portable
  // system platform): its UrlCache() is empty then.
  virtual bool HasUrlCache() const = 0;
};

// The platform of the system the build runs on: WinInet, COM and the
// private-profile calls on Windows; elsewhere the portable INI store, a
// recording history store and no URL cache at all (HasUrlCache false, an
// empty cache). Lives for one working call.
std::unique_ptr<IPlatform> CreateSystemPlatform();
