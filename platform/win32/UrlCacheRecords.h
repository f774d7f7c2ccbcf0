#pragma once
// The platform's listing of one selector, record by record: the loop of
// FindFirstUrlCacheEntryA and FindNextUrlCacheEntryA with one buffer that
// grows to the largest record, which every reader of the real URL cache runs
// (the cache service, the seeding tool, the tests).
#include "Handles.h"
#include "Win32Api.h"
#include "Win32EntryBuffer.h"

class TUrlCacheRecords {
public:
  // How many next-entry queries in a row may fetch nothing (a code other
  // than 122 and 259, or a fetch that fails after the sizing call) before a
  // listing gives up. WinInet documents only 122 and 259; a query that kept
  // failing otherwise would never end the walk. A real cache never fails
  // this often in a row, and under Wine this many queries take about half a
  // second.
  static constexpr unsigned kMaxFruitlessQueries = 1000;

  // Starts listing `selector` (null: the platform's null selector) through
  // `api`, which must outlive the listing.
  TUrlCacheRecords(const TWin32Api &api, const char *selector);

  // Whether the platform answered that the selector lists nothing.
  bool ListsNothing() const { return ListedNothing; }

  // The next record, or null when there are no more; valid until the next
  // call. A record the platform fails to deliver is passed over. The
  // enumeration is closed once the listing ends.
  const INTERNET_CACHE_ENTRY_INFOA *Next();

  // Whether a query so far fetched nothing where a record may have been: a
  // record passed over, whose URL nobody has seen.
  bool MissedAny() const { return Missed; }

private:
  enum class TQuery { Record, NoRecord, End };

  bool Start(const char *selector);
  TQuery QueryNext();

  const TWin32Api &Api;
  TEntryBuffer Buffer;
  TUrlCacheFind Handle;
  bool HaveFirst = false;
  bool ListedNothing = false;
  bool Missed = false;
};
