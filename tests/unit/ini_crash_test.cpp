// Crash safety of the portable store: a process saving alternating settings
// in a loop is killed at random moments; every file it leaves is whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "IENorvaneU.h"
#include "IniScenario.h"
#include "StandInPlatform.h"
#include "TempDir.h"

namespace {

constexpr int kKills = 220;
constexpr unsigned kLongestLifeMicroseconds = 60000;

const std::string kHead = "; the host's own file\r\n[Host]\r\nWindow=10,20,300,400\r\nName=x\r\n";
const std::string kTail = "[Other plug-in]\r\nDeleteCache=keep\r\n;DeleteCache=0\r\n";
const char *const kKeys[] = {"DeleteCache",   "DeleteCacheType",   "CacheMask",
                             "DeleteCookies", "DeleteCookiesType", "CookiesMask",
                             "DeleteHistory", "DeleteHistoryType", "HistoryMask"};

// Two settings that differ in every key; the masks differ in length, so
// each save moves the rest of the file.
void Fill(TIENorvane &c, bool first) {
  CleanerSettings &s = c.Settings;
  s.DeleteCache = first, s.DeleteCookies = !first, s.DeleteHistory = first;
  s.DeleteCacheType = SweepTypeOf(first ? 0 : 1), s.DeleteCookiesType = SweepTypeOf(first ? 7 : -7);
  s.DeleteHistoryType = SweepTypeOf(first ? INT32_MIN : INT32_MAX);
  s.CacheMask = first ? "*.a" : std::string(700, 'b');
  s.CookiesMask = first ? std::string(300, 'c') : "c";
  s.HistoryMask = first ? "h" : "*.history/*";
}

std::vector<std::string> SectionLines(const TIENorvane &c) {
  const CleanerSettings &s = c.Settings;
  auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
  const std::string values[] = {
      flag(s.DeleteCache),   std::to_string(TypeCode(s.DeleteCacheType)),   s.CacheMask,
      flag(s.DeleteCookies), std::to_string(TypeCode(s.DeleteCookiesType)), s.CookiesMask,
      flag(s.DeleteHistory), std::to_string(TypeCode(s.DeleteHistoryType)), s.HistoryMask};
  std::vector<std::string> lines;
  for (size_t i = 0; i < std::size(kKeys); ++i)
    lines.push_back(kKeys[i] + ("=" + values[i]));
  return lines;
}

// Saves the two settings in turn until the process is killed.
[[noreturn]] void SaveForever(const std::string &path) {
  try {
    TStandInPlatform services;
    TIENorvane first(services), second(services);
    Fill(first, true), Fill(second, false);
    for (;;) {
      first.SaveSettings(path, "IE Norvane");
      second.SaveSettings(path, "IE Norvane");
    }
  } catch (...) {
  }
  _exit(3);
}

// The file is the host's head and tail around the section, whose nine lines
// each hold the first or the second value. Returns what is wrong, or "".
std::string CheckWhole(const std::string &content, bool &mixed) {
  TStandInPlatform services;
  TIENorvane first(services), second(services);
  Fill(first, true), Fill(second, false);
  const auto a = SectionLines(first), b = SectionLines(second);
  std::vector<std::string> expected = IniLines(kHead);
  expected.push_back("[IE Norvane]");
  const size_t sectionStart = expected.size();
  expected.insert(expected.end(), a.begin(), a.end());
  for (const auto &line : IniLines(kTail))
    expected.push_back(line);
  const auto lines = IniLines(content);
  if (lines.size() != expected.size()) return "file has " + std::to_string(lines.size()) + " lines";
  size_t fromFirst = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool inSection = i >= sectionStart && i < sectionStart + a.size();
    if (inSection && lines[i] == b[i - sectionStart]) continue;
    if (lines[i] != expected[i]) return "line " + std::to_string(i) + ": " + lines[i].substr(0, 80);
    fromFirst += inSection;
  }
  mixed = fromFirst != 0 && fromFirst != a.size();
  return "";
}

TEST(IniCrash, KilledSavesLeaveEveryFileWhole) {
  TTempDir dir;
  const std::string path = dir.File("host.ini");
  WriteFileBytes(path, kHead + "[IE Norvane]\r\n" + kTail);
  {
    TStandInPlatform services;
    TIENorvane initial(services);
    Fill(initial, true);
    initial.SaveSettings(path, "IE Norvane");
  }
  std::mt19937 random(20261208);
  int mixed = 0, leftovers = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) SaveForever(path);
    usleep(static_cast<useconds_t>(random() % kLongestLifeMicroseconds));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped by itself at kill " << kill;
    bool wasMixed = false;
    ASSERT_EQ(CheckWhole(ReadFileBytes(path), wasMixed), "") << "kill " << kill;
    mixed += wasMixed;
    leftovers += FileExists(path + ".nvsave");
  }
  // Saves after all that, over whatever temporary file the last kill left. A
  // save that changes nothing leaves the folder untouched, so both settings
  // are saved in turn: at least one of them rewrites the file.
  TStandInPlatform services;
  TIENorvane other(services), last(services);
  Fill(other, true), Fill(last, false);
  other.SaveSettings(path, "IE Norvane");
  last.SaveSettings(path, "IE Norvane");
  bool wasMixed = true;
  EXPECT_EQ(CheckWhole(ReadFileBytes(path), wasMixed), "");
  EXPECT_FALSE(wasMixed);
  EXPECT_FALSE(FileExists(path + ".nvsave"));
  RecordProperty("kills", kKills);
  RecordProperty("killed_between_keys", mixed);
  RecordProperty("temporary_files_left", leftovers);
  std::printf("%d kills: %d between two keys of a save, %d with a temporary file left\n", kKills,
              mixed, leftovers);
}

} // namespace
