// The dialog's lists over the background reader: each list shows what a
// clean with its section's choice deletes, the rows are those of a walk, a
// cache that changes shows up after the next read without a new error box,
// and the reader itself: one read at a time, requests served together, a
// stop that cancels the read under way.
#include <gmock/gmock.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "CacheReader.h"
#include "DialogTestKit.h"
#include "Masks.h"
#include "WalkSweep.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using TRows = std::vector<std::string>;

const std::pair<const char *, uint64_t> kEntries[] = {
    {"http://www.example.com/index.htm", 2048},
    {"http://news.example.com/a.gif", 17},
    {"http://news.example.org/story", 5},
    {"Cookie:user@news.example.com/", 0},
    {"Cookie:user@shop.example.net/", 0},
    {"Visited:user@http://news.example.com/", 0},
    {"Visited:user@http://www.example.com/index.htm", 0},
};

void Seed(TMemoryUrlCache &cache) {
  for (const auto &[url, size] : kEntries)
    cache.Add(url, std::nullopt, size);
}

class ReaderFixture : public DialogFixture {
protected:
  ReaderFixture() { Seed(Cache); }
};

// The URLs of a list's rows.
TRows UrlsOf(const TListView &list) {
  TRows urls;
  for (size_t row = 0; row < list.RowCount(); ++row)
    urls.emplace_back(list.Cell(row, 0));
  return urls;
}

TEST_F(ReaderFixture, EachListShowsWhatTheCleanOfItsChoiceDeletes) {
  const char *const masks[] = {"*news*", "*", "*www*", "[", ""};
  const TCategory categories[] = {TCategory::Cache, TCategory::Cookies, TCategory::History};
  for (int32_t type : {0, 1, 2}) {
    for (const char *mask : masks) {
      SCOPED_TRACE("type " + std::to_string(type) + " mask '" + mask + "'");
      const std::string t = std::to_string(type);
      WriteIni("[IE Norvane]\r\nDeleteCacheType=" + t + "\r\nDeleteCookiesType=" + t +
               "\r\nDeleteHistoryType=" + t + "\r\nCacheMask=" + mask + "\r\nCookiesMask=" + mask +
               "\r\nHistoryMask=" + mask + "\r\n");
      std::map<TCategory, TRows> listed;
      View = {};
      Configure({[&](TConfForm &f) {
        for (TCategory c : categories)
          listed[c] = UrlsOf(f.Section(c).List);
      }});
      // The oracle: a clean of the same settings on a copy of the cache,
      // and for a type no clean sweeps, a walk of the prefix and the mask.
      TStandInPlatform copy;
      Seed(copy.Cache);
      TIENorvane cleaner(copy);
      cleaner.LoadSettings(IniPath(), Section);
      std::map<TCategory, TRows> deleted;
      bool cleanFailed = false;
      try {
        cleaner.Clean([&](TCategory c, const TCacheEntryView &e, TDeleteResult) {
          deleted[c].emplace_back(e.Url);
        });
      } catch (const EMaskException &) {
        cleanFailed = true;
      }
      EXPECT_EQ(cleanFailed, std::string(mask) == "[" && type == 1);
      for (TCategory c : categories) {
        TRows expected;
        if (type == 2) {
          try {
            Walk(*this, CategoryPrefix(c) + std::string(mask),
                 [&](const TCacheEntryView &e) { expected.emplace_back(e.Url); });
          } catch (const EMaskException &) {
          }
        } else {
          expected = deleted[c];
        }
        // A malformed mask stops the clean and empties every list it uses.
        EXPECT_EQ(listed[c], expected) << CategoryPrefix(c);
      }
      // A malformed mask is reported where its list uses it, not for "all".
      const bool reported = !View.Failures.empty();
      EXPECT_EQ(reported, std::string(mask) == "[" && type != 0);
    }
  }
}

