// TIENorvane's nine settings loaded from and saved to a host's INI file
// through the portable store.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "IENorvaneU.h"
#include "IniFiles.h"
#include "SettingsExpect.h"
#include "StandInPlatform.h"
#include "TempDir.h"

namespace {

class SettingsTest : public ::testing::Test, public TStandInPlatform {
protected:
  TIENorvane Loaded(const std::string &section = "IE Norvane") {
    TIENorvane cleaner(*this);
    cleaner.LoadSettings(Path, section);
    return cleaner;
  }
  // The file with one section holding `lines`.
  void Prepare(const std::string &lines) { WriteFileBytes(Path, "[IE Norvane]\r\n" + lines); }

  TTempDir Dir;
  std::string Path = Dir.File("host.ini");
};

void ExpectDefaults(const TIENorvane &c) {
  EXPECT_TRUE(c.DeleteCache && c.DeleteCookies && c.DeleteHistory);
  EXPECT_EQ(TypeCode(c.DeleteCacheType), 0);
  EXPECT_EQ(TypeCode(c.DeleteCookiesType), 0);
  EXPECT_EQ(TypeCode(c.DeleteHistoryType), 0);
  EXPECT_EQ(c.CacheMask, "*.*");
  EXPECT_EQ(c.CookiesMask, "*.*");
  EXPECT_EQ(c.HistoryMask, "*.*");
}

TEST_F(SettingsTest, MissingFileOrSectionGivesDefaultsAndCreatesNothing) {
  ExpectDefaults(Loaded());
  EXPECT_FALSE(FileExists(Path));
  WriteFileBytes(Path, "[Other]\r\nDeleteCache=0\r\n");
  ExpectDefaults(Loaded());
  EXPECT_EQ(ReadFileBytes(Path), "[Other]\r\nDeleteCache=0\r\n");
}

TEST_F(SettingsTest, StoredTextsLoadAsTheirValues) {
  const struct {
    const char *Stored;
    bool Flag;    // DeleteCookies
    int32_t Type; // DeleteCacheType
  } cases[] = {
      {"0", false, 0},  {"1", true, 1},          {"2", true, 2},          {"-1", true, -1},
      {"yes", true, 0}, {"", true, 0},           {"0x1", true, 1},        {"$1", true, 1},
      {"X1", true, 1},  {"+1", true, 1},         {"001", true, 1},        {"1x", true, 0},
      {"-$1", true, 0}, {"2147483648", true, 0}, {"$FFFFFFFF", true, -1}, {"$10", true, 16},
  };
  for (const auto &c : cases) {
    Prepare(std::string("DeleteCookies=") + c.Stored + "\r\nDeleteCacheType=" + c.Stored + "\r\n");
    const TIENorvane cleaner = Loaded();
    EXPECT_EQ(cleaner.DeleteCookies, c.Flag) << c.Stored;
    EXPECT_EQ(TypeCode(cleaner.DeleteCacheType), c.Type) << c.Stored;
  }
  Prepare("CacheMask=\r\nDeleteHistoryType=2\r\n");
  const TIENorvane cleaner = Loaded();
  EXPECT_EQ(cleaner.CacheMask, "");
  EXPECT_EQ(cleaner.CookiesMask, "*.*");
  EXPECT_EQ(TypeCode(cleaner.DeleteHistoryType), 2);
}

TEST_F(SettingsTest, NewFileHoldsTheNineKeysInOrder) {
  TIENorvane cleaner = Loaded();
  cleaner.SaveSettings(Path, "IE Norvane");
  EXPECT_EQ(ReadFileBytes(Path), "[IE Norvane]\r\nDeleteCache=1\r\nDeleteCacheType=0\r\n"
                                 "CacheMask=*.*\r\nDeleteCookies=1\r\nDeleteCookiesType=0\r\n"
                                 "CookiesMask=*.*\r\nDeleteHistory=1\r\nDeleteHistoryType=0\r\n"
                                 "HistoryMask=*.*\r\n");
}

TEST_F(SettingsTest, SavingKeepsTheHostsLinesAndRewritesInPlace) {
  const std::string head = "; the host's file\r\n[Host]\r\nWindow=1,2\r\n\r\n";
  const std::string tail = "[Other plug-in]\r\nDeleteCache=keep\r\n";
  WriteFileBytes(Path, head + "[IE Norvane]\r\nDeleteHistoryType=2\r\nExtra=x\r\n" + tail);
  TIENorvane cleaner = Loaded();
  cleaner.SaveSettings(Path, "IE Norvane");
  const std::string firstSave = ReadFileBytes(Path);
  EXPECT_EQ(firstSave, head +
                           "[IE Norvane]\r\nDeleteHistoryType=2\r\nExtra=x\r\n"
                           "DeleteCache=1\r\nDeleteCacheType=0\r\nCacheMask=*.*\r\n"
                           "DeleteCookies=1\r\nDeleteCookiesType=0\r\nCookiesMask=*.*\r\n"
                           "DeleteHistory=1\r\nHistoryMask=*.*\r\n" +
                           tail);
  cleaner.DeleteCache = false, cleaner.CacheMask = "*.example.com/*";
  cleaner.DeleteHistoryType = SweepTypeOf(-5);
  cleaner.SaveSettings(Path, "ie norvane");
  std::string expected = firstSave;
  expected.replace(expected.find("DeleteCache=1"), 13, "DeleteCache=0");
  expected.replace(expected.find("CacheMask=*.*"), 13, "CacheMask=*.example.com/*");
  expected.replace(expected.find("DeleteHistoryType=2"), 19, "DeleteHistoryType=-5");
  EXPECT_EQ(ReadFileBytes(Path), expected);
}

TEST_F(SettingsTest, AdditionsLoadAsStored) {
  // DeleteCacheHttps is read as the flags are, with false for a missing key
  // or a text that does not parse; KeepSites as the masks are, unparsed.
  const struct {
    const char *Lines;
    bool Https;
    const char *Keep;
  } cases[] = {
      {"", false, ""},
      {"DeleteCacheHttps=1\r\n", true, ""},
      {"DeleteCacheHttps=0\r\n", false, ""},
      {"DeleteCacheHttps=2\r\n", true, ""},
      {"DeleteCacheHttps=-1\r\n", true, ""},
      {"DeleteCacheHttps=$1\r\n", true, ""},
      {"DeleteCacheHttps=0x0\r\n", false, ""},
      {"DeleteCacheHttps=yes\r\n", false, ""},
      {"DeleteCacheHttps=\r\n", false, ""},
      {"deletecachehttps = 1 \r\n", true, ""},
      {"KeepSites=a.com;b.org\r\n", false, "a.com;b.org"},
      {"KeepSites= a.com ; *.B.org \r\n", false, "a.com ; *.B.org"},
      {"KeepSites=\"a.com;b/c\"\r\n", false, "a.com;b/c"},
      {"KEEPSITES=x\r\nKeepSites=y\r\n", false, "x"},
      {"KeepSites=\r\nDeleteCacheHttps=1\r\n", true, ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Lines);
    Prepare(c.Lines);
    const TIENorvane cleaner = Loaded();
    EXPECT_EQ(cleaner.DeleteCacheHttps, c.Https);
    EXPECT_EQ(cleaner.KeepSites, c.Keep);
  }
}

TEST_F(SettingsTest, AdditionsWrittenOnlyOnceUsed) {
  const std::string nine = "DeleteCache=1\r\nDeleteCacheType=0\r\nCacheMask=*.*\r\n"
                           "DeleteCookies=1\r\nDeleteCookiesType=0\r\nCookiesMask=*.*\r\n"
                           "DeleteHistory=1\r\nDeleteHistoryType=0\r\nHistoryMask=*.*\r\n";
  const std::string tail = "[Other]\r\nKeepSites=other.net\r\nDeleteCacheHttps=1\r\n";
  const struct {
    const char *Name;
    std::string Stored; // the section's lines after the nine
    std::function<void(TIENorvane &)> Edit;
    std::string Saved; // the section's lines after the nine once saved
  } cases[] = {
      {"neither set nor stored: not written", "", [](TIENorvane &) {}, ""},
      {"set back to the defaults, not stored: not written", "",
       [](TIENorvane &c) { c.KeepSites = "", c.DeleteCacheHttps = false; }, ""},
      {"a keep list set", "", [](TIENorvane &c) { c.KeepSites = "a.com; b.org"; },
       "KeepSites=a.com; b.org\r\n"},
      {"https set", "", [](TIENorvane &c) { c.DeleteCacheHttps = true; }, "DeleteCacheHttps=1\r\n"},
      {"both set, in their order", "",
       [](TIENorvane &c) { c.DeleteCacheHttps = true, c.KeepSites = "a.com"; },
       "KeepSites=a.com\r\nDeleteCacheHttps=1\r\n"},
      {"stored and unchanged", "KeepSites=a.com\r\nDeleteCacheHttps=1\r\n", [](TIENorvane &) {},
       "KeepSites=a.com\r\nDeleteCacheHttps=1\r\n"},
      {"stored, then cleared: rewritten empty and 0", "KeepSites=a.com\r\nDeleteCacheHttps=1\r\n",
       [](TIENorvane &c) { c.KeepSites = "", c.DeleteCacheHttps = false; },
       "KeepSites=\r\nDeleteCacheHttps=0\r\n"},
      {"stored at the defaults: rewritten as they stand", "KeepSites=\r\nDeleteCacheHttps=0\r\n",
       [](TIENorvane &) {}, "KeepSites=\r\nDeleteCacheHttps=0\r\n"},
      {"stored as a text the flag reads as false", "DeleteCacheHttps=yes\r\n", [](TIENorvane &) {},
       "DeleteCacheHttps=0\r\n"},
      {"a malformed keep list is stored as typed", "",
       [](TIENorvane &c) { c.KeepSites = "a.com;b/c"; }, "KeepSites=a.com;b/c\r\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string before = "[IE Norvane]\r\n" + nine + c.Stored + tail;
    WriteFileBytes(Path, before);
    TIENorvane cleaner = Loaded();
    c.Edit(cleaner);
    cleaner.SaveSettings(Path, "IE Norvane");
    EXPECT_EQ(ReadFileBytes(Path), "[IE Norvane]\r\n" + nine + c.Saved + tail);
  }
}

TEST_F(SettingsTest, ReadOnlyFileRaisesAndStaysUnchanged) {
  const std::string original = "[IE Norvane]\nDeleteCache=0\n";
  WriteFileBytes(Path, original);
  SetReadOnly(Path, true);
  TIENorvane cleaner = Loaded();
  cleaner.DeleteCache = true;
  try {
    cleaner.SaveSettings(Path, "IE Norvane");
    FAIL() << "no exception";
  } catch (const EIniFileException &e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + Path);
  }
  EXPECT_EQ(ReadFileBytes(Path), original);
}

TEST_F(SettingsTest, SaveThenLoadGivesTheSameNineValues) {
  std::mt19937 random(2024);
  auto mask = [&random](size_t length) {
    const char chars[] = "abz09*?.[]!-/:;=\" '";
    std::string text;
    for (size_t i = 0; i < length; ++i)
      text += chars[random() % (sizeof chars - 1)];
    // Blanks and quote marks at either end are not kept by the file format.
    if (!text.empty()) text.front() = 'a', text.back() = 'z';
    return text;
  };
  auto number = [&random] { return static_cast<int32_t>(random()); };
  for (int round = 0; round < 20; ++round) {
    TIENorvane saved(*this);
    saved.DeleteCache = random() % 2, saved.DeleteCookies = random() % 2;
    saved.DeleteHistory = random() % 2;
    saved.DeleteCacheType = SweepTypeOf(number()), saved.DeleteCookiesType = SweepTypeOf(round % 3);
    saved.DeleteHistoryType = SweepTypeOf(round == 0 ? INT32_MIN : number());
    saved.CacheMask = mask(random() % 40), saved.CookiesMask = mask(random() % 3);
    saved.HistoryMask = mask(round == 1 ? 3000 : random() % 100);
    saved.KeepSites = round % 4 == 0 ? "" : mask(random() % 30);
    saved.DeleteCacheHttps = random() % 2;
    saved.SaveSettings(Path, "IE Norvane");
    ExpectSameSettings(Loaded(), saved);
  }
}

TEST_F(SettingsTest, LongMaskRoundTripsWhole) {
  TIENorvane saved = Loaded();
  saved.CookiesMask = std::string(2999, 'c') + "*";
  saved.SaveSettings(Path, "IE Norvane");
  EXPECT_EQ(Loaded().CookiesMask, saved.CookiesMask);
}

} // namespace
