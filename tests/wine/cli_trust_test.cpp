// ienorvane.exe against the real URL cache and history store of the Wine
// prefix: settings that are not there stop every command, every malformed
// mask is named before anything is deleted, the history store's refusal
// (Wine answers E_NOTIMPL) and a locked entry are reported as they happened.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CacheSeeder.h"
#include "Handles.h"
#include "JsonValue.h"
#include "PlugHostRun.h"

namespace {

// What a run of ienorvane.exe printed, each stream on its own.
struct TSplitRun {
  uint32_t ExitCode = 0;
  std::string Out, Err;
};

// Moves what `pipe` holds into `text`; true when it held something.
bool Drain(HANDLE pipe, std::string &text) {
  DWORD available = 0;
  if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0)
    return false;
  std::vector<char> chunk(available);
  DWORD read = 0;
  if (ReadFile(pipe, chunk.data(), available, &read, nullptr)) text.append(chunk.data(), read);
  return true;
}

// Runs "ienorvane.exe <arguments>" with standard output and standard error
// on two pipes, reading both until the program has exited.
TSplitRun RunIenorvane(const std::string &arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  TKernelHandle outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(outRead.Put(), outWrite.Put(), &inherit, 0) ||
      !CreatePipe(errRead.Put(), errWrite.Put(), &inherit, 0))
    throw std::runtime_error("CreatePipe failed");
  SetHandleInformation(outRead.Get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead.Get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite.Get();
  startup.hStdError = errWrite.Get();
  std::string line = "ienorvane.exe " + arguments;
  const PROCESS_INFORMATION process = StartChild(line, startup);
  TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  outWrite.Reset();
  errWrite.Reset();
  TSplitRun run;
  const ULONGLONG deadline = GetTickCount64() + 120000;
  for (;;) {
    // The exit is looked at before the pipes, so that empty pipes after it
    // mean that everything the program wrote has been read.
    const bool exited = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
    const bool out = Drain(outRead.Get(), run.Out);
    const bool err = Drain(errRead.Get(), run.Err);
    if (out || err) continue;
    if (exited) break;
    if (GetTickCount64() >= deadline) {
      TerminateProcess(process.hProcess, 99);
      throw std::runtime_error("did not finish: " + line);
    }
    WaitForSingleObject(process.hProcess, 5);
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  run.ExitCode = code;
  return run;
}

const char *const kSection = "IE Norvane";

std::string TempPath(const char *name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

// The seeded cache: three http entries with a "." in their URL, one
// without, two cookies and two visited entries.
void SeedCache() {
  EmptyUrlCache();
  for (const char *url : {"http://www.example.com/index.html", "http://www.example.com/logo.gif",
                          "http://news.example.org/story/today.html", "http://localhost/"})
    SeedHttpEntry(url, 1000);
  for (const char *url :
       {"Cookie:jane@example.com/", "Cookie:jane@localhost/",
        "Visited: jane@http://www.example.com/index.html", "Visited: jane@about:blank"})
    SeedEntry(url, 0);
}

class CliTrust : public ::testing::Test {
protected:
  void SetUp() override {
    SeedCache();
    Before = SortedCacheUrls();
    DeleteFileA(Ini.c_str());
  }
  void TearDown() override {
    DeleteFileA(Ini.c_str());
    RemoveDirectoryA(Folder.c_str());
    EmptyUrlCache();
  }

  void WriteSettings(const std::vector<std::pair<const char *, const char *>> &keys) {
    DeleteFileA(Ini.c_str());
    ASSERT_TRUE(WritePrivateProfileStringA("Host", "Language", "en", Ini.c_str()));
    for (const auto &[key, value] : keys)
      ASSERT_TRUE(WritePrivateProfileStringA(kSection, key, value, Ini.c_str()));
  }

  TSplitRun Run(const std::string &command, const std::string &ini, const char *section,
                const std::string &extra = "") {
    return RunIenorvane(command + " --ini \"" + ini + "\" --section \"" + section + "\"" + extra);
  }
  TSplitRun Run(const std::string &command, const std::string &extra = "") {
    return Run(command, Ini, kSection, extra);
  }

  static TJsonValue Json(const TSplitRun &run) {
    try {
      return TJsonValue::Parse(run.Out);
    } catch (const std::exception &failure) {
      ADD_FAILURE() << failure.what() << "\n" << run.Out << run.Err;
      return TJsonValue();
    }
  }

  const std::string Ini = TempPath("nv-cli-trust.ini");
  const std::string Folder = TempPath("nv-cli-trust-folder.ini");
  std::vector<std::string> Before;
};

TEST_F(CliTrust, AbsentSettingsStopEveryCommandUnlessDefaultsAreAskedFor) {
  ASSERT_TRUE(CreateDirectoryA(Folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  WriteSettings({{"DeleteCache", "0"}});
  struct TAbsent {
    std::string Ini;
    const char *Section;
    std::string Problem;
  };
  const std::string typo = TempPath("nv-cli-trsut.ini");
  const TAbsent cases[] = {
      {typo, kSection, "INI file '" + typo + "' does not exist"},
      {Folder, kSection, "INI file '" + Folder + "' is a folder"},
      {Ini, "IENorvane",
       "section [IENorvane] of INI file '" + Ini + "' holds none of the settings"},
  };
  for (const TAbsent &c : cases) {
    for (const char *command : {"preview", "clean", "show"}) {
      SCOPED_TRACE(c.Problem + ", " + command);
      const TSplitRun run = Run(command, c.Ini, c.Section);
      EXPECT_EQ(run.ExitCode, 5u);
      EXPECT_EQ(run.Out, "");
      EXPECT_EQ(run.Err,
                "ienorvane: " + c.Problem + "; give --defaults to use the plug-in's defaults\r\n");
      EXPECT_EQ(SortedCacheUrls(), Before) << "something was deleted";
    }
  }
  EXPECT_EQ(GetFileAttributesA(typo.c_str()), INVALID_FILE_ATTRIBUTES) << "a command created it";

  // With --defaults, the plug-in's defaults: every entry with a "." goes.
  const TSplitRun clean = Run("clean", typo, kSection, " --defaults --json");
  EXPECT_EQ(clean.ExitCode, 4u) << "Wine's history store does not empty itself";
  const TJsonValue document = Json(clean);
  EXPECT_EQ(document["settings"]["source"].String(), "defaults");
  EXPECT_EQ(document["total"]["count"].Unsigned(), 5u);
  EXPECT_EQ(SortedCacheUrls(),
            (std::vector<std::string>{"Cookie:jane@localhost/", "Visited: jane@about:blank",
                                      "http://localhost/"}));
}

TEST_F(CliTrust, EveryMalformedMaskIsNamedBeforeAnythingIsDeleted) {
  WriteSettings({{"DeleteCacheType", "1"},
                 {"CacheMask", "www.[a"},
                 {"DeleteCookiesType", "1"},
                 {"CookiesMask", "*[-a]"}});
  const std::string faults =
      "ienorvane: malformed cache mask (CacheMask): pattern 'http://www.[a', position 14: "
      "'http://www.[a' is an invalid mask at (14)\r\n"
      "ienorvane: malformed cookies mask (CookiesMask): pattern 'Cookie:*[-a]', position 10: "
      "'Cookie:*[-a]' is an invalid mask at (10)\r\n";
  for (bool emptyCache : {false, true}) {
    if (emptyCache) EmptyUrlCache();
    const std::vector<std::string> entries = SortedCacheUrls();
    for (const char *command : {"preview", "clean", "show"}) {
      SCOPED_TRACE(std::string(command) + (emptyCache ? ", empty cache" : ""));
      const TSplitRun run = Run(command);
      EXPECT_EQ(run.ExitCode, 3u);
      const bool clean = std::string(command) == "clean";
      EXPECT_EQ(run.Err, faults + (clean ? "ienorvane: nothing was deleted\r\n" : ""));
      EXPECT_EQ(SortedCacheUrls(), entries) << "something was deleted";
      const TSplitRun json = Run(command, " --json");
      EXPECT_EQ(json.ExitCode, 3u);
      const TJsonValue document = Json(json);
      ASSERT_EQ(document["error"]["masks"].Array().size(), 2u);
      EXPECT_EQ(document["error"]["masks"][1]["position"].Unsigned(), 10u);
    }
  }
}

TEST_F(CliTrust, HistoryStoreRefusalIsReportedAsItCame) {
  WriteSettings({{"DeleteCache", "0"}, {"DeleteCookies", "0"}, {"DeleteHistory", "1"}});
  const TSplitRun text = Run("clean");
  EXPECT_EQ(text.ExitCode, 4u);
  EXPECT_EQ(text.Out.find("history store: emptied"), std::string::npos) << text.Out;
  EXPECT_NE(text.Out.find("\r\nhistory store: not emptied: "), std::string::npos) << text.Out;
  EXPECT_NE(text.Out.find(" (code 0x80004001)\r\nExempted space is 0 bytes\r\n"), std::string::npos)
      << text.Out;
  EXPECT_EQ(text.Err, "ienorvane: the clean is incomplete: the history store was not emptied\r\n");
  SeedCache();
  const TJsonValue document = Json(Run("clean", " --json"));
  EXPECT_FALSE(document["historyStore"]["emptied"].Bool());
  EXPECT_EQ(document["historyStore"]["code"].String(), "0x80004001");
  EXPECT_FALSE(document["complete"].Bool());
  EXPECT_EQ(document["total"]["count"].Unsigned(), 1u) << "the visited entry with a '.'";
}

TEST_F(CliTrust, LockedEntryIsListedAsInUseAndStays) {
  WriteSettings({{"DeleteCacheType", "1"},
                 {"CacheMask", "www.example.com/*"},
                 {"DeleteCookies", "0"},
                 {"DeleteHistory", "0"}});
  const char *locked = "http://www.example.com/logo.gif";
  // Runs a clean while the entry is locked, as a running browser locks the
  // file it shows; the lock outlives its process, so it is always undone.
  const auto cleanWhileLocked = [&](const std::string &extra) {
    SeedCache();
    std::vector<char> info(8192);
    DWORD size = static_cast<DWORD>(info.size());
    EXPECT_TRUE(RetrieveUrlCacheEntryFileA(
        locked, reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA *>(info.data()), &size, 0));
    const TSplitRun run = Run("clean", extra);
    UnlockUrlCacheEntryFileA(locked, 0);
    return run;
  };
  const TSplitRun text = cleanWhileLocked("");
  EXPECT_EQ(text.ExitCode, 4u);
  EXPECT_NE(text.Out.find("  1 entry, 1000 bytes deleted\r\n"
                          "  not deleted: 1 entry\r\n"
                          "    in use by a running browser:\r\n"
                          "      1000 bytes  http://www.example.com/logo.gif  "),
            std::string::npos)
      << text.Out;
  EXPECT_NE(text.Out.find("Exempted space is 1000 bytes\r\n"), std::string::npos);
  EXPECT_EQ(text.Err, "ienorvane: the clean is incomplete: 1 entry not deleted\r\n");

  const TSplitRun json = cleanWhileLocked(" --json");
  EXPECT_EQ(json.ExitCode, 4u);
  const TJsonValue document = Json(json);
  const TJsonValue &cache = document["categories"][0];
  EXPECT_EQ(cache["count"].Unsigned(), 1u);
  ASSERT_EQ(cache["notDeleted"].Array().size(), 1u);
  EXPECT_EQ(cache["notDeleted"][0]["url"].String(), locked);
  EXPECT_EQ(cache["notDeleted"][0]["reason"].String(), "in-use");
  EXPECT_EQ(document["total"]["notDeletedCount"].Unsigned(), 1u);
}

// An entry whose URL has a byte of 0x80 and above, and whose key does not
// name freed slots in Wine's index, goes like any other, its bytes counted.
TEST_F(CliTrust, UrlWithAHighByteIsDeletedAndCounted) {
  const std::string url = "http://www.example.com/caf\xE9.html";
  SeedHttpEntry(url, 500);
  WriteSettings({{"DeleteCacheType", "1"},
                 {"CacheMask", "www.example.com/*"},
                 {"DeleteCookies", "0"},
                 {"DeleteHistory", "0"}});
  const TSplitRun json = Run("clean", " --json");
  EXPECT_EQ(json.ExitCode, 0u) << json.Err;
  const TJsonValue document = Json(json);
  const TJsonValue &cache = document["categories"][0];
  EXPECT_EQ(cache["count"].Unsigned(), 3u) << "index.html, logo.gif and the page";
  EXPECT_EQ(cache["bytes"].Unsigned(), 1000u + 1000u + 500u);
  EXPECT_TRUE(cache["notDeleted"].Array().empty());
  EXPECT_FALSE(UrlCacheHas(url));
}

// show names the platform: Wine and its version.
TEST_F(CliTrust, ShowNamesThePlatform) {
  WriteSettings({{"DeleteCache", "1"}});
  const TSplitRun text = Run("show", "");
  EXPECT_NE(text.Out.find("platform: Wine "), std::string::npos) << text.Out;
  EXPECT_EQ(text.Err, "");
  const TJsonValue document = Json(Run("show", " --json"));
  EXPECT_TRUE(document["platform"]["wine"].Bool());
  EXPECT_EQ(document["platform"]["name"].String().rfind("Wine ", 0), 0u);
}

} // namespace