// The controls the stored settings were put into give those settings back,
// and each list holds what the cleaner's selection of its category chooses
// of the dialog's own snapshots, its kept count what that selection held back.
TEST_F(ReaderFixture, ListsAreTheSelectionOfTheSettingsTheControlsHold) {
  Cache.Add("https://news.example.com/app.js", std::nullopt, 9);
  const char *const sections[] = {
      "",
      "DeleteCacheType=1\r\nCacheMask=*news*\r\nDeleteCacheHttps=1\r\n",
      "DeleteCookiesType=1\r\nCookiesMask=*shop*\r\nKeepSites=news.example.com\r\n",
      "DeleteHistory=0\r\nDeleteCacheHttps=1\r\nKeepSites=www.example.com;example.org\r\n",
      "DeleteCacheType=1\r\nCacheMask=*.org*\r\nDeleteHistoryType=1\r\nHistoryMask=*www*\r\n",
  };
  for (const char *section : sections) {
    SCOPED_TRACE(section);
    WriteIni(std::string("[IE Norvane]\r\n") + section);
    TIENorvane stored(*this);
    stored.LoadSettings(IniPath(), Section);
    View = {};
    Configure({[&](TConfForm &f) {
      CleanerSettings shown;
      TakeSettingsFrom(f, shown);
      EXPECT_EQ(shown, stored.Settings);
      for (TCategory c : kAllCategories) {
        const TSelection selection = SelectFrom(SweepsOf(f.ListSettings(c), c), f.ReadEntries(),
                                                LeadBytes(), stored.SitesToKeep());
        TRows selected;
        for (const TSelectedCategory &part : selection.Sweeps)
          for (const TCacheEntry &entry : part.Entries)
            selected.push_back(entry.Url);
        EXPECT_EQ(UrlsOf(f.Section(c).List), selected) << CategoryPrefix(c);
        const uint64_t kept = selection.KeptOf(c).Count;
        EXPECT_EQ(f.Section(c).Kept.Caption(), kept ? std::to_string(kept) + " kept" : "");
        if (stored.Settings.Enabled(c)) {
          EXPECT_EQ(selection.EntryCount(), stored.Select(c).EntryCount()) << "the clean's own";
        }
      }
    }});
    EXPECT_THAT(View.Failures, IsEmpty());
  }
}

TEST_F(ReaderFixture, ClickingAChoiceRefreshesItsList) {
  WriteIni("[IE Norvane]\r\nDeleteCacheType=1\r\nCacheMask=*.org*\r\n");
  std::vector<TRows> seen;
  auto note = [&](TConfForm &f) { seen.push_back(UrlsOf(f.lvCache)); };
  Configure({note, [](TConfForm &f) { f.rbDeleteCacheAll.SetChecked(true); }, note,
             [](TConfForm &f) { f.rbDeleteCacheMask.SetChecked(true); }, note});
  const TRows all = {"http://www.example.com/index.htm", "http://news.example.com/a.gif",
                     "http://news.example.org/story"};
  EXPECT_THAT(seen, ElementsAre(TRows{"http://news.example.org/story"}, all,
                                TRows{"http://news.example.org/story"}));
}

TEST_F(ReaderFixture, RowsMatchedFromTheSnapshotAreThoseOfAWalk) {
  WriteIni("[IE Norvane]\r\nDeleteCacheType=1\r\nDeleteCookiesType=1\r\n");
  Cache.Add("http://www.example.com/big.iso", "C:\\Cache\\Y\\big[1].iso", 4294967296ull);
  Cache.Add("HTTP://WWW.EXAMPLE.COM/upper", "", 0);
  std::vector<TScriptedFormView::TAction> script;
  for (const char *mask : {"*", "*example.com*", "www.*", "*[a-m].*", "*?*", ""}) {
    script.push_back([mask](TConfForm &f) {
      f.edtCacheMask.TextEdited(mask);
      f.edtCookiesMask.TextEdited(mask);
    });
    // The next action, once the read the edits asked for has ended: the
    // stand-in cache may be walked then.
    script.push_back([this, mask](TConfForm &f) {
      for (TCategory category : {TCategory::Cache, TCategory::Cookies}) {
        const TListView &list = f.Section(category).List;
        TListView walked("walked", nullptr, {}, 0, {});
        FillFromWalk(*this, walked, CategoryPrefix(category) + f.Mask(category));
        EXPECT_EQ(RowsOf(list), RowsOf(walked)) << list.Name << " mask '" << mask << "'";
      }
    });
  }
  Configure(script);
  EXPECT_THAT(View.Failures, IsEmpty());
}

