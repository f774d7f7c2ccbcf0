// How ienorvane's output reads on a terminal and in a pipe: rows, progress,
// shortened rows, sizes, counts and line endings.
#include <limits>

#include "CommandLine.h"
#include "LeadBytes.h"
#include "TextFormat.h"
#include "cli_fixture.h"

namespace {

constexpr const char *kRowUrl = "http://www.example.com/index.html";
constexpr const char *kLeftOut =
    "(entries are not listed on a terminal; give --list to list them)\n";

TEST_F(CliTest, EntryRowsOnATerminalOnlyWithList) {
  WriteSettings({"DeleteCache=1"});
  struct TDeviceCase {
    const char *Title;
    TCliDevices Devices;
    std::vector<std::string> Extra;
    bool Rows;
  };
  const TDeviceCase cases[] = {
      {"pipe", kPipes, {}, true},
      {"pipe with --list", kPipes, {"--list"}, true},
      {"terminal", kTerminal, {}, false},
      {"terminal with --list", kTerminal, {"--list"}, true},
      {"only standard error a terminal", {false, true, 80}, {}, true},
  };
  for (const char *command : {"preview", "clean"}) {
    for (const TDeviceCase &c : cases) {
      SCOPED_TRACE(std::string(command) + ", " + c.Title);
      Cache.RestoreDeleted();
      const TCliRun run = RunOnSettings(command, c.Extra, c.Devices);
      ASSERT_EQ(run.Code, kExitOk) << run.Err;
      EXPECT_EQ(run.Out.find(kRowUrl) != std::string::npos, c.Rows) << run.Out;
      EXPECT_EQ(run.Out.find(kLeftOut) != std::string::npos, !c.Rows) << run.Out;
      // The per-category counts and the total, always.
      EXPECT_NE(run.Out.find("  4 entries, 5.9 KiB (6007 bytes)"), std::string::npos) << run.Out;
      EXPECT_NE(run.Out.find("total: 8 entries, 5.9 KiB (6007 bytes)"), std::string::npos);
    }
  }
  // JSON keeps every entry on a terminal too.
  Cache.RestoreDeleted();
  const TCliRun json = RunOnSettings("preview", {"--json"}, kTerminal);
  EXPECT_EQ(json.Json()["categories"][0]["entries"].Array().size(), 4u);
  EXPECT_EQ(json.Err, "");
}

TEST_F(CliTest, LongRowsAreShortenedInTheMiddleOnATerminalOnly) {
  const std::string longUrl = "http://www.example.com/" + std::string(120, 'p') + "/end.html";
  Cache.Add(longUrl, "C:\\cache\\F6\\end[1].html", 99);
  WriteSettings({"DeleteCookies=0", "DeleteHistory=0"});
  const TCliRun terminal = RunOnSettings("preview", {"--list"}, {true, true, 60});
  ASSERT_EQ(terminal.Code, kExitOk);
  bool shortened = false;
  std::istringstream lines(terminal.Out);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(line.size(), 59u) << line;
    if (line.find("99 bytes") != std::string::npos) {
      shortened = true;
      EXPECT_EQ(line.size(), 59u);
      EXPECT_EQ(line.rfind(std::string(14, ' ') + "99 bytes  http", 0), 0u) << line;
      EXPECT_NE(line.find("..."), std::string::npos) << line;
      EXPECT_EQ(line.substr(line.size() - 12), "\\end[1].html") << line;
    }
  }
  EXPECT_TRUE(shortened) << terminal.Out;
  for (const std::vector<std::string> &extra :
       {std::vector<std::string>{}, std::vector<std::string>{"--json"}}) {
    const TCliRun pipe = RunOnSettings("preview", extra);
    EXPECT_NE(pipe.Out.find(longUrl), std::string::npos) << "shortened in a pipe";
    EXPECT_EQ(pipe.Out.find("..."), std::string::npos);
  }
  const TCliRun json = RunOnSettings("preview", {"--json"}, {true, true, 60});
  EXPECT_NE(json.Out.find(longUrl), std::string::npos) << "shortened in JSON";
}

TEST_F(CliTest, ProgressOnATerminalSaysWhatItCounts) {
  for (int i = 0; i < 3000; ++i)
    Cache.Add("http://bulk" + std::to_string(i) + ".example.com/", std::nullopt, 1);
  WriteSettings({"DeleteCache=1"});
  struct TProgressCase {
    const char *Title;
    const char *Command;
    TCliDevices Devices;
    std::vector<std::string> Extra;
    bool Shown;
  };
  const TProgressCase cases[] = {
      {"preview on a terminal", "preview", kTerminal, {}, true},
      {"clean on a terminal", "clean", kTerminal, {}, true},
      {"clean, standard error piped", "clean", {true, false, 80}, {}, false},
      {"clean in pipes", "clean", kPipes, {}, false},
      {"clean with --json", "clean", kTerminal, {"--json"}, false},
  };
  for (const TProgressCase &c : cases) {
    SCOPED_TRACE(c.Title);
    Cache.RestoreDeleted();
    const TCliRun run = RunOnSettings(c.Command, c.Extra, c.Devices);
    ASSERT_EQ(run.Code, 0) << run.Err;
    EXPECT_EQ(run.Err.find("\rcache: 1,000 entries looked at") != std::string::npos, c.Shown)
        << run.Err;
    // A clean's walk deletes as it goes and says how many it deleted.
    const bool deletes = c.Shown && std::string(c.Command) == "clean";
    EXPECT_EQ(run.Err.find(" entries looked at, ") != std::string::npos &&
                  run.Err.find(" deleted") != std::string::npos,
              deletes)
        << run.Err;
    EXPECT_EQ(run.Out.find("looked at"), std::string::npos) << "progress on standard output";
    if (c.Shown) {
      // The line is erased before the results.
      EXPECT_EQ(run.Err.back(), '\r');
      EXPECT_EQ(run.Err.find('\n'), std::string::npos) << run.Err;
    } else {
      EXPECT_EQ(run.Err, "");
    }
  }
}

