#pragma once
// The real platform of the Windows build: the private-profile calls,
// WinInet's URL cache, the browser's COM history store and the thread
// locale's ANSI code page, every one through one call table.
#include "Platform.h"
#include "Win32Api.h"
#include "Win32HistoryStore.h"
#include "Win32ProfileStore.h"
#include "Win32System.h"
#include "Win32UrlCache.h"

class TWin32Platform : public IPlatform {
public:
  // Calls the system through `api`, which must outlive the platform. Reads
  // the code page's lead bytes and which system this is once, when created.
  explicit TWin32Platform(const TWin32Api &api = TWin32Api::System());

  IProfileStore &Profiles() override { return ProfileStore; }
  IUrlCache &UrlCache() override { return Cache; }
  IHistoryStore &History() override { return HistoryStore; }
  const TLeadByteSet &LeadBytes() const override { return CodePageLeadBytes; }
  std::string AnsiToUtf8(std::string_view ansi) const override;
  bool HasUrlCache() const override { return true; }
  TPlatformIdentity Identity() const override { return System.Identity(); }
  // Null under Wine when the index key of its wininet.dll was not found:
  // neutral URLs could then not be kept apart from the cache's entries.
  std::unique_ptr<ITraceWipe> BeginTraceWipe() override;
  std::string WipeUnavailable() const override;

private:
  const TWin32Api &Api;
  const TWin32System System;
  TWin32ProfileStore ProfileStore;
  TWin32UrlCache Cache;
  TWin32HistoryStore HistoryStore;
  TLeadByteSet CodePageLeadBytes;
};
