#pragma once
// The platform of a system without WinInet, COM or a Windows directory: the
// portable INI store on real files (a name without a folder in the current
// folder), an empty URL cache that says it is no real one, a recording
// history store, single-byte texts.
#include "Platform.h"
#include "PortableIniStore.h"
#include "RecordingHistoryStore.h"

// The URL cache of a system that has none: every enumeration lists nothing
// and every delete fails, as for an entry that is not there.
class TNoUrlCache : public IUrlCache {
public:
  std::unique_ptr<IUrlEnumeration> Enumerate(TCategory category) override;
  TDeleteResult Delete(const TCacheEntryView &) override { return TDeleteResult::Failed; }
};

class TPortablePlatform : public IPlatform {
public:
  IProfileStore &Profiles() override { return IniStore; }
  IUrlCache &UrlCache() override { return Cache; }
  IHistoryStore &History() override { return HistoryStore; }
  const TLeadByteSet &LeadBytes() const override { return NoLeadBytes; }
  std::string AnsiToUtf8(std::string_view ansi) const override;
  bool HasUrlCache() const override { return false; }
  TPlatformIdentity Identity() const override { return {"portable (no URL cache)", false, {}}; }

private:
  TPortableIniStore IniStore;
  TNoUrlCache Cache;
  TRecordingHistoryStore HistoryStore;
  TLeadByteSet NoLeadBytes;
};
