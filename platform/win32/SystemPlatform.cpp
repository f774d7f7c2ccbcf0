// The system platform of the Windows build: the private-profile calls, WinInet's
// URL cache and the browser's COM history store.
#include "Platform.h"

#include "Win32HistoryStore.h"
#include "Win32ProfileStore.h"
#include "Win32UrlCache.h"

struct TSystemPlatform::TImpl {
  TWin32ProfileStore Profiles;
  TWin32UrlCache UrlCache;
  TWin32HistoryStore History;
};

TSystemPlatform::TSystemPlatform() : Impl(std::make_unique<TImpl>()) {}
TSystemPlatform::~TSystemPlatform() = default;

TPlatformServices TSystemPlatform::Services() {
  return {Impl->Profiles, Impl->UrlCache, Impl->History};
}
