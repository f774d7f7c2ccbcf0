// ienorvane's failures: bad command lines, malformed masks, missing or
// unreadable settings files and a history store that cannot be emptied, each
// with its exit code and message.
#include <filesystem>

#include "CommandLine.h"
#include "cli_fixture.h"

namespace {

TEST_F(CliTest, BadCommandLinesPrintTheUsageAndExitTwo) {
  const std::string ini = Ini();
  struct TBadLine {
    std::vector<std::string> Arguments;
    const char *Complaint;
  };
  const TBadLine cases[] = {
      {{}, "no command given"},
      {{"purge", "--ini", ini, "--section", "S"}, "unknown command 'purge'"},
      {{"preview", "--ini", ini}, "--section NAME is required"},
      {{"preview", "--section", "S"}, "--ini FILE is required"},
      {{"preview", "--section", "S", "--ini"}, "--ini needs a value"},
      {{"preview", "--ini", "--section", "S"}, "--ini needs a value"},
      {{"preview", "--ini", ini, "--ini", ini, "--section", "S"}, "--ini is given twice"},
      {{"preview", "--ini", ini, "--section", "S", "--category", "flash"},
       "unknown category 'flash' (cache, cookies or history)"},
      {{"clean", "--ini", ini, "--section", "S", "--category", "cache"},
       "--category is an option of preview only"},
      {{"show", "--ini", ini, "--section", "S", "--json"},
       "--json is an option of preview and clean only"},
      {{"preview", "--ini", ini, "--section", "S", "--json=yes"}, "--json takes no value"},
      {{"preview", "--ini", ini, "--section", "S", "--verbose", "1"}, "unknown option '--verbose'"},
      {{"preview", "--ini", ini, "--section", "S", "--colour"}, "unknown option '--colour'"},
      {{"preview", "stray", "--ini", ini, "--section", "S"}, "unknown option 'stray'"},
  };
  for (const TBadLine &c : cases) {
    SCOPED_TRACE(c.Complaint);
    const TCliRun run = Run(c.Arguments);
    EXPECT_EQ(run.Code, kExitUsage);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err.rfind(std::string("ienorvane: ") + c.Complaint + "\nusage: ", 0), 0u)
        << run.Err;
    EXPECT_NE(run.Err.find("Exit codes:"), std::string::npos);
  }
  EXPECT_EQ(Cache.Urls().size(), CliStandardSeeds().size());
}

TEST_F(CliTest, OptionsTakeTheirValueAfterAnEqualsSignToo) {
  WriteSettings({"DeleteCache=0", "DeleteHistory=0"});
  const TCliRun run =
      Run({"preview", "--ini=" + Ini(), "--section=IENorvane", "--category=cookies"});
  ASSERT_EQ(run.Code, kExitOk) << run.Err;
  EXPECT_EQ(run.Out.rfind("[cookies] Cookie:*.*\n", 0), 0u) << run.Out;
  EXPECT_EQ(run.Out.find("[cache]"), std::string::npos) << run.Out;
}

TEST_F(CliTest, HelpPrintsTheUsageWithTheExitCodes) {
  for (const auto &arguments : {std::vector<std::string>{"--help"},
                                std::vector<std::string>{"clean", "--bogus", "--help"}}) {
    const TCliRun run = Run(arguments);
    EXPECT_EQ(run.Code, kExitOk);
    EXPECT_EQ(run.Out, UsageText());
    EXPECT_EQ(run.Err, "");
  }
  for (const char *code : {"  0  ", "  1  ", "  2  ", "  3  ", "  4  "})
    EXPECT_NE(UsageText().find(code), std::string::npos) << code;
}

TEST_F(CliTest, MalformedMaskNamesCategoryPatternAndPosition) {
  struct TMaskCase {
    std::vector<std::string> Settings;
    const char *Category;
    const char *Pattern;
    uint64_t Position;
  };
  const TMaskCase cases[] = {
      {{"DeleteCacheType=1", "CacheMask=["}, "cache", "http://[", 9},
      {{"DeleteCookiesType=1", "CookiesMask=*[-a]"}, "cookies", "Cookie:*[-a]", 10},
      {{"DeleteHistoryType=1", "HistoryMask=*[]"}, "history", "Visited:*[]", 11},
  };
  for (const TMaskCase &c : cases) {
    SCOPED_TRACE(c.Pattern);
    WriteSettings(c.Settings);
    const std::string matcherMessage = std::string("'") + c.Pattern + "' is an invalid mask at (" +
                                       std::to_string(c.Position) + ")";
    const TCliRun text = RunOnSettings("preview");
    EXPECT_EQ(text.Code, kExitMalformedMask);
    EXPECT_EQ(text.Out, "");
    EXPECT_NE(text.Err.find(std::string("malformed ") + c.Category + " mask"), std::string::npos)
        << text.Err;
    EXPECT_NE(text.Err.find(std::string("pattern '") + c.Pattern + "', position " +
                            std::to_string(c.Position) + ": " + matcherMessage),
              std::string::npos)
        << text.Err;
    const TCliRun json = RunOnSettings("preview", {"--json"});
    EXPECT_EQ(json.Code, kExitMalformedMask);
    const TJsonValue error = json.Json()["error"];
    EXPECT_EQ(error["kind"].String(), "malformed-mask");
    EXPECT_EQ(error["category"].String(), c.Category);
    EXPECT_EQ(error["pattern"].String(), c.Pattern);
    EXPECT_EQ(error["position"].Unsigned(), c.Position);
    EXPECT_EQ(error["message"].String(), matcherMessage);
  }
}