TEST_F(ReaderFixture, ACacheChangedBetweenFillsShowsUpAfterTheNextRead) {
  WriteIni("[IE Norvane]\r\nDeleteCacheType=1\r\nCacheMask=*news*\r\n");
  const std::string added = "http://news.example.net/new";
  TRows atTheEdit, afterTheRead, afterActivation;
  Configure({[&](TConfForm &f) {
               // The reader is idle between actions: the cache may change.
               Cache.Add(added, std::nullopt, 1);
               f.edtCacheMask.TextEdited("*news.*");
               atTheEdit = UrlsOf(f.lvCache); // the entries read before
             },
             [&](TConfForm &f) {
               afterTheRead = UrlsOf(f.lvCache);
               Cache.Delete({added.c_str(), nullptr, 1});
               f.Activated(); // as when the dialog is activated again
             },
             [&](TConfForm &f) { afterActivation = UrlsOf(f.lvCache); }});
  EXPECT_THAT(atTheEdit,
              ElementsAre("http://news.example.com/a.gif", "http://news.example.org/story"));
  EXPECT_THAT(afterTheRead,
              ElementsAre("http://news.example.com/a.gif", "http://news.example.org/story", added));
  EXPECT_EQ(afterActivation, atTheEdit);
}

TEST_F(ReaderFixture, AMalformedListStaysEmptyAfterARefreshWithoutANewBox) {
  WriteIni("[IE Norvane]\r\nDeleteCacheType=1\r\n");
  TRows afterRefresh, afterCorrection;
  Configure({[](TConfForm &f) { f.edtCacheMask.TextEdited("*["); },
             [&](TConfForm &f) {
               Cache.Add("http://news.example.net/new", std::nullopt, 1);
               f.Activated();
             },
             [&](TConfForm &f) {
               afterRefresh = UrlsOf(f.lvCache);
               f.edtCacheMask.TextEdited("*.net*");
               afterCorrection = UrlsOf(f.lvCache);
             }});
  EXPECT_THAT(View.Failures, ElementsAre("'http://*[' is an invalid mask at (10)"));
  EXPECT_THAT(afterRefresh, IsEmpty());
  EXPECT_THAT(afterCorrection, ElementsAre("http://news.example.net/new"));
}

TEST_F(ReaderFixture, ActivationDuringAReadAsksForNoOther) {
  const uint64_t enumerations = Cache.Calls().Enumerate;
  TFormWithReader rig(*this);
  rig.Form.Activated(); // the first read is still outstanding
  rig.Settle();
  EXPECT_EQ(Cache.Calls().Enumerate, enumerations + 3) << "one read of three categories";
  rig.Form.Activated();
  rig.Settle();
  EXPECT_EQ(Cache.Calls().Enumerate, enumerations + 6);
}

// ---- The reader itself ----

// A dialog thread that runs posted work on the poster's thread, recording
// what the reader hands over.
class TRecordingSink : public IDialogThread, public ICacheReadSink {
public:
  void Post(std::function<void()> work) override { work(); }
  void CategoryRead(TCategory category, std::shared_ptr<const TCacheSnapshot> entries) override {
    const std::lock_guard guard(Lock);
    Read.push_back({category, entries->Count(category)});
    Last[category] = std::move(entries);
  }
  void ReadEnded(uint64_t request) override {
    {
      const std::lock_guard guard(Lock);
      Ended.push_back(request);
    }
    Changed.notify_all();
  }
  void ReadFailed(const std::string &) override {}

