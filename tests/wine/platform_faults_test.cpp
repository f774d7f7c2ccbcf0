// The plug-in's own frame of the working calls (CleanOn, ConfigureOn) over
// the real platform whose calls fail on purpose: TWin32Platform built on a
// fault-injecting call table, against the real URL cache, COM and INI files
// of the Wine prefix. This process stands in for the host. Whatever fails,
// the host lives on, the report counts only what was really deleted, and the
// host's INI file stays whole.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>

#include "CacheSeeder.h"
#include "FaultyWin32Api.h"
#include "HostBuffer.h"
#include "IENorvaneU.h"
#include "IniFiles.h"
#include "PluginCalls.h"
#include "PortableIniStore.h"
#include "TempDir.h"
#include "Win32FileSystem.h"
#include "Win32Platform.h"
#include "frmIENorvane.h"

namespace {

constexpr const char *kSection = "IE Norvane";

// The host's file: another program's section, and ours with a value that
// loads as 1 but is written back as "1", so that a save changes the file.
const std::string kHostIni = "[Host]\r\nWindow=1,2\r\n[IE Norvane]\r\nDeleteCache=01\r\n";

// A view that lets the dialog read the cache, then clicks OK as the message
// loop would (a failure is shown in the error box, here recorded) and, when
// the dialog stays open after a refused save, cancels.
class TAcceptingView : public IFormView {
public:
  explicit TAcceptingView(TConfForm &form, std::vector<std::string> &failures)
      : Form(form), Failures(failures) {
    Form.AttachView(this);
  }
  ~TAcceptingView() override { Form.AttachView(nullptr); }
  TAcceptingView(const TAcceptingView &) = delete;
  TAcceptingView &operator=(const TAcceptingView &) = delete;

  void ShowModal() override {
    Form.Shown();
    Settle();
    Form.HandleEvent([this] { Form.BitBtn2Click(); });
    if (Form.ModalResult == mrNone) Form.BitBtn1Click();
  }
  void ShowFailure(const std::string &message) override { Failures.push_back(message); }
  void FocusAtEnd(TEdit &) override {}
  void Post(std::function<void()> work) override {
    {
      const std::lock_guard guard(Lock);
      Queue.push_back(std::move(work));
    }
    Arrived.notify_one();
  }

private:
  // Runs the work the reader posts, on this thread, until no read is
  // outstanding (at most 10 s).
  void Settle() {
    for (;;) {
      std::deque<std::function<void()>> batch;
      {
        std::unique_lock guard(Lock);
        if (!Arrived.wait_for(guard, std::chrono::seconds(10),
                              [&] { return !Queue.empty() || !Form.ReadingCache(); })) {
          ADD_FAILURE() << "the dialog's reader delivers nothing";
          return;
        }
        batch.swap(Queue);
      }
      if (batch.empty()) return;
      for (const auto &work : batch)
        Form.HandleEvent(work);
    }
  }

  TConfForm &Form;
  std::vector<std::string> &Failures;
  std::mutex Lock;
  std::condition_variable Arrived;
  std::deque<std::function<void()>> Queue;
};

// The platform of the DLL with the portable INI store in place of the
// private-profile calls, its files reached through the same call table.
class TPortableStorePlatform : public TWin32Platform {
public:
  explicit TPortableStorePlatform(const TWin32Api &api)
      : TWin32Platform(api), Files(api), Store(Files) {}
  IProfileStore &Profiles() override { return Store; }

private:
  TWin32FileSystem Files;
  TPortableIniStore Store;
};

class PlatformFaults : public ::testing::Test {
protected:
  void SetUp() override {
    EmptyUrlCache();
    for (const TSampleEntry &seed : SampleCacheEntries())
      SeedEntry(seed.Url, seed.Size);
    WriteFileBytes(Ini, kHostIni);
  }

  void TearDown() override {
    EXPECT_EQ(ReadFileBytes(Ini), kHostIni) << "the host's INI file changed";
    EXPECT_EQ(ConfForm, nullptr);
    ExpectHostCarriesOn();
    EmptyUrlCache();
  }

  // ExecClearProc's work over the faulty table.
  bool Clean(THostBuffer &buffer) {
    TWin32Platform platform(Faulty.Api());
    return CleanOn(platform, Ini.c_str(), kSection, buffer.Variable());
  }

  // GetConfigString's work over `platform`, the user accepting the dialog
  // (and cancelling it when the save is refused).
  bool Configure(IPlatform &platform, THostBuffer &buffer) {
    const TFormViewFactory accepting = [this](TConfForm &form) {
      return std::make_unique<TAcceptingView>(form, Shown);
    };
    return ConfigureOn(platform, accepting, Ini.c_str(), kSection, buffer.Variable());
  }

