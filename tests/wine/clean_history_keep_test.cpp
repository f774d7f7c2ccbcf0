// The COM history store with sites to keep, under Wine: the real URL history
// object is created and asked for its interface, and the calls that list and
// delete its URLs go to a small stand-in enumerator handing out a few URLs,
// so that what is deleted, freed and released can be seen; a clean with
// sites to keep never empties the store whole; and what Wine's own store
// answers when it is to be listed.
#include <windows.h>

#include <objbase.h>
#include <urlhist.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "CacheSeeder.h"
#include "FaultyWin32Api.h"
#include "IENorvaneU.h"
#include "KeepSites.h"
#include "Win32HistoryStore.h"
#include "Win32Platform.h"

namespace {

// Strings a stand-in handed out with CoTaskMemAlloc, and what was freed
// through the call table.
class TAllocations {
public:
  wchar_t *Copy(const std::wstring &text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto *copy = static_cast<wchar_t *>(CoTaskMemAlloc(bytes));
    std::memcpy(copy, text.c_str(), bytes);
    Live.insert(copy);
    ++Count;
    return copy;
  }
  // The table's CoTaskMemFree: frees a string handed out and not yet freed
  // as the system does; counts anything else (and does not free it).
  void Free(void *memory) {
    if (!memory) return;
    if (Live.erase(memory) == 0) {
      ++Strays;
      return;
    }
    CoTaskMemFree(memory);
  }
  // Whether every string handed out was freed exactly once, and nothing else.
  bool AllFreedOnce() const { return Live.empty() && Strays == 0; }
  size_t HandedOut() const { return Count; }

private:
  std::set<void *> Live;
  size_t Count = 0;
  unsigned Strays = 0;
};

// A stand-in IEnumSTATURL over a fixed list of URLs (nullopt: an entry
// without a URL). It lives on the test's stack: Release never deletes it,
// and nothing deletes it through the interface, whose destructor is not
// virtual (COM objects go by Release).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class TFakeUrlEnumerator : public IEnumSTATURL {
public:
  TFakeUrlEnumerator(std::vector<std::optional<std::wstring>> urls, TAllocations &allocations)
      : Urls(std::move(urls)), Allocations(allocations) {}

  ULONG References = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumSTATURL)) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++References; }
  ULONG STDMETHODCALLTYPE Release() override { return --References; }
  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, STATURL *url, ULONG *fetched) override {
    if (wanted != 1 || !url) return E_INVALIDARG;
    if (fetched) *fetched = 0;
    if (Position == Urls.size()) return S_FALSE;
    const std::optional<std::wstring> &next = Urls[Position++];
    url->pwcsUrl = next ? Allocations.Copy(*next) : nullptr;
    url->pwcsTitle = Allocations.Copy(L"title");
    if (fetched) *fetched = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumSTATURL **) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetFilter(LPCOLESTR, DWORD) override { return E_NOTIMPL; }

private:
  std::vector<std::optional<std::wstring>> Urls;
  TAllocations &Allocations;
  size_t Position = 0;
};
#pragma GCC diagnostic pop

std::string Narrow(const std::wstring &wide) { return std::string(wide.begin(), wide.end()); }

// The real platform's calls, but listing and deleting the store's URLs
// through a stand-in enumerator; records every DeleteUrl.
class HistoryKeep : public ::testing::Test {
protected:
  void Stand(std::vector<std::optional<std::wstring>> urls) {
    Enumerator.emplace(std::move(urls), Allocations);
    Faulty.Replace(TWin32Call::EnumUrls,
                   TWin32Replacement<decltype(TWin32Api::EnumUrls)>(
                       [this](IUrlHistoryStg2 *, IEnumSTATURL **out) -> HRESULT {
                         Enumerator->AddRef();
                         *out = &*Enumerator;
                         return S_OK;
                       }));
    Faulty.Replace(TWin32Call::DeleteUrl,
                   TWin32Replacement<decltype(TWin32Api::DeleteUrl)>(
                       [this](IUrlHistoryStg2 *, LPCOLESTR url) -> HRESULT {
                         Deleted.push_back(Narrow(url));
                         return Refused.contains(Deleted.back()) ? E_ACCESSDENIED : S_OK;
                       }));
    Faulty.Replace(TWin32Call::CoTaskMemFree,
                   TWin32Replacement<decltype(TWin32Api::CoTaskMemFree)>(
                       [this](void *memory) { Allocations.Free(memory); }));
  }

  // The store's answer with sites `keep` to keep.
  THistoryAnswer DeleteUrlsExcept(const char *keep) {
    const TKeepSites sites = TKeepSites::Parse(keep);
    return TWin32HistoryStore(Faulty.Api()).DeleteUrlsExcept([&](const std::string &url) {
      return sites.Keeps(url);
    });
  }

  TFaultyWin32Api Faulty;
  TAllocations Allocations;
  std::optional<TFakeUrlEnumerator> Enumerator;
  std::vector<std::string> Deleted;
  std::set<std::string> Refused;
};