TEST_F(CliTest, CleanStopsAtAMalformedMaskAndReportsWhatWentBefore) {
  WriteSettings({"DeleteCookiesType=1", "CookiesMask=[a"});
  const TCliRun run = RunOnSettings("clean", {"--json"});
  EXPECT_EQ(run.Code, kExitMalformedMask);
  const TJsonValue document = run.Json();
  EXPECT_EQ(document["error"]["category"].String(), "cookies");
  EXPECT_EQ(document["error"]["pattern"].String(), "Cookie:[a");
  EXPECT_EQ(document["error"]["position"].Unsigned(), 10u);
  // The cache was swept before the cookies: those deletions happened and are
  // reported; nothing after the failure ran.
  EXPECT_EQ(document["categories"][0]["count"].Unsigned(), 4u);
  EXPECT_EQ(document["categories"][0]["bytes"].Unsigned(), 1200u + 300u + 4500u + 7u);
  EXPECT_EQ(document["categories"][1]["count"].Unsigned(), 0u);
  EXPECT_FALSE(document["historyStoreCleared"].Bool());
  EXPECT_FALSE(Cache.Contains("http://www.example.com/index.html"));
  EXPECT_TRUE(Cache.Contains("Cookie:admin@example.com/"));
  EXPECT_TRUE(Cache.Contains("Visited:admin@http://news.site.org/"));
  EXPECT_EQ(History.Calls(), 0u);
  EXPECT_NE(run.Err.find("pattern 'Cookie:[a', position 10"), std::string::npos) << run.Err;
}

TEST_F(CliTest, MalformedMaskNoEntryReachesIsNoFailure) {
  // As in the plug-in's clean: a mask is only compiled for an entry.
  Seed({});
  for (const std::string &url : Cache.Urls())
    if (url.rfind("Cookie:", 0) == 0) Cache.Delete({url.c_str(), nullptr, 0});
  WriteSettings({"DeleteCookiesType=1", "CookiesMask=[a"});
  EXPECT_EQ(RunOnSettings("preview").Code, kExitOk);
  EXPECT_EQ(RunOnSettings("clean").Code, kExitOk);
}

TEST_F(CliTest, MissingOrUnreadableSettingsFileMeansDefaultsWithANote) {
  struct TSourceCase {
    const char *Title;
    std::string Path;
    const char *Note;
  };
  std::filesystem::create_directory(Dir.File("folder.ini"));
  const TSourceCase cases[] = {
      {"missing file", Dir.File("absent.ini"), "does not exist; the default settings apply"},
      {"a folder", Dir.File("folder.ini"), "cannot be read"},
  };
  for (const TSourceCase &c : cases) {
    SCOPED_TRACE(c.Title);
    const TCliRun run = Run({"show", "--ini", c.Path, "--section", "IENorvane"});
    EXPECT_EQ(run.Code, kExitOk);
    EXPECT_NE(run.Err.find("INI file '" + c.Path + "' " + c.Note), std::string::npos) << run.Err;
    EXPECT_NE(run.Out.find("summary: http://*.*, Cookie:*.*, Visited:*.*\n"), std::string::npos);
    EXPECT_FALSE(FileExists(Dir.File("absent.ini"))) << "loading created the file";
  }
}

TEST_F(CliTest, SectionWithoutSettingsGetsANoteAndAFullOneNone) {
  WriteSettings({"DeleteCache=0"});
  const TCliRun missing = Run({"show", "--ini", Ini(), "--section", "Other"});
  EXPECT_EQ(missing.Code, kExitOk);
  EXPECT_NE(
      missing.Err.find("section [Other] of INI file '" + Ini() + "' holds none of the settings"),
      std::string::npos)
      << missing.Err;
  const TCliRun present = RunOnSettings("show");
  EXPECT_EQ(present.Err, "");
  EXPECT_EQ(present.Out.rfind("DeleteCache=0\n", 0), 0u);
}

TEST_F(CliTest, HistoryStoreFailureAfterTheSweepsExitsFour) {
  WriteSettings({});
  struct TStoreCase {
    TRecordingHistoryStore::TFailure Failure;
    const char *Message;
  };
  const TStoreCase cases[] = {
      {TRecordingHistoryStore::TFailure::IntfCastError, "Interface not supported"},
      {TRecordingHistoryStore::TFailure::OleSysError, ""},
  };
  for (const TStoreCase &c : cases) {
    SCOPED_TRACE(c.Message);
    Cache.RestoreDeleted();
    History.FailWith(c.Failure);
    const TCliRun run = RunOnSettings("clean", {"--json"});
    EXPECT_EQ(run.Code, kExitHistoryStore);
    EXPECT_NE(run.Err.find(std::string("the history store could not be emptied: ") + c.Message),
              std::string::npos)
        << run.Err;
    const TJsonValue document = run.Json();
    EXPECT_EQ(document["error"]["kind"].String(), "history-store");
    EXPECT_EQ(document["total"]["count"].Unsigned(), 8u); // every sweep ran
    EXPECT_FALSE(document["historyStoreCleared"].Bool());
  }
}

} // namespace
