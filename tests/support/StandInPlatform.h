#pragma once
// Test-only: the platform services of the portable build behind one
// IPlatform, for tests and benchmarks that run the cleaner without Windows:
// the portable INI store, the in-memory URL cache (a real one, as far as the
// cleaner can tell) and the recording history store, in a code page the test
// chooses.
#include "MemoryUrlCache.h"
#include "Platform.h"
#include "PortableIniStore.h"
#include "PortableText.h"
#include "RecordingHistoryStore.h"

class TStandInPlatform : public IPlatform {
public:
  // `listing`: how the cache lists the cookie and history containers.
  explicit TStandInPlatform(
      TMemoryUrlCache::TListing listing = TMemoryUrlCache::TListing::WithContent)
      : Cache(listing) {}

  TPortableIniStore IniStore;
  TMemoryUrlCache Cache;
  TRecordingHistoryStore HistoryStore;
  TLeadByteSet CodePageLeadBytes; // single-byte unless a test sets it

  IProfileStore &Profiles() override { return IniStore; }
  IUrlCache &UrlCache() override { return Cache; }
  IHistoryStore &History() override { return HistoryStore; }
  const TLeadByteSet &LeadBytes() const override { return CodePageLeadBytes; }
  std::string AnsiToUtf8(std::string_view ansi) const override { return Latin1OrUtf8ToUtf8(ansi); }
  bool HasUrlCache() const override { return true; }
};
