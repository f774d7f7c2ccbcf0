#pragma once
// The set of platform services the core works through. The core never calls
// the operating system itself: it is handed one of these.
#include <memory>

#include "HistoryStore.h"
#include "ProfileStore.h"
#include "UrlCache.h"

struct TPlatformServices {
  IProfileStore &Profiles;
  IUrlCache &UrlCache;
  IHistoryStore &History;
};

// The real services of the system the build runs on: WinInet, COM and the
// private-profile calls on Windows; the portable INI store, an empty in-memory
// cache and a recording history store elsewhere. Lives for one call.
class TSystemPlatform {
public:
  TSystemPlatform();
  ~TSystemPlatform();
  TSystemPlatform(const TSystemPlatform &) = delete;
  TSystemPlatform &operator=(const TSystemPlatform &) = delete;

  TPlatformServices Services();

private:
  struct TImpl;
  std::unique_ptr<TImpl> Impl;
};
