#pragma once
// Test-only: the platform services of the portable build in one place, for
// tests and benchmarks that run the cleaner without Windows: the portable INI
// store, the in-memory URL cache and the recording history store.
#include "MemoryUrlCache.h"
#include "Platform.h"
#include "PortableIniStore.h"
#include "RecordingHistoryStore.h"

struct TStandInPlatform {
  TPortableIniStore Profiles;
  TMemoryUrlCache Cache;
  TRecordingHistoryStore History;
  TPlatformServices Services{Profiles, Cache, History};
};