  // Waits until a read that served `request` has ended.
  bool WaitForEnd(uint64_t request) {
    std::unique_lock guard(Lock);
    return Changed.wait_for(guard, std::chrono::seconds(10),
                            [&] { return !Ended.empty() && Ended.back() >= request; });
  }

  std::mutex Lock;
  std::condition_variable Changed;
  std::vector<std::pair<TCategory, size_t>> Read;
  std::map<TCategory, std::shared_ptr<const TCacheSnapshot>> Last;
  std::vector<uint64_t> Ended;
};

// Holds the worker inside the cache's enumeration until released.
class TGate {
public:
  void Hold() {
    std::unique_lock guard(Lock);
    Entered = true;
    Changed.notify_all();
    Changed.wait(guard, [&] { return Open; });
  }
  void WaitEntered() {
    std::unique_lock guard(Lock);
    Changed.wait(guard, [&] { return Entered; });
  }
  void Release() {
    {
      const std::lock_guard guard(Lock);
      Open = true;
    }
    Changed.notify_all();
  }

private:
  std::mutex Lock;
  std::condition_variable Changed;
  bool Entered = false, Open = false;
};

TEST(BackgroundReader, ServesTheRequestsOfAReadTogetherAndHandsOverOnlyChanges) {
  TStandInPlatform platform;
  Seed(platform.Cache);
  TGate gate;
  std::atomic<int> delivered{0};
  platform.Cache.OnDelivered([&](const std::string &) {
    if (delivered++ == 0) gate.Hold(); // the first read's first entry
  });
  TRecordingSink sink;
  TBackgroundReader reader(platform.Cache, sink, sink, std::chrono::milliseconds(0));
  EXPECT_EQ(reader.Request(), 1u);
  gate.WaitEntered();
  // Three more while the first read runs: one read serves them all.
  EXPECT_EQ(reader.Request(), 2u);
  EXPECT_EQ(reader.Request(), 3u);
  EXPECT_EQ(reader.Request(), 4u);
  gate.Release();
  ASSERT_TRUE(sink.WaitForEnd(4));
  reader.Stop();
  EXPECT_EQ(platform.Cache.Calls().Enumerate, 6u) << "two reads of three categories";
  EXPECT_THAT(sink.Ended, ElementsAre(1u, 4u));
  // The first read hands over every category in the read order; the second
  // nothing, as nothing changed.
  using TRead = std::pair<TCategory, size_t>;
  EXPECT_THAT(sink.Read, ElementsAre(TRead{TCategory::Cookies, 2}, TRead{TCategory::History, 2},
                                     TRead{TCategory::Cache, 7}));
}

TEST(BackgroundReader, ReadsAgainOnlyOnceRequestsHavePaused) {
  TStandInPlatform platform;
  Seed(platform.Cache);
  TRecordingSink sink;
  const auto pause = std::chrono::milliseconds(400);
  TBackgroundReader reader(platform.Cache, sink, sink, pause);
  const auto first = std::chrono::steady_clock::now();
  reader.Request();
  ASSERT_TRUE(sink.WaitForEnd(1));
  EXPECT_LT(std::chrono::steady_clock::now() - first, pause) << "the first read starts at once";
  // A burst, as keystrokes make it: one read after it.
  const auto burst = std::chrono::steady_clock::now();
  for (int i = 0; i < 5; ++i)
    reader.Request();
  ASSERT_TRUE(sink.WaitForEnd(6));
  EXPECT_GE(std::chrono::steady_clock::now() - burst, pause);
  reader.Stop();
  EXPECT_THAT(sink.Ended, ElementsAre(1u, 6u));
  EXPECT_EQ(platform.Cache.Calls().Enumerate, 6u);
}

using TRead = std::pair<TCategory, size_t>;