  // The seeded entries that are gone, and their sizes added up.
  std::set<std::string> Gone() const {
    std::set<std::string> gone;
    const std::vector<std::string> left = SortedCacheUrls();
    for (const TSampleEntry &seed : SampleCacheEntries())
      if (!std::binary_search(left.begin(), left.end(), seed.Url)) gone.insert(seed.Url);
    return gone;
  }
  uint64_t BytesGone() const {
    uint64_t bytes = 0;
    for (const TSampleEntry &seed : SampleCacheEntries())
      if (Gone().contains(seed.Url)) bytes += seed.Size;
    return bytes;
  }
  static std::string Report(uint64_t bytes) {
    return "Exempted space is " + std::to_string(bytes) + " bytes";
  }

  // The host can go on calling the plug-in over the system's own table.
  void ExpectHostCarriesOn() {
    const std::string ini = Dir.File("all-off.ini");
    WriteFileBytes(ini, "[IE Norvane]\r\nDeleteCache=0\r\nDeleteCookies=0\r\nDeleteHistory=0\r\n");
    TWin32Platform platform;
    THostBuffer buffer;
    EXPECT_TRUE(CleanOn(platform, ini.c_str(), kSection, buffer.Variable()));
    EXPECT_EQ(buffer.Text(), Report(0));
  }

  // The entries a clean with the host file's settings selects (every
  // category, type 0: each URL with a "." after its prefix).
  static std::set<std::string> Selected() {
    return {"http://www.example.com/index.html",
            "http://www.example.com/logo.gif",
            "http://news.example.org/story/today.html",
            "Cookie:john@example.com/",
            "Cookie:john@ads.tracker.net/",
            "Visited: john@http://www.example.com/index.html",
            "Visited: john@http://news.example.org/story/today.html"};
  }

