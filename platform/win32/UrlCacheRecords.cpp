#include "UrlCacheRecords.h"

#include <utility>

TUrlCacheRecords::TUrlCacheRecords(const TWin32Api &api, const char *selector)
    : Api(api), Handle(nullptr, {&api}) {
  HaveFirst = Start(selector);
  ListedNothing = !HaveFirst && Api.GetLastError() == ERROR_NO_MORE_ITEMS;
}

const INTERNET_CACHE_ENTRY_INFOA *TUrlCacheRecords::Next() {
  if (std::exchange(HaveFirst, false)) return Buffer.Data();
  unsigned fruitless = 0;
  while (Handle && fruitless < kMaxFruitlessQueries) {
    switch (QueryNext()) {
    case TQuery::Record: return Buffer.Data();
    case TQuery::NoRecord:
      ++fruitless;
      Missed = true;
      break;
    case TQuery::End: Handle.Reset(); break;
    }
  }
  Handle.Reset(); // ended, or gave up: no more queries
  return nullptr;
}

// Starts the enumeration with the first record in the buffer; false when
// there is none or it cannot be fetched. A first call whose buffer is too
// small returns no handle, so the start is repeated with a bigger one.
bool TUrlCacheRecords::Start(const char *selector) {
  DWORD size = Buffer.Capacity();
  Handle.Reset(Api.FindFirstUrlCacheEntryA(selector, Buffer.Data(), &size));
  if (Handle) return true;
  if (Api.GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= Buffer.Capacity()) return false;
  Buffer.Reserve(size);
  size = Buffer.Capacity();
  Handle.Reset(Api.FindFirstUrlCacheEntryA(selector, Buffer.Data(), &size));
  return static_cast<bool>(Handle);
}

// Fetches the next record into the buffer. A buffer too small for it is
// grown and the fetch repeated once; if that fails the record is skipped.
TUrlCacheRecords::TQuery TUrlCacheRecords::QueryNext() {
  DWORD size = Buffer.Capacity();
  if (Api.FindNextUrlCacheEntryA(Handle.Get(), Buffer.Data(), &size)) return TQuery::Record;
  const DWORD code = Api.GetLastError();
  if (code == ERROR_NO_MORE_ITEMS) return TQuery::End;
  if (code != ERROR_INSUFFICIENT_BUFFER) return TQuery::NoRecord;
  Buffer.Reserve(size);
  size = Buffer.Capacity();
  return Api.FindNextUrlCacheEntryA(Handle.Get(), Buffer.Data(), &size) ? TQuery::Record
                                                                        : TQuery::NoRecord;
}