// However the platform lists the cookie and history containers (with the
// content, as Wine, or apart, as Windows documents), a read hands over each
// category's entries as its own enumeration lists them, the small ones
// first, and asks the platform for each entry once.
TEST(BackgroundReader, HandsOverEachCategoryOnceListedEitherWay) {
  using TListing = TMemoryUrlCache::TListing;
  for (const auto &[listing, enumerations] :
       {std::pair{TListing::WithContent, 1u}, std::pair{TListing::Apart, 3u}}) {
    SCOPED_TRACE(listing == TListing::Apart ? "apart" : "with the content");
    TMemoryUrlCache cache(listing);
    Seed(cache);
    TRecordingSink sink;
    TBackgroundReader reader(cache, sink, sink, std::chrono::milliseconds(0));
    reader.Request();
    ASSERT_TRUE(sink.WaitForEnd(1));
    reader.Stop();
    // Each entry fetched once, and one query ending each enumeration.
    EXPECT_EQ(cache.Calls().Next, std::size(kEntries) + enumerations);
    EXPECT_THAT(sink.Read,
                ElementsAre(TRead{TCategory::Cookies, 2}, TRead{TCategory::History, 2},
                            TRead{TCategory::Cache, listing == TListing::Apart ? 3 : 7}));
    TCacheSnapshot own;
    for (TCategory category : kReadOrder) {
      ASSERT_TRUE(own.Read(cache, category));
      EXPECT_TRUE(sink.Last[category]->SameAs(own, category)) << CategoryPrefix(category);
    }
  }
}

TEST(BackgroundReader, StopCancelsTheReadUnderWay) {
  for (auto listing : {TMemoryUrlCache::TListing::WithContent, TMemoryUrlCache::TListing::Apart}) {
    TMemoryUrlCache cache(listing);
    for (int i = 0; i < 20000; ++i)
      cache.Add("http://h" + std::to_string(i) + ".example/", std::nullopt, 1);
    TGate gate;
    std::atomic<int> delivered{0};
    cache.OnDelivered([&](const std::string &) {
      if (delivered++ == 0) gate.Hold();
    });
    TRecordingSink sink;
    auto reader = std::make_unique<TBackgroundReader>(cache, sink, sink);
    reader->Request();
    gate.WaitEntered(); // inside the http enumeration
    std::thread stopper([&] { reader.reset(); });
    // Let the stopper ask for the stop before the worker goes on.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    gate.Release();
    stopper.join();
    // Listed apart, the cookies and history (none) were handed over before.
    if (listing == TMemoryUrlCache::TListing::Apart)
      EXPECT_THAT(sink.Read,
                  ElementsAre(TRead{TCategory::Cookies, 0}, TRead{TCategory::History, 0}));
    else
      EXPECT_THAT(sink.Read, IsEmpty());
    EXPECT_THAT(sink.Ended, IsEmpty()) << "the cancelled read hands over nothing more";
    EXPECT_LT(delivered.load(), 100);
    EXPECT_EQ(cache.OpenEnumerations(), 0u);
  }
}

// While the dialog holds the reader (it handles the user's input), the read
// under way fetches no further entry; it goes on once released, and a stop
// ends it all the same.
TEST(BackgroundReader, AHeldReadWaitsBetweenEntriesUntilReleasedOrStopped) {
  for (const bool stopWhileHeld : {false, true}) {
    SCOPED_TRACE(stopWhileHeld ? "stopped while held" : "released");
    TStandInPlatform platform;
    Seed(platform.Cache);
    TGate gate;
    std::atomic<int> delivered{0};
    platform.Cache.OnDelivered([&](const std::string &) {
      if (delivered++ == 0) gate.Hold();
    });
    TRecordingSink sink;
    auto reader = std::make_unique<TBackgroundReader>(platform.Cache, sink, sink,
                                                      std::chrono::milliseconds(0));
    reader->Request();
    gate.WaitEntered();
    reader->Hold();
    gate.Release();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(delivered.load(), 1) << "no entry fetched while held";
    if (stopWhileHeld) {
      reader.reset();
      EXPECT_THAT(sink.Ended, IsEmpty());
      continue;
    }
    reader->Release();
    ASSERT_TRUE(sink.WaitForEnd(1));
    EXPECT_EQ(delivered.load(), static_cast<int>(std::size(kEntries)));
  }
}

} // namespace