  TTempDir Dir;
  const std::string Ini = Dir.File("host.ini");
  TFaultyWin32Api Faulty;
  std::vector<std::string> Shown; // the dialog's error boxes
};

TEST_F(PlatformFaults, EnumerationThatCannotStartCleansNothing) {
  Faulty.Fail(TWin32Call::FindFirstUrlCacheEntryA, {.ForGood = true});
  THostBuffer buffer;
  ASSERT_TRUE(Clean(buffer));
  EXPECT_EQ(buffer.Text(), Report(0));
  EXPECT_TRUE(Gone().empty());
  EXPECT_EQ(Faulty.Calls(TWin32Call::FindNextUrlCacheEntryA), 0u);
  EXPECT_EQ(Faulty.Calls(TWin32Call::DeleteUrlCacheEntryA), 0u);
  EXPECT_EQ(Faulty.Calls(TWin32Call::ClearHistory), 1u); // the history store is still emptied
}

TEST_F(PlatformFaults, NextEntryQueryFailingForEverEndsEveryWalk) {
  // A code WinInet does not document for the query, every time: each walk
  // offers its first entry and gives up after the bound. Wine lists the
  // cookie container first with the content, so the http walk's first entry
  // is a cookie, which the cookie sweep takes from it; the history sweep
  // walks on its own, as the http walk met none of its entries.
  Faulty.Fail(TWin32Call::FindNextUrlCacheEntryA, {.ForGood = true, .Error = ERROR_GEN_FAILURE});
  THostBuffer buffer;
  ASSERT_TRUE(Clean(buffer));
  EXPECT_EQ(Faulty.Calls(TWin32Call::FindNextUrlCacheEntryA),
            2 * TWin32UrlCache::kMaxFruitlessQueries);
  EXPECT_EQ(buffer.Text(), Report(BytesGone()));
  EXPECT_LE(Gone().size(), 3u);
  for (const std::string &url : Gone())
    EXPECT_TRUE(Selected().contains(url)) << url;
}

TEST_F(PlatformFaults, RefusedDeleteCountsOnlyWhatWent) {
  Faulty.Fail(TWin32Call::DeleteUrlCacheEntryA, {.Nth = 2});
  THostBuffer buffer;
  ASSERT_TRUE(Clean(buffer));
  EXPECT_EQ(Faulty.Failures(TWin32Call::DeleteUrlCacheEntryA), 1u);
  EXPECT_EQ(Gone().size(), Selected().size() - 1);
  EXPECT_EQ(buffer.Text(), Report(BytesGone()));
}

TEST_F(PlatformFaults, EntriesInUseStayAndCountNothing) {
  Faulty.Fail(TWin32Call::DeleteUrlCacheEntryA,
              {.ForGood = true, .Error = ERROR_SHARING_VIOLATION});
  THostBuffer buffer;
  ASSERT_TRUE(Clean(buffer));
  EXPECT_EQ(Faulty.Failures(TWin32Call::DeleteUrlCacheEntryA), Selected().size());
  EXPECT_TRUE(Gone().empty());
  EXPECT_EQ(buffer.Text(), Report(0));
}

TEST_F(PlatformFaults, HistoryObjectThatCannotBeCreated) {
  Faulty.Fail(TWin32Call::CoCreateInstance, {.ForGood = true, .Result = E_ACCESSDENIED});
  {
    // The failure the frame turns into false: the system's text and code.
    TWin32Platform platform(Faulty.Api());
    TIENorvane cleaner(platform);
    cleaner.LoadSettings(Ini, kSection);
    std::set<std::string> deleted;
    try {
      cleaner.Clean([&](TCategory, const TCacheEntryView &entry, TDeleteResult result) {
        if (result == TDeleteResult::Deleted) deleted.insert(entry.Url);
      });
      ADD_FAILURE() << "no EOleSysError";
    } catch (const EOleSysError &e) {
      EXPECT_EQ(e.Message(), "Access denied"); // the system's text, its full stop cut
      EXPECT_EQ(e.ErrorCode, E_ACCESSDENIED);
    }
    EXPECT_EQ(deleted, Gone()); // the sweeps before it deleted what they counted
    EXPECT_EQ(deleted, Selected());
  }
  THostBuffer buffer;
  EXPECT_FALSE(Clean(buffer));
  EXPECT_TRUE(buffer.Untouched()); // the host's text as it stood
  EXPECT_EQ(Faulty.Calls(TWin32Call::CoUninitialize), Faulty.Calls(TWin32Call::CoInitialize));
}

TEST_F(PlatformFaults, HistoryObjectWithoutTheClearingInterface) {
  Faulty.Fail(TWin32Call::QueryInterface, {.ForGood = true, .Result = E_NOINTERFACE});
  {
    TWin32Platform platform(Faulty.Api());
    try {
      platform.History().Clear();
      ADD_FAILURE() << "no EIntfCastError";
    } catch (const EIntfCastError &e) {
      EXPECT_EQ(e.Message(), "Interface not supported");
    }
  }
  EXPECT_EQ(Faulty.Calls(TWin32Call::Release), 1u); // the object is released on the way out
  THostBuffer buffer;
  EXPECT_FALSE(Clean(buffer));
  EXPECT_TRUE(buffer.Untouched());
  EXPECT_EQ(Gone(), Selected());
  EXPECT_EQ(Faulty.Calls(TWin32Call::Release), 2u);
  EXPECT_EQ(Faulty.Calls(TWin32Call::CoUninitialize), Faulty.Calls(TWin32Call::CoInitialize));
}

TEST_F(PlatformFaults, RefusedProfileWrite) {
  // The first call is the flush that ends the load; the second writes the
  // first key.
  Faulty.Fail(TWin32Call::WritePrivateProfileStringA, {.Nth = 2});
  THostBuffer buffer;
  {
    TWin32Platform platform(Faulty.Api());
    // The refusal is shown in the dialog, which stays open; the user then
    // cancels, and the host gets the empty text.
    EXPECT_TRUE(Configure(platform, buffer));
  }
  EXPECT_EQ(Shown, std::vector<std::string>{"Unable to write to " + Ini});
  EXPECT_EQ(buffer.Text(), ""); // emptied first, nothing after
  EXPECT_TRUE(buffer.IntactAfterText());
  EXPECT_EQ(Faulty.Failures(TWin32Call::WritePrivateProfileStringA), 1u);

  // The failure the frame turned into false.
  Faulty.Fail(TWin32Call::WritePrivateProfileStringA, {.Nth = 2});
  TWin32Platform platform(Faulty.Api());
  TIENorvane cleaner(platform);
  cleaner.LoadSettings(Ini, kSection);
  try {
    cleaner.SaveSettings(Ini, kSection);
    ADD_FAILURE() << "no EIniFileException";
  } catch (const EIniFileException &e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + Ini);
  }
  EXPECT_TRUE(Gone().empty());
}

// A save of the portable INI store on Windows whose file steps fail, one
// step each: the file stays as it was and no temporary file is left.
class PortableSaveFaults : public PlatformFaults,
                           public ::testing::WithParamInterface<TWin32Call> {};

TEST_P(PortableSaveFaults, FileStaysWhole) {
  Faulty.Fail(GetParam(), {.Nth = 1});
  TPortableStorePlatform platform(Faulty.Api());
  THostBuffer buffer;
  EXPECT_TRUE(Configure(platform, buffer)); // shown, then cancelled
  EXPECT_EQ(Shown, std::vector<std::string>{"Unable to write to " + Ini});
  EXPECT_EQ(buffer.Text(), "");
  EXPECT_EQ(Faulty.Failures(GetParam()), 1u);
  EXPECT_FALSE(FileExists(Ini + ".nvsave"));
  EXPECT_TRUE(Gone().empty());

  // Without the fault the same save goes through.
  Faulty.Heal();
  TIENorvane cleaner(platform);
  cleaner.LoadSettings(Ini, kSection);
  cleaner.SaveSettings(Dir.File("copy.ini"), kSection);
  EXPECT_NE(ReadFileBytes(Dir.File("copy.ini")).find("DeleteCache=1\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Steps, PortableSaveFaults,
                         ::testing::Values(TWin32Call::MoveFileExA, TWin32Call::WriteFile,
                                           TWin32Call::FlushFileBuffers),
                         [](const auto &step) { return std::string(NameOf(step.param)); });

} // namespace
