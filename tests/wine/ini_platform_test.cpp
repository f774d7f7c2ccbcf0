// The INI accessor and the settings over the real private-profile services
// under Wine, held to the same tables as the portable store; and the portable
// store in the Windows build, where read-only is the file attribute.
#include <windows.h>

#include <gtest/gtest.h>

#include "IENorvaneU.h"
#include "IniCases.h"
#include "IniFiles.h"
#include "Platform.h"
#include "PortableIniStore.h"
#include "SettingsExpect.h"
#include "TempDir.h"
#include "Win32Platform.h"
#include "Win32ProfileStore.h"

namespace {

class IniPlatformTest : public ::testing::Test {
protected:
  std::string Read(const std::string &section, const std::string &key) {
    char buffer[256];
    const uint32_t count =
        Store.GetString(section.c_str(), key.c_str(), "<def>", buffer, sizeof buffer, Path.c_str());
    return std::string(buffer, count);
  }
  TIENorvane Loaded() {
    TIENorvane cleaner(System);
    cleaner.LoadSettings(Path, "IE Norvane");
    return cleaner;
  }

  TTempDir Dir;
  std::string Path = Dir.File("host.ini");
  TWin32ProfileStore Store;
  TWin32Platform System;
};

TEST_F(IniPlatformTest, ReadsPreparedFileAsTheTableSays) {
  WriteFileBytes(Path, kPreparedIniFile);
  for (size_t i = 0; i < PreparedIniReads().size(); ++i) {
    const TIniReadCase &c = PreparedIniReads()[i];
    EXPECT_EQ(Read(c.Section, c.Key), c.Expected) << "case " << i;
  }
}

TEST_F(IniPlatformTest, NumbersAndFlagsReadFromTheirStoredText) {
  WriteFileBytes(Path, IniNumberCasesFile());
  const auto cases = IniNumberCases();
  TIniFile ini(Store, Path);
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string_view text = cases[i].Text;
    if (text.ends_with(' ') || text.starts_with('\t')) continue; // trimmed by the platform
    const std::string key = "k" + std::to_string(i);
    EXPECT_EQ(ini.ReadNumber("n", key, -7), cases[i].Expected.value_or(-7)) << text;
    EXPECT_EQ(ini.ReadFlag("n", key, true), cases[i].Expected.value_or(1) != 0) << text;
  }
}

TEST_F(IniPlatformTest, ValuesOfAnyLengthReadWhole) {
  TIniFile ini(Store, Path);
  for (size_t length : {2045u, 2046u, 2047u, 2048u, 2049u, 3000u, 4094u, 4095u, 4096u}) {
    std::string value(length, 'm');
    value[0] = 'A', value[length - 1] = 'Z';
    ini.WriteText("s", "plain", value);
    EXPECT_EQ(ini.ReadText("s", "plain", ""), value) << length;
    ini.WriteText("s", "quoted", "\"" + value + "\"");
    EXPECT_EQ(ini.ReadText("s", "quoted", ""), value) << length;
  }
}

TEST_F(IniPlatformTest, MissingFileGivesDefaultsAndCreatesNothing) {
  const CleanerSettings s = Loaded().Settings;
  EXPECT_TRUE(s.DeleteCache && s.DeleteCookies && s.DeleteHistory);
  EXPECT_EQ(TypeCode(s.DeleteCacheType) | TypeCode(s.DeleteCookiesType) |
                TypeCode(s.DeleteHistoryType),
            0);
  EXPECT_EQ(s.CacheMask + s.CookiesMask + s.HistoryMask, "*.**.**.*");
  EXPECT_FALSE(FileExists(Path));
}

TEST_F(IniPlatformTest, SaveKeepsOtherSectionsAndRewritesInPlace) {
  const std::string head = "; the host's file\r\n[Host]\r\nWindow=1,2\r\n";
  const std::string tail = "[Other plug-in]\r\nDeleteCache=keep\r\n";
  WriteFileBytes(Path, head + "[IE Norvane]\r\nDeleteHistoryType=2\r\n" + tail);
  TIENorvane cleaner = Loaded();
  EXPECT_EQ(TypeCode(cleaner.Settings.DeleteHistoryType), 2);
  cleaner.SaveSettings(Path, "IE Norvane");
  const std::string section = "[IE Norvane]\r\nDeleteHistoryType=2\r\nDeleteCache=1\r\n"
                              "DeleteCacheType=0\r\nCacheMask=*.*\r\nDeleteCookies=1\r\n"
                              "DeleteCookiesType=0\r\nCookiesMask=*.*\r\nDeleteHistory=1\r\n"
                              "HistoryMask=*.*\r\n";
  EXPECT_EQ(ReadFileBytes(Path), head + section + tail);
  cleaner.Settings.DeleteCookies = false,
  cleaner.Settings.CookiesMask = std::string(2999, 'c') + "*";
  cleaner.SaveSettings(Path, "ie norvane");
  std::string expected = head + section + tail;
  expected.replace(expected.find("DeleteCookies=1"), 15, "DeleteCookies=0");
  expected.replace(expected.find("CookiesMask=*.*"), 15,
                   "CookiesMask=" + cleaner.Settings.CookiesMask);
  EXPECT_EQ(ReadFileBytes(Path), expected);
  EXPECT_EQ(Loaded().Settings.CookiesMask, cleaner.Settings.CookiesMask);
}

TEST_F(IniPlatformTest, NewFileHoldsTheNineKeysInOrder) {
  Loaded().SaveSettings(Path, "IE Norvane");
  EXPECT_EQ(ReadFileBytes(Path), "[IE Norvane]\r\nDeleteCache=1\r\nDeleteCacheType=0\r\n"
                                 "CacheMask=*.*\r\nDeleteCookies=1\r\nDeleteCookiesType=0\r\n"
                                 "CookiesMask=*.*\r\nDeleteHistory=1\r\nDeleteHistoryType=0\r\n"
                                 "HistoryMask=*.*\r\n");
}

