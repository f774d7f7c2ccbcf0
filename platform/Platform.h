#pragma once
// The one object through which the core and the tools reach the operating
// system: the INI, URL cache and history services, the facts of the system's
// code page (its lead bytes, and its texts as UTF-8), and whether the system
// has a URL cache at all. The core never calls the operating system itself.
#include <memory>
#include <string>
#include <string_view>

#include "HistoryStore.h"
#include "LeadBytes.h"
#include "ProfileStore.h"
#include "TraceWipe.h"
#include "UrlCache.h"

// Which system a platform is, as the command line shows it.
struct TPlatformIdentity {
  std::string Name; // "Wine 8.0", "Windows 10.0.19045", "portable", ...
  bool Wine = false;
  // One line on a limit of the platform that a clean works within (which
  // entries it leaves alone, and why); empty when there is none.
  std::string Caveat;
};

class IPlatform {
public:
  virtual ~IPlatform() = default;

  // The private-profile (INI) service: the settings' store.
  virtual IProfileStore &Profiles() = 0;
  // The URL cache the clean walks and deletes from.
  virtual IUrlCache &UrlCache() = 0;
  // The browser's history store, which a clean with history on empties.
  virtual IHistoryStore &History() = 0;

  // The bytes that begin a double-byte character in the system's ANSI code
  // page (empty for single-byte pages).
  virtual const TLeadByteSet &LeadBytes() const = 0;

  // `ansi`, a text in the system's ANSI code page, as UTF-8: for output
  // that must be UTF-8 whatever the code page (the command line's JSON).
  virtual std::string AnsiToUtf8(std::string_view ansi) const = 0;

  // False where the system has no URL cache of its own (the portable
  // system platform): its UrlCache() is empty then, and the command line
  // refuses to preview or clean.
  virtual bool HasUrlCache() const = 0;

  // Starts the wipe of one clean's traces (TraceWipe.h); null where the
  // platform cannot wipe, WipeUnavailable() then says why.
  virtual std::unique_ptr<ITraceWipe> BeginTraceWipe() { return nullptr; }
  virtual std::string WipeUnavailable() const { return "this platform keeps no index to wipe"; }

  // Which system this is; found once, when the platform is made.
  virtual TPlatformIdentity Identity() const { return {"portable", false, {}}; }
};

// The platform of the system the build runs on: WinInet, COM and the
// private-profile calls on Windows; elsewhere the portable INI store, a
// recording history store and no URL cache at all (HasUrlCache false, an
// empty cache). Lives for one working call.
std::unique_ptr<IPlatform> CreateSystemPlatform();
