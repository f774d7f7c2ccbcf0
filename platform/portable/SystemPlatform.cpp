// The system platform of the portable build: the portable INI store on real
// files; no browser cache or history store exists here, so the cache is an
// empty in-memory one and the history store only records its clears.
#include "Platform.h"

#include "MemoryUrlCache.h"
#include "PortableIniStore.h"
#include "RecordingHistoryStore.h"

struct TSystemPlatform::TImpl {
  TPortableIniStore Profiles;
  TMemoryUrlCache UrlCache;
  TRecordingHistoryStore History;
};

TSystemPlatform::TSystemPlatform() : Impl(std::make_unique<TImpl>()) {}
TSystemPlatform::~TSystemPlatform() = default;

TPlatformServices TSystemPlatform::Services() {
  return {Impl->Profiles, Impl->UrlCache, Impl->History};
}