// The two additions through the real services: a section without them
// saves byte for byte as before; once set they follow the section's lines;
// once stored they are rewritten in place, also back at their defaults.
TEST_F(IniPlatformTest, AdditionsWrittenOnlyOnceUsed) {
  const std::string nine = "DeleteCache=1\r\nDeleteCacheType=0\r\nCacheMask=*.*\r\n"
                           "DeleteCookies=0\r\nDeleteCookiesType=1\r\nCookiesMask=x*\r\n"
                           "DeleteHistory=1\r\nDeleteHistoryType=0\r\nHistoryMask=*.*\r\n";
  const std::string tail = "[Other]\r\nKeepSites=other.net\r\n";
  const struct {
    const char *Name;
    std::string Stored, Keep;
    bool Https;
    std::string Saved;
  } cases[] = {
      {"neither set nor stored", "", "", false, ""},
      {"both set", "", "a.com;b.org", true, "KeepSites=a.com;b.org\r\nDeleteCacheHttps=1\r\n"},
      {"stored, then cleared", "KeepSites=a.com\r\nDeleteCacheHttps=1\r\n", "", false,
       "KeepSites=\r\nDeleteCacheHttps=0\r\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    WriteFileBytes(Path, "[IE Norvane]\r\n" + nine + c.Stored + tail);
    TIENorvane cleaner = Loaded();
    cleaner.Settings.KeepSites = c.Keep;
    cleaner.Settings.DeleteCacheHttps = c.Https;
    cleaner.SaveSettings(Path, "IE Norvane");
    EXPECT_EQ(ReadFileBytes(Path), "[IE Norvane]\r\n" + nine + c.Saved + tail);
    ExpectSameSettings(Loaded(), cleaner);
  }
}

TEST_F(IniPlatformTest, SaveRoundTripsAnyValues) {
  TIENorvane saved(System);
  const struct {
    bool Flag;
    int32_t Type;
    const char *Mask;
  } rows[] = {{false, INT32_MIN, "a"},
              {true, -1, "*.exa mple.com/*"},
              {false, 2, ""},
              {true, INT32_MAX, "[!a-z]?\"x'=;y"}};
  for (const auto &row : rows) {
    CleanerSettings &s = saved.Settings;
    s.DeleteCache = row.Flag, s.DeleteCookies = !row.Flag, s.DeleteHistory = row.Flag;
    s.DeleteCacheType = SweepTypeOf(row.Type), s.DeleteCookiesType = SweepTypeOf(row.Type / 3);
    s.DeleteHistoryType = SweepTypeOf(-row.Type / 7);
    s.CacheMask = row.Mask, s.CookiesMask = std::string(row.Mask) + "c";
    s.HistoryMask = "h" + std::string(row.Mask);
    s.KeepSites = row.Flag ? "k" + std::string(row.Mask) : "";
    s.DeleteCacheHttps = !row.Flag;
    saved.SaveSettings(Path, "IE Norvane");
    ExpectSameSettings(Loaded(), saved);
  }
}

// The platform refuses a missing folder and a folder in place of the file;
// the message carries the path exactly as given.
TEST_F(IniPlatformTest, UnwritablePathsRaiseWithThePathAsGiven) {
  ASSERT_TRUE(CreateDirectoryA(Dir.File("folder.ini").c_str(), nullptr));
  for (const std::string &path : {Dir.File("no such folder\\x.ini"), Dir.File("folder.ini")}) {
    TIENorvane cleaner(System);
    cleaner.LoadSettings(path, "IE Norvane");
    try {
      cleaner.SaveSettings(path, "IE Norvane");
      ADD_FAILURE() << "no exception for " << path;
    } catch (const EIniFileException &e) {
      EXPECT_EQ(e.Message(), "Unable to write to " + path);
    }
  }
}

// The platform refuses a read-only file, unless the Wine server runs as a
// user whom the file system lets write anyway (root): then there is nothing
// to check here, and the portable store's refusal is checked below.
TEST_F(IniPlatformTest, ReadOnlyFileRaisesAndStaysUnchanged) {
  const std::string original = "[IE Norvane]\r\nDeleteCache=0\r\n";
  WriteFileBytes(Path, original);
  SetReadOnly(Path, true);
  TIENorvane cleaner = Loaded();
  cleaner.Settings.DeleteCache = true;
  try {
    cleaner.SaveSettings(Path, "IE Norvane");
  } catch (const EIniFileException &e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + Path);
    EXPECT_EQ(ReadFileBytes(Path), original);
    return;
  }
  GTEST_SKIP() << "this Wine writes read-only files (run as root)";
}

// The portable store built for Windows takes the read-only attribute as a
// refusal, whoever runs it.
TEST_F(IniPlatformTest, PortableStoreRefusesReadOnlyFile) {
  const std::string original = "[IE Norvane]\r\nDeleteCache=0\r\n";
  WriteFileBytes(Path, original);
  SetReadOnly(Path, true);
  TPortableIniStore portable;
  TIniFile ini(portable, Path);
  EXPECT_THROW(ini.WriteFlag("IE Norvane", "DeleteCache", true), EIniFileException);
  EXPECT_EQ(ReadFileBytes(Path), original);
  SetReadOnly(Path, false);
  ini.WriteFlag("IE Norvane", "DeleteCache", true);
  EXPECT_EQ(ReadFileBytes(Path), "[IE Norvane]\r\nDeleteCache=1\r\n");
}

} // namespace