const std::vector<std::optional<std::wstring>> kStoreUrls = {L"http://www.example.com/a.htm",
                                                             L"https://mail.example.com/",
                                                             L"http://badexample.com/",
                                                             std::nullopt,
                                                             L"http://other.org/x?y=1",
                                                             L"ftp://example.com/f.zip",
                                                             L"about:blank"};

TEST_F(HistoryKeep, DeletesEveryUrlNoSiteKeepsAndFreesEveryString) {
  const struct {
    const char *Keep;
    std::set<std::string> Refused;
    std::vector<std::string> Deleted;
    uint64_t Left, NotDeleted;
  } cases[] = {
      {"example.com",
       {},
       {"http://badexample.com/", "http://other.org/x?y=1", "about:blank"},
       3,
       0},
      {"other.org;*.EXAMPLE.com", {"about:blank"}, {"http://badexample.com/", "about:blank"}, 4, 1},
      {"badexample.com;example.com;other.org", {}, {"about:blank"}, 5, 0},
      {"unlisted.test",
       {},
       {"http://www.example.com/a.htm", "https://mail.example.com/", "http://badexample.com/",
        "http://other.org/x?y=1", "ftp://example.com/f.zip", "about:blank"},
       0,
       0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Keep);
    Faulty.Heal();
    Deleted.clear();
    Refused = c.Refused;
    Allocations = TAllocations();
    Stand(kStoreUrls);
    const unsigned clears = Faulty.Calls(TWin32Call::ClearHistory);

    const THistoryAnswer answer = DeleteUrlsExcept(c.Keep);

    EXPECT_TRUE(answer.Walked);
    EXPECT_EQ(answer.Code, 0);
    EXPECT_EQ(Deleted, c.Deleted) << "each URL no site keeps, in the store's order";
    EXPECT_EQ(answer.Deleted, c.Deleted.size() - c.NotDeleted);
    EXPECT_EQ(answer.NotDeleted, c.NotDeleted);
    EXPECT_EQ(answer.Left, c.Left);
    EXPECT_EQ(Faulty.Calls(TWin32Call::ClearHistory), clears);
    EXPECT_EQ(Allocations.HandedOut(), 2 * kStoreUrls.size() - 1); // one entry has no URL
    EXPECT_TRUE(Allocations.AllFreedOnce());
    EXPECT_EQ(Enumerator->References, 1u) << "the enumerator is released";
  }
}

// A listing that fails, at its start or on the way, deletes nothing: what it
// listed before is freed and the failure is the answer.
TEST_F(HistoryKeep, FailedListingDeletesNothing) {
  const struct {
    const char *Name;
    TWin32Call Call;
    unsigned Nth;
    HRESULT Result;
  } cases[] = {
      {"EnumUrls refused", TWin32Call::EnumUrls, 1, E_NOTIMPL},
      {"the first NextUrl fails", TWin32Call::NextUrl, 1, E_FAIL},
      {"the fourth NextUrl fails", TWin32Call::NextUrl, 4, E_OUTOFMEMORY},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    Faulty.Heal();
    Deleted.clear();
    Allocations = TAllocations();
    Stand(kStoreUrls);
    Faulty.Fail(c.Call, {.Nth = c.Nth, .Result = c.Result});

    const THistoryAnswer answer = DeleteUrlsExcept("example.com");

    EXPECT_TRUE(answer.Walked);
    EXPECT_EQ(answer.Code, c.Result);
    EXPECT_EQ(answer.Text, TWin32HistoryStore().OleErrorMessage(c.Result));
    EXPECT_TRUE(Deleted.empty());
    EXPECT_EQ(answer.Deleted + answer.NotDeleted, 0u);
    EXPECT_EQ(Faulty.Calls(TWin32Call::DeleteUrl), 0u);
    EXPECT_EQ(Faulty.Calls(TWin32Call::ClearHistory), 0u);
    EXPECT_TRUE(Allocations.AllFreedOnce());
    EXPECT_EQ(Enumerator->References, 1u);
  }
}

// A failure while deciding what to keep leaves the walk with nothing deleted
// and every string the store handed out freed.
TEST_F(HistoryKeep, FailureWhileDecidingFreesTheUrlsStrings) {
  Stand(kStoreUrls);
  const auto keeps = [](const std::string &url) -> bool {
    if (url.starts_with("http://badexample.com")) throw std::runtime_error("no decision");
    return false;
  };
  EXPECT_THROW(TWin32HistoryStore(Faulty.Api()).DeleteUrlsExcept(keeps), std::runtime_error);
  EXPECT_TRUE(Deleted.empty());
  EXPECT_EQ(Allocations.HandedOut(), 6u) << "three URLs listed";
  EXPECT_TRUE(Allocations.AllFreedOnce());
  EXPECT_EQ(Enumerator->References, 1u);
}

