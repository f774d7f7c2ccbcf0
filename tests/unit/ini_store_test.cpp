// The portable INI store on real files: the format rules it shares with the
// platform, where writes go, and how it refuses writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "IniCases.h"
#include "IniScenario.h"
#include "PortableIniStore.h"
#include "TempDir.h"

namespace {

class IniStoreTest : public ::testing::Test {
protected:
  std::string Read(const std::string &section, const std::string &key,
                   const std::string &def = "<def>", uint32_t size = 256) {
    std::string buffer(size, '#');
    const uint32_t count = Store.GetString(section.c_str(), key.c_str(), def.c_str(), buffer.data(),
                                           size, Path.c_str());
    EXPECT_EQ(buffer[count], '\0');
    return buffer.substr(0, count);
  }
  bool Write(const std::string &section, const std::string &key, const std::string &value) {
    return Store.WriteString(section.c_str(), key.c_str(), value.c_str(), Path.c_str());
  }

  TTempDir Dir;
  std::string Path = Dir.File("host.ini");
  TPortableIniStore Store;
};

TEST_F(IniStoreTest, ReadsFilesOtherWritersPrepared) {
  WriteFileBytes(Path, kPreparedIniFile);
  for (size_t i = 0; i < PreparedIniReads().size(); ++i) {
    const TIniReadCase &c = PreparedIniReads()[i];
    EXPECT_EQ(Read(c.Section, c.Key), c.Expected) << "case " << i;
  }
}

TEST_F(IniStoreTest, DefaultsAndCutsLikeThePlatform) {
  WriteFileBytes(Path, "[s]\r\nk=1 = 2\r\nq=\"quoted\"\r\n");
  EXPECT_EQ(Read("s", "none", "def  "), "def");
  EXPECT_EQ(Read("s", "none", "  def"), "  def");
  EXPECT_EQ(Read("s", "none", "\"q\""), "q");
  EXPECT_EQ(Read("s", "k", "d", 3), "1 ");
  EXPECT_EQ(Read("s", "k", "d", 1), "");
  EXPECT_EQ(Read("s", "k", "d", 6), "1 = 2");
  EXPECT_EQ(Read("s", "k", "d", 5), "1 = ");
  EXPECT_EQ(Read("s", "q", "d", 4), "quo");
  EXPECT_EQ(Read("s", "q", "d", 7), "quoted");
  EXPECT_FALSE(FileExists(Dir.File("none.ini")));
}

TEST_F(IniStoreTest, ReadingAMissingFileCreatesNothing) {
  EXPECT_EQ(Read("s", "k", "fallback"), "fallback");
  EXPECT_FALSE(FileExists(Path));
}

TEST_F(IniStoreTest, WritesPlaceLinesWhereThePlatformDoes) {
  WriteFileBytes(Path, "; host\n[s]\na = 1\n\n; tail\n\n[t]\nb=2\n[S]\nc=3\nnoeq\nlast=x");
  ASSERT_TRUE(Write("s", "new", "  lead and trail  "));
  ASSERT_TRUE(Write("T", "B", "9"));
  ASSERT_TRUE(Write("u", "e", "5"));
  ASSERT_TRUE(Write("s", "empty", ""));
  EXPECT_EQ(ReadFileBytes(Path), "; host\r\n[s]\r\na = 1\r\n\r\n; tail\r\nnew=lead and trail\r\n"
                                 "empty=\r\n\r\n[t]\r\nb=9\r\n[S]\r\nc=3\r\nnoeq\r\nlast=x\r\n"
                                 "[u]\r\ne=5\r\n");
  EXPECT_EQ(Read("s", "empty"), "");
  EXPECT_EQ(Read("s", "c"), "<def>") << "a duplicate section is never read";
}

TEST_F(IniStoreTest, AKeyLineWithoutEqualsIsTheOneWritten) {
  WriteFileBytes(Path, "[s]\r\nnoeq\r\nnoeq=5\r\n");
  EXPECT_EQ(Read("s", "noeq"), "<def>");
  ASSERT_TRUE(Write("s", "NOEQ", "7"));
  EXPECT_EQ(ReadFileBytes(Path), "[s]\r\nnoeq=7\r\nnoeq=5\r\n");
}

TEST_F(IniStoreTest, AnUnchangedValueLeavesTheFileUntouched) {
  const std::string original = "[s]\na = 1 = 2 \nb=\"quoted\"\n";
  WriteFileBytes(Path, original);
  for (const char *value : {"1 = 2", "  1 = 2", "1 = 2  "})
    EXPECT_TRUE(Write("s", "a", value)) << value;
  EXPECT_TRUE(Write("s", "b", "\"quoted\""));
  EXPECT_EQ(ReadFileBytes(Path), original);
  EXPECT_TRUE(Write("s", "b", "quoted")) << "the quotes are part of the stored value";
  EXPECT_EQ(ReadFileBytes(Path), "[s]\r\na = 1 = 2 \r\nb=quoted\r\n");
}

TEST_F(IniStoreTest, Utf8MarkIsKeptAndUtf16IsReadButNeverWritten) {
  WriteFileBytes(Path, "\xEF\xBB\xBF[s]\r\nk=v\r\n");
  EXPECT_EQ(Read("s", "k"), "v");
  ASSERT_TRUE(Write("s", "k2", "w"));
  EXPECT_EQ(ReadFileBytes(Path), "\xEF\xBB\xBF[s]\r\nk=v\r\nk2=w\r\n");

  // Little-endian with characters above 7F, and big-endian.
  const char le[] = "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0v\0\xE9\0\x42\x30\r\0\n\0";
  const char be[] = "\xFE\xFF\0[\0s\0]\0\n\0k\0=\0v";
  const struct {
    std::string Content, Value;
  } files[] = {{std::string(le, sizeof le - 1), "v\xE9?"}, {std::string(be, sizeof be - 1), "v"}};
  for (const auto &file : files) {
    WriteFileBytes(Path, file.Content);
    EXPECT_EQ(Read("s", "k"), file.Value);
    EXPECT_FALSE(Write("s", "k2", "w"));
    EXPECT_EQ(ReadFileBytes(Path), file.Content);
  }
}

// Only the mark at the very start is one: the bytes of a second mark are
// part of the first line, which is kept (and is no header even when "[s]"
// follows it).
TEST_F(IniStoreTest, OnlyTheFirstUtf8MarkIsAMark) {
  const std::string mark = "\xEF\xBB\xBF";
  const struct {
    std::string Content, Expected;
  } cases[] = {
      {mark + mark, mark + mark + "\r\n[s]\r\nk=v\r\n"},
      {mark + mark + mark, mark + mark + mark + "\r\n[s]\r\nk=v\r\n"},
      {mark + mark + "[s]\r\nk=1\r\n", mark + mark + "[s]\r\nk=1\r\n[s]\r\nk=v\r\n"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    WriteFileBytes(Path, cases[i].Content);
    EXPECT_EQ(Read("s", "k"), "<def>") << "case " << i;
    ASSERT_TRUE(Write("s", "k", "v")) << "case " << i;
    EXPECT_EQ(ReadFileBytes(Path), cases[i].Expected) << "case " << i;
    EXPECT_EQ(CheckWriteKeptLines(cases[i].Content, cases[i].Expected, "s", "k"), "")
        << "case " << i;
    EXPECT_EQ(Read("s", "k"), "v") << "case " << i;
  }
}

TEST_F(IniStoreTest, RefusesLinesThatWouldReadBackAsOtherSettings) {
  WriteFileBytes(Path, "[s]\r\n[t]\r\nk=1\r\n");
  const struct {
    const char *Section, *Key, *Value;
  } refused[] = {{"s", "k", "x\r\n[t]\r\nk=evil"},
                 {"s", "k", "x\ny"},
                 {"s\r\n", "k", "1"},
                 {"s", "k=1", "2"},
                 {"s", "[t]", "2"},
                 {"s", " [x", "2"}};
  for (const auto &write : refused) {
    EXPECT_FALSE(Write(write.Section, write.Key, write.Value)) << write.Key;
    EXPECT_EQ(ReadFileBytes(Path), "[s]\r\n[t]\r\nk=1\r\n");
  }
}

TEST_F(IniStoreTest, RefusedWritesLeaveEverythingAsItWas) {
  WriteFileBytes(Path, "[s]\nk=1\n");
  SetReadOnly(Path, true);
  EXPECT_FALSE(Write("s", "k", "2"));
  EXPECT_TRUE(Write("s", "k", "1")) << "an unchanged value needs no write";
  EXPECT_EQ(ReadFileBytes(Path), "[s]\nk=1\n");
  EXPECT_FALSE(FileExists(Path + ".nvsave"));

  const std::string missingFolder = Dir.File("no/such.ini");
  EXPECT_FALSE(Store.WriteString("s", "k", "1", missingFolder.c_str()));
  const std::string folder = Dir.File("folder.ini");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  EXPECT_FALSE(Store.WriteString("s", "k", "1", folder.c_str()));
}

TEST_F(IniStoreTest, ReplacingKeepsPermissionsLinksAndIgnoresLeftovers) {
  WriteFileBytes(Path, "[s]\nk=1\n");
  ASSERT_EQ(chmod(Path.c_str(), 0640), 0);
  WriteFileBytes(Path + ".nvsave", "half a file from a killed sa");
  const std::string link = Dir.File("link.ini");
  ASSERT_EQ(symlink(Path.c_str(), link.c_str()), 0);
  ASSERT_TRUE(Store.WriteString("s", "k", "2", link.c_str()));
  struct stat info {};
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(stat(Path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadFileBytes(Path), "[s]\r\nk=2\r\n");
  EXPECT_FALSE(FileExists(Path + ".nvsave"));
}

TEST_F(IniStoreTest, BareNameIsAFileInTheCurrentFolder) {
  const std::string before = std::filesystem::current_path().string();
  std::filesystem::current_path(Dir.Path());
  EXPECT_TRUE(Store.WriteString("s", "k", "v", "bare.ini"));
  std::filesystem::current_path(before);
  EXPECT_EQ(ReadFileBytes(Dir.File("bare.ini")), "[s]\r\nk=v\r\n");
}

// Seeded scenarios: every write reads back as written and keeps every other
// line of the file.
TEST_F(IniStoreTest, ScenarioWritesReadBackAndKeepOtherLines) {
  for (uint32_t seed = 1; seed <= 150; ++seed) {
    const TIniScenario scenario = MakeIniScenario(seed);
    std::remove(Path.c_str());
    if (scenario.FileExists) WriteFileBytes(Path, scenario.InitialContent);
    for (size_t i = 0; i < scenario.Ops.size(); ++i) {
      const TIniOp &op = scenario.Ops[i];
      if (!op.IsWrite) continue;
      const std::string before = FileExists(Path) ? ReadFileBytes(Path) : "";
      ASSERT_TRUE(Write(op.Section, op.Key, op.Value)) << "seed " << seed << " op " << i;
      EXPECT_EQ(CheckWriteKeptLines(before, ReadFileBytes(Path), op.Section, op.Key), "")
          << "seed " << seed << " op " << i;
      ASSERT_EQ(Read(op.Section, op.Key), ExpectedReadBack(op.Value))
          << "seed " << seed << " op " << i;
    }
  }
}

} // namespace
