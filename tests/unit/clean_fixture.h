#pragma once
// A cleaner over the portable platform: the in-memory URL cache, the
// recording history store and a profile store that only counts its calls
// (the clean must not read settings; tests set the fields directly).
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "IENorvaneU.h"
#include "MemoryUrlCache.h"
#include "PortableText.h"
#include "RecordingHistoryStore.h"

class TCountingProfileStore : public IProfileStore {
public:
  uint32_t GetString(const char *, const char *, const char *defaultValue, char *buffer,
                     uint32_t size, const char *) override {
    ++Calls;
    std::string value(defaultValue);
    value.resize(std::min<size_t>(value.size(), size - 1));
    std::copy(value.begin(), value.end(), buffer);
    buffer[value.size()] = '\0';
    return static_cast<uint32_t>(value.size());
  }
  bool WriteString(const char *, const char *, const char *, const char *) override {
    ++Calls;
    return true;
  }
  void Flush(const char *) override { ++Calls; }
  std::optional<std::string> FileProblem(const char *) override {
    ++Calls;
    return std::nullopt;
  }
  uint32_t Calls = 0;
};

// One seeded entry.
struct TSeed {
  std::string Url;
  uint64_t Size;
  std::optional<std::string> File = std::nullopt;
};

// The platform of the clean tests: the counting profile store, the
// in-memory cache and the recording history store, single-byte texts.
class TCleanPlatform : public IPlatform {
public:
  explicit TCleanPlatform(
      TMemoryUrlCache::TListing listing = TMemoryUrlCache::TListing::WithContent)
      : Cache(listing) {}

  TCountingProfileStore CountingProfiles;
  TMemoryUrlCache Cache;
  TRecordingHistoryStore HistoryStore;

  IProfileStore &Profiles() override { return CountingProfiles; }
  IUrlCache &UrlCache() override { return Cache; }
  IHistoryStore &History() override { return HistoryStore; }
  const TLeadByteSet &LeadBytes() const override { return NoLeadBytes; }
  std::string AnsiToUtf8(std::string_view ansi) const override { return Latin1OrUtf8ToUtf8(ansi); }
  bool HasUrlCache() const override { return true; }

private:
  TLeadByteSet NoLeadBytes;
};

class CleanFixture : public ::testing::Test, public TCleanPlatform {
protected:
  void Seed(const std::vector<TSeed> &seeds) {
    for (const TSeed &seed : seeds)
      Cache.Add(seed.Url, seed.File, seed.Size);
  }

  // A cleaner with every category off; tests switch on what they need.
  TIENorvane Cleaner() { return TIENorvane(*this); }
};
