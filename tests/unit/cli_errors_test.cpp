// ienorvane's refusals: bad command lines, settings that are not there,
// malformed masks and a system without a URL cache, each with its exit code
// and message, and never with anything deleted.
#include <filesystem>
#include <regex>

#include "CommandLine.h"
#include "PortablePlatform.h"
#include "cli_fixture.h"

namespace {

TEST_F(CliTest, BadCommandLinesNameTheProblemInOneLine) {
  const std::string ini = Ini();
  struct TBadLine {
    std::vector<std::string> Arguments;
    const char *Complaint;
  };
  const TBadLine cases[] = {
      {{}, "no command given"},
      {{"--x"}, "unknown option '--x'"},
      {{"purge", "--ini", ini, "--section", "S"}, "unknown command 'purge'"},
      {{"preview", "--ini", ini}, "--section NAME is required"},
      {{"preview", "--section", "S"}, "--ini FILE is required"},
      {{"preview", "--section", "S", "--ini"}, "--ini needs a value"},
      {{"preview", "--ini", "--section", "S"}, "--ini needs a value"},
      {{"preview", "--ini", ini, "--ini", ini, "--section", "S"}, "--ini is given twice"},
      {{"preview", "--ini", ini, "--section", "S", "--list", "--list"}, "--list is given twice"},
      {{"preview", "--ini", ini, "--section", "S", "--category", "flash"},
       "unknown category 'flash' (cache, cookies or history)"},
      {{"clean", "--ini", ini, "--section", "S", "--category", "cache"},
       "--category is an option of preview only"},
      {{"show", "--ini", ini, "--section", "S", "--list"},
       "--list is an option of preview and clean only"},
      {{"preview", "--ini", ini, "--section", "S", "--wipe"}, "--wipe is an option of clean only"},
      {{"clean", "--ini", ini, "--section", "S", "--wipe=0"}, "--wipe takes no value"},
      {{"preview", "--ini", ini, "--section", "S", "--json=yes"}, "--json takes no value"},
      {{"clean", "--ini", ini, "--section", "S", "--defaults=1"}, "--defaults takes no value"},
      {{"preview", "--ini", ini, "--section", "S", "--verbose", "1"}, "unknown option '--verbose'"},
      {{"preview", "--ini", ini, "--section", "S", "-x"}, "unknown option '-x'"},
      {{"preview", "stray", "--ini", ini, "--section", "S"}, "unexpected argument 'stray'"},
  };
  for (const TBadLine &c : cases) {
    SCOPED_TRACE(c.Complaint);
    const TCliRun run = Run(c.Arguments);
    EXPECT_EQ(run.Code, kExitUsage);
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, std::string("ienorvane: ") + c.Complaint + "; see 'ienorvane --help'\n");
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

TEST_F(CliTest, HelpAndVersion) {
  for (const auto &arguments : {std::vector<std::string>{"--help"}, std::vector<std::string>{"-h"},
                                std::vector<std::string>{"clean", "--bogus", "--help"},
                                std::vector<std::string>{"preview", "-h", "--version"}}) {
    const TCliRun run = Run(arguments);
    EXPECT_EQ(run.Code, kExitOk);
    EXPECT_EQ(run.Out, UsageText());
    EXPECT_EQ(run.Err, "");
  }
  const TCliRun version = Run({"--version"});
  EXPECT_EQ(version.Code, kExitOk);
  EXPECT_TRUE(std::regex_match(version.Out, std::regex("ienorvane [0-9]+\\.[0-9]+\\.[0-9]+\n")))
      << version.Out;
  EXPECT_EQ(version.Out, VersionText() + "\n");
}

TEST_F(CliTest, HelpDocumentsEveryCommandOptionAndExitCode) {
  const std::string help = UsageText();
  for (const char *word :
       {"preview", "clean", "show", "--ini FILE", "--section NAME", "--category CATEGORY", "--list",
        "--json", "--defaults", "--wipe", "-h, --help", "--version"})
    EXPECT_NE(help.find(word), std::string::npos) << word;
  for (int code = kExitOk; code <= kExitNoUrlCache; ++code)
    EXPECT_NE(help.find("\n  " + std::to_string(code) + "  "), std::string::npos) << code;
}

// ---- Settings that are not there: an error, unless --defaults says so.

struct TAbsentSettings {
  const char *Title;
  std::string Ini, Section;
  std::string Problem; // the first words of the note
};

class CliSettingsTest : public CliTest {
protected:
  std::vector<TAbsentSettings> AbsentCases() {
    std::filesystem::create_directory(Dir.File("folder.ini"));
    WriteFileBytes(Dir.File("empty.ini"), "");
    WriteSettings({"DeleteCache=0"});
    const std::string typo = Dir.File("norvnae.ini");
    return {
        {"a typo in the path", typo, "IENorvane", "INI file '" + typo + "' does not exist"},
        {"a folder", Dir.File("folder.ini"), "IENorvane",
         "INI file '" + Dir.File("folder.ini") + "' is a folder"},
        {"an empty file", Dir.File("empty.ini"), "IENorvane",
         "section [IENorvane] of INI file '" + Dir.File("empty.ini") +
             "' holds none of the settings"},
        {"a missing section", Ini(), "IE Norvane",
         "section [IE Norvane] of INI file '" + Ini() + "' holds none of the settings"},
        {"a section with other keys only", Ini(), "Host",
         "section [Host] of INI file '" + Ini() + "' holds none of the settings"},
    };
  }

  TCliRun RunOn(const TAbsentSettings &c, const std::string &command,
                std::vector<std::string> extra = {}) {
    std::vector<std::string> arguments = {command, "--ini", c.Ini, "--section", c.Section};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return Run(arguments);
  }
};

TEST_F(CliSettingsTest, AbsentSettingsAreAnErrorAndNothingIsDeleted) {
  for (const TAbsentSettings &c : AbsentCases()) {
    for (const char *command : {"preview", "clean", "show"}) {
      SCOPED_TRACE(std::string(c.Title) + ", " + command);
      const TCliRun text = RunOn(c, command);
      EXPECT_EQ(text.Code, kExitNoSettings);
      EXPECT_EQ(text.Out, "");
      EXPECT_EQ(text.Err,
                "ienorvane: " + c.Problem + "; give --defaults to use the plug-in's defaults\n");
      const TCliRun json = RunOn(c, command, {"--json"});
      EXPECT_EQ(json.Code, kExitNoSettings);
      EXPECT_EQ(json.Json()["error"]["kind"].String(), "no-settings");
      EXPECT_EQ(json.Json()["error"]["message"].String().rfind(c.Problem, 0), 0u);
      EXPECT_EQ(Cache.Urls().size(), CliStandardSeeds().size()) << "something was deleted";
      EXPECT_EQ(History.Calls(), 0u);
    }
  }
  EXPECT_FALSE(FileExists(Dir.File("norvnae.ini"))) << "a command created the file";
}

TEST_F(CliSettingsTest, DefaultsApplyOnlyWhenAskedFor) {
  for (const TAbsentSettings &c : AbsentCases()) {
    SCOPED_TRACE(c.Title);
    Cache.RestoreDeleted();
    const TCliRun show = RunOn(c, "show", {"--defaults", "--json"});
    EXPECT_EQ(show.Code, kExitOk) << show.Err;
    EXPECT_EQ(show.Json()["settings"]["source"].String(), "defaults");
    EXPECT_EQ(show.Json()["settings"]["reason"].String(), c.Problem);
    EXPECT_EQ(show.Json()["summary"].String(), "http://*.*, Cookie:*.*, Visited:*.*");
    EXPECT_EQ(show.Err, "ienorvane: " + c.Problem + "; the plug-in's defaults apply\n");
    // The defaults as the host gets them: every category on, every entry
    // with a "." in its URL.
    const TCliRun clean = RunOn(c, "clean", {"--defaults", "--json"});
    EXPECT_EQ(clean.Code, kExitOk) << clean.Err;
    EXPECT_EQ(clean.Json()["settings"]["source"].String(), "defaults");
    EXPECT_EQ(clean.Json()["total"]["count"].Unsigned(), 8u);
    EXPECT_EQ(Cache.Urls().size(), CliStandardSeeds().size() - 8);
  }
}

TEST_F(CliSettingsTest, OneStoredSettingMakesTheSectionTheSource) {
  WriteSettings({"DeleteCookies=0"});
  for (const std::vector<std::string> &extra :
       {std::vector<std::string>{"--json"}, std::vector<std::string>{"--json", "--defaults"}}) {
    const TCliRun run = RunOnSettings("show", extra);
    ASSERT_EQ(run.Code, kExitOk) << run.Err;
    EXPECT_EQ(run.Err, "");
    const TJsonValue settings = run.Json()["settings"];
    EXPECT_EQ(settings["source"].String(), "file");
    EXPECT_FALSE(settings.Has("reason"));
    EXPECT_FALSE(settings["DeleteCookies"].Bool());
    EXPECT_TRUE(settings["DeleteCache"].Bool()) << "a missing key reads as its default";
  }
}

// ---- Malformed masks: all named before anything is walked or deleted.

TEST_F(CliTest, MalformedMaskNamesCategoryPatternAndPosition) {
  struct TMaskCase {
    std::vector<std::string> Settings;
    const char *Category;
    const char *Setting;
    const char *Pattern;
    uint64_t Position;
  };
  const TMaskCase cases[] = {
      {{"DeleteCacheType=1", "CacheMask=["}, "cache", "CacheMask", "http://[", 9},
      {{"DeleteCookiesType=1", "CookiesMask=*[-a]"}, "cookies", "CookiesMask", "Cookie:*[-a]", 10},
      {{"DeleteHistoryType=1", "HistoryMask=*[]"}, "history", "HistoryMask", "Visited:*[]", 11},
  };
  for (const TMaskCase &c : cases) {
    SCOPED_TRACE(c.Pattern);
    WriteSettings(c.Settings);
    const std::string matcherMessage = std::string("'") + c.Pattern + "' is an invalid mask at (" +
                                       std::to_string(c.Position) + ")";
    const TCliRun text = RunOnSettings("preview");
    EXPECT_EQ(text.Code, kExitMalformedMask);
    EXPECT_EQ(text.Out, "");
    EXPECT_EQ(text.Err, std::string("ienorvane: malformed ") + c.Category + " mask (" + c.Setting +
                            "): pattern '" + c.Pattern + "', position " +
                            std::to_string(c.Position) + ": " + matcherMessage + "\n");
    const TCliRun json = RunOnSettings("preview", {"--json"});
    EXPECT_EQ(json.Code, kExitMalformedMask);
    const TJsonValue error = json.Json()["error"];
    EXPECT_EQ(error["kind"].String(), "malformed-mask");
    ASSERT_EQ(error["masks"].Array().size(), 1u);
    EXPECT_EQ(error["masks"][0]["category"].String(), c.Category);
    EXPECT_EQ(error["masks"][0]["setting"].String(), c.Setting);
    EXPECT_EQ(error["masks"][0]["pattern"].String(), c.Pattern);
    EXPECT_EQ(error["masks"][0]["position"].Unsigned(), c.Position);
    EXPECT_EQ(error["masks"][0]["message"].String(), matcherMessage);
  }
}

TEST_F(CliTest, EveryMalformedMaskIsNamedAndNothingIsDeleted) {
  // The cache's and the history's masks are malformed, the cookies' is fine:
  // both are named, in the clean's order, whatever the cache holds.
  WriteSettings({"DeleteCacheType=1", "CacheMask=www.[", "DeleteCookiesType=1",
                 "CookiesMask=*news*", "DeleteHistoryType=1", "HistoryMask=*[]"});
  const std::string cacheLine =
      "ienorvane: malformed cache mask (CacheMask): pattern 'http://www.[', position 13: "
      "'http://www.[' is an invalid mask at (13)\n";
  const std::string historyLine =
      "ienorvane: malformed history mask (HistoryMask): pattern 'Visited:*[]', position 11: "
      "'Visited:*[]' is an invalid mask at (11)\n";
  struct TCommandCase {
    const char *Title;
    std::vector<std::string> Arguments;
    std::string Err;
  };
  const TCommandCase cases[] = {
      {"preview", {"preview"}, cacheLine + historyLine},
      {"preview of a category whose mask is fine",
       {"preview", "--category", "cookies"},
       cacheLine + historyLine},
      {"clean", {"clean"}, cacheLine + historyLine + "ienorvane: nothing was deleted\n"},
      {"show", {"show"}, cacheLine + historyLine},
  };
  for (bool emptyCache : {false, true}) {
    if (emptyCache)
      for (const std::string &url : Cache.Urls())
        Cache.Delete({url.c_str(), nullptr, 0});
    const size_t entries = Cache.Urls().size();
    for (const TCommandCase &c : cases) {
      SCOPED_TRACE(std::string(c.Title) + (emptyCache ? ", empty cache" : ""));
      std::vector<std::string> extra(c.Arguments.begin() + 1, c.Arguments.end());
      const TCliRun text = RunOnSettings(c.Arguments[0], extra);
      EXPECT_EQ(text.Code, kExitMalformedMask);
      EXPECT_EQ(text.Err, c.Err);
      if (c.Arguments[0] == "show")
        EXPECT_NE(text.Out.find("CacheMask=www.[\n"), std::string::npos) << text.Out;
      else
        EXPECT_EQ(text.Out, "");
      extra.push_back("--json");
      const TCliRun json = RunOnSettings(c.Arguments[0], extra);
      EXPECT_EQ(json.Code, kExitMalformedMask);
      const TJsonValue document = json.Json();
      const TJsonArray &masks = document["error"]["masks"].Array();
      ASSERT_EQ(masks.size(), 2u);
      EXPECT_EQ(masks[0]["pattern"].String(), "http://www.[");
      EXPECT_EQ(masks[1]["pattern"].String(), "Visited:*[]");
      EXPECT_EQ(Cache.Urls().size(), entries) << "something was deleted";
      EXPECT_EQ(Cache.Calls().Delete, emptyCache ? CliStandardSeeds().size() : 0u);
      EXPECT_EQ(History.Calls(), 0u);
    }
  }
}

TEST_F(CliTest, MasksACleanDoesNotUseAreNotChecked) {
  // Type 0 uses "*.*", other types and switched-off categories sweep nothing.
  WriteSettings({"DeleteCacheType=0", "CacheMask=[", "DeleteCookiesType=2", "CookiesMask=[",
                 "DeleteHistory=0", "DeleteHistoryType=1", "HistoryMask=["});
  for (const char *command : {"show", "preview", "clean"}) {
    SCOPED_TRACE(command);
    const TCliRun run = RunOnSettings(command);
    EXPECT_EQ(run.Code, kExitOk) << run.Err;
    EXPECT_EQ(run.Err, "");
  }
}

TEST_F(CliTest, ShowJsonCarriesTheNineSettingsAndTheSummary) {
  WriteSettings({"DeleteCache=1", "DeleteCacheType=1", "CacheMask=*news*", "DeleteCookies=0",
                 "DeleteCookiesType=$10", "DeleteHistory=2", "DeleteHistoryType=2",
                 "HistoryMask="});
  const TCliRun run = RunOnSettings("show", {"--json"});
  ASSERT_EQ(run.Code, kExitOk) << run.Err;
  const TJsonValue document = run.Json();
  EXPECT_EQ(document["command"].String(), "show");
  const TJsonValue &settings = document["settings"];
  EXPECT_EQ(settings.Object().size(), 10u) << "source and the nine settings";
  EXPECT_TRUE(settings["DeleteCache"].Bool());
  EXPECT_EQ(settings["DeleteCacheType"].Signed(), 1);
  EXPECT_EQ(settings["CacheMask"].String(), "*news*");
  EXPECT_FALSE(settings["DeleteCookies"].Bool());
  EXPECT_EQ(settings["DeleteCookiesType"].Signed(), 16);
  EXPECT_EQ(settings["CookiesMask"].String(), "*.*");
  EXPECT_TRUE(settings["DeleteHistory"].Bool());
  EXPECT_EQ(settings["DeleteHistoryType"].Signed(), 2);
  EXPECT_EQ(settings["HistoryMask"].String(), "");
  EXPECT_EQ(document["summary"].String(), "http://*news*, Visited:");
  EXPECT_FALSE(document.Has("error"));
}

// ---- A system without a URL cache.

TEST_F(CliTest, PlatformWithoutUrlCacheRefusesPreviewAndClean) {
  WriteSettings({"DeleteCache=0"});
  TPortablePlatform native;
  ASSERT_FALSE(native.HasUrlCache());
  for (const char *command : {"preview", "clean"}) {
    SCOPED_TRACE(command);
    const std::vector<std::string> arguments = {command, "--ini", Ini(), "--section", "IENorvane"};
    const TCliRun text = Run(arguments, kPipes, &native);
    EXPECT_EQ(text.Code, kExitNoUrlCache);
    EXPECT_EQ(text.Out, "");
    EXPECT_EQ(text.Err, "ienorvane: this system has no URL cache\n");
    std::vector<std::string> json = arguments;
    json.push_back("--json");
    EXPECT_EQ(Run(json, kPipes, &native).Json()["error"]["kind"].String(), "no-url-cache");
  }
  // The settings can still be read there.
  const TCliRun show = Run({"show", "--ini", Ini(), "--section", "IENorvane"}, kPipes, &native);
  EXPECT_EQ(show.Code, kExitOk) << show.Err;
  EXPECT_EQ(show.Out.rfind("DeleteCache=0\n", 0), 0u) << show.Out;
}

} // namespace