// The clean: with sites to keep and history on, the store is walked and
// never emptied whole; without, it is emptied as before.
TEST_F(HistoryKeep, CleanWithSitesToKeepNeverEmptiesTheStoreWhole) {
  for (const char *keep : {"example.com", "", " ; "}) {
    SCOPED_TRACE(std::string("'") + keep + "'");
    Faulty.Heal();
    Deleted.clear();
    Allocations = TAllocations();
    Stand(kStoreUrls);
    const unsigned clears = Faulty.Calls(TWin32Call::ClearHistory);
    const unsigned lists = Faulty.Calls(TWin32Call::EnumUrls);
    TWin32Platform platform(Faulty.Api());
    TIENorvane cleaner(platform);
    cleaner.Settings.DeleteHistory = true;
    cleaner.Settings.DeleteHistoryType = SweepTypeOf(2); // the store alone, no cache entry
    cleaner.Settings.KeepSites = keep;

    const TCleanTotals totals = cleaner.Clean();

    const bool keeps = !TKeepSites::Parse(keep).Empty();
    ASSERT_TRUE(totals.HistoryStore.has_value());
    EXPECT_EQ(totals.HistoryStore->Walked, keeps);
    EXPECT_EQ(Faulty.Calls(TWin32Call::ClearHistory) - clears, keeps ? 0u : 1u);
    EXPECT_EQ(Faulty.Calls(TWin32Call::EnumUrls) - lists, keeps ? 1u : 0u);
    const std::vector<std::string> deleted =
        keeps ? std::vector<std::string>{"http://badexample.com/", "http://other.org/x?y=1",
                                         "about:blank"}
              : std::vector<std::string>{};
    EXPECT_EQ(Deleted, deleted);
  }
  // A malformed list: the store is not asked at all.
  TWin32Platform platform(Faulty.Api());
  TIENorvane cleaner(platform);
  cleaner.Settings.DeleteHistory = true;
  cleaner.Settings.KeepSites = "example.com;mail/x";
  const unsigned created = Faulty.Calls(TWin32Call::CoCreateInstance);
  EXPECT_THROW(cleaner.Clean(), EKeepSitesException);
  EXPECT_EQ(Faulty.Calls(TWin32Call::CoCreateInstance), created);
}

// A clean of history by mask on the real cache: the store forgets the URLs
// of exactly the visits the clean deleted, and is never emptied.
TEST_F(HistoryKeep, MaskedCleanForgetsOnlyTheDeletedVisits) {
  EmptyUrlCache();
  for (const char *visit : {"Visited: jane@http://badexample.com/", "Visited: jane@about:blank",
                            "Visited: jane@http://www.example.com/a.htm"})
    SeedVisitedEntry(visit);
  Stand(kStoreUrls);
  const unsigned clears = Faulty.Calls(TWin32Call::ClearHistory);
  TWin32Platform platform(Faulty.Api());
  TIENorvane cleaner(platform);
  cleaner.Settings.DeleteHistory = true;
  cleaner.Settings.DeleteHistoryType = TSweepType::ByMask;
  cleaner.Settings.HistoryMask = "*b[al]*"; // the first two visits

  const TCleanTotals totals = cleaner.Clean();

  EXPECT_EQ(totals.History.Count, 2u);
  ASSERT_TRUE(totals.HistoryStore.has_value());
  EXPECT_TRUE(totals.HistoryStore->OnlyDeletedVisits);
  EXPECT_EQ(Faulty.Calls(TWin32Call::ClearHistory), clears);
  EXPECT_EQ(Deleted, (std::vector<std::string>{"http://badexample.com/", "about:blank"}));
  EXPECT_TRUE(UrlCacheHas("Visited: jane@http://www.example.com/a.htm"));
  EXPECT_TRUE(Allocations.AllFreedOnce());
  EmptyUrlCache();
}

// What Wine's own history store answers when it is to be listed (the real
// calls throughout): whatever it is, a clean with sites to keep never asks
// it to empty itself, and a store that cannot be listed is left alone.
TEST(HistoryKeepWine, RealStoreIsListedNotCleared) {
  TFaultyWin32Api faulty;
  const THistoryAnswer answer =
      TWin32HistoryStore(faulty.Api()).DeleteUrlsExcept([](const std::string &) { return true; });
  std::cout << "Wine's history store: EnumUrls and the walk answer code 0x" << std::hex
            << static_cast<uint32_t>(answer.Code) << std::dec << " '" << answer.Text << "', "
            << faulty.Calls(TWin32Call::NextUrl) << " NextUrl calls, " << answer.Left
            << " URLs kept\n";
  EXPECT_TRUE(answer.Walked);
  EXPECT_EQ(faulty.Calls(TWin32Call::EnumUrls), 1u);
  EXPECT_EQ(faulty.Calls(TWin32Call::ClearHistory), 0u);
  EXPECT_EQ(faulty.Calls(TWin32Call::DeleteUrl), 0u) << "every URL was kept";
  if (!answer.Cleared()) {
    EXPECT_EQ(faulty.Calls(TWin32Call::NextUrl), 0u);
    EXPECT_FALSE(answer.Text.empty());
  }
}

} // namespace