TEST_F(CliTest, NativeOutputEndsLinesWithLineFeedsOnly) {
  Cache.FailDeleteOf("http://localhost/", TDeleteResult::InUse);
  WriteSettings({"DeleteCacheType=1", "CacheMask=*", "DeleteCookiesType=1", "CookiesMask=["});
  const std::vector<std::vector<std::string>> commands = {
      {"show"}, {"preview"}, {"clean"}, {"show", "--json"}, {"preview", "--json"}};
  for (const auto &command : commands) {
    const std::vector<std::string> extra(command.begin() + 1, command.end());
    const TCliRun run = RunOnSettings(command[0], extra);
    EXPECT_EQ(run.Out.find('\r'), std::string::npos) << command[0];
    EXPECT_EQ(run.Err.find('\r'), std::string::npos) << command[0];
  }
  WriteSettings({"DeleteCacheType=1", "CacheMask=*"});
  const TCliRun clean = RunOnSettings("clean");
  ASSERT_EQ(clean.Code, kExitPartial);
  EXPECT_EQ(clean.Out.find('\r'), std::string::npos);
  EXPECT_EQ(Run({"--help"}).Out.find('\r'), std::string::npos);
}

TEST(CliTextFormat, SizesReadableAndExact) {
  const std::pair<uint64_t, const char *> cases[] = {
      {0, "0 bytes"},
      {1, "1 byte"},
      {512, "512 bytes"},
      {1023, "1023 bytes"},
      {1024, "1.0 KiB (1024 bytes)"},
      {1075, "1.0 KiB (1075 bytes)"},
      {1076, "1.1 KiB (1076 bytes)"},
      {1258389, "1.2 MiB (1258389 bytes)"},
      {1048575, "1.0 MiB (1048575 bytes)"}, // 1023.99 KiB rounds up to the next unit
      {(uint64_t{5} << 30) + 3, "5.0 GiB (5368709123 bytes)"},
      {uint64_t{3} << 40, "3.0 TiB (3298534883328 bytes)"},
      {std::numeric_limits<uint64_t>::max(), "16.0 EiB (18446744073709551615 bytes)"},
  };
  for (const auto &[bytes, text] : cases)
    EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST(CliTextFormat, CountsGroupedByThousands) {
  const std::pair<uint64_t, const char *> cases[] = {
      {0, "0"}, {999, "999"}, {1000, "1,000"}, {123456, "123,456"}, {1234567, "1,234,567"}};
  for (const auto &[value, text] : cases)
    EXPECT_EQ(GroupedNumber(value), text);
  EXPECT_EQ(EntriesText(1), "1 entry");
  EXPECT_EQ(EntriesText(1234), "1,234 entries");
}

TEST(CliTextFormat, ShorteningKeepsBothEndsAndWholeCharacters) {
  const TLeadByteSet single{};
  EXPECT_EQ(ShortenedInTheMiddle("abcdefghij", 10, single), "abcdefghij");
  EXPECT_EQ(ShortenedInTheMiddle("abcdefghijk", 10, single), "abcd...ijk");
  EXPECT_EQ(ShortenedInTheMiddle("abcdefghijk", 9, single), "abc...ijk");
  EXPECT_EQ(ShortenedInTheMiddle("abcdefghijk", 3, single), "abc");
  // Code page 932: 0x82 begins a two-byte character; no pair is split.
  const TLeadByteSet shiftJis = LeadBytesOfCodePage(932);
  const std::string pairs = "\x82\xA0\x82\xA1\x82\xA2\x82\xA3\x82\xA4\x82\xA5";
  for (size_t width = 5; width < pairs.size(); ++width) {
    SCOPED_TRACE(width);
    const std::string shortened = ShortenedInTheMiddle(pairs, width, shiftJis);
    EXPECT_LE(shortened.size(), width);
    EXPECT_GE(shortened.size(), width - 2);
    const size_t dots = shortened.find("...");
    ASSERT_NE(dots, std::string::npos);
    EXPECT_EQ(dots % 2, 0u) << "the head ends inside a character";
    EXPECT_EQ((shortened.size() - dots - 3) % 2, 0u) << "the tail starts inside a character";
    EXPECT_EQ(shortened.substr(0, dots), pairs.substr(0, dots));
    EXPECT_EQ(pairs.substr(pairs.size() - (shortened.size() - dots - 3)),
              shortened.substr(dots + 3));
  }
}

} // namespace
