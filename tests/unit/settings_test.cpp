// TIENorvane's settings loaded from and saved to a host's INI file through
// the portable store, each row of the settings table and the keys by name.
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

// What a load gives every setting of a section that holds none.
const CleanerSettings kDefaults{.DeleteCache = true,
                                .DeleteCacheType = TSweepType::All,
                                .CacheMask = "*.*",
                                .DeleteCookies = true,
                                .DeleteCookiesType = TSweepType::All,
                                .CookiesMask = "*.*",
                                .DeleteHistory = true,
                                .DeleteHistoryType = TSweepType::All,
                                .HistoryMask = "*.*",
                                .KeepSites = "",
                                .DeleteCacheHttps = false,
                                .WipeTraces = false};
// Settings that differ from the defaults in every field.
const CleanerSettings kUsed{.DeleteCache = false,
                            .DeleteCacheType = TSweepType::ByMask,
                            .CacheMask = "*.a",
                            .DeleteCookies = false,
                            .DeleteCookiesType = SweepTypeOf(2),
                            .CookiesMask = "c*",
                            .DeleteHistory = false,
                            .DeleteHistoryType = SweepTypeOf(-1),
                            .HistoryMask = "",
                            .KeepSites = "a.com",
                            .DeleteCacheHttps = true,
                            .WipeTraces = true};

TEST_F(SettingsTest, MissingFileOrSectionGivesDefaultsAndCreatesNothing) {
  EXPECT_EQ(Loaded().Settings, kDefaults);
  EXPECT_FALSE(FileExists(Path));
  WriteFileBytes(Path, "[Other]\r\nDeleteCache=0\r\n");
  EXPECT_EQ(Loaded().Settings, kDefaults);
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
    EXPECT_EQ(cleaner.Settings.DeleteCookies, c.Flag) << c.Stored;
    EXPECT_EQ(TypeCode(cleaner.Settings.DeleteCacheType), c.Type) << c.Stored;
  }
  Prepare("CacheMask=\r\nDeleteHistoryType=2\r\n");
  const TIENorvane cleaner = Loaded();
  EXPECT_EQ(cleaner.Settings.CacheMask, "");
  EXPECT_EQ(cleaner.Settings.CookiesMask, "*.*");
  EXPECT_EQ(TypeCode(cleaner.Settings.DeleteHistoryType), 2);
}

TEST_F(SettingsTest, EachSettingLoadsItsDefaultWithoutItsValueAndRoundTrips) {
  TIENorvane used(*this);
  used.Settings = kUsed;
  used.SaveSettings(Path, "IE Norvane");
  const std::string saved = ReadFileBytes(Path);
  EXPECT_EQ(Loaded().Settings, kUsed);
  for (const TSetting &setting : kSettings) {
    const std::string key = setting.Key;
    const std::string line = key + "=" + ValueText(kUsed, setting) + "\r\n";
    const size_t at = saved.find("\n" + line);
    ASSERT_NE(at, std::string::npos) << key;
    // Without its line, or (a flag, a type) with a text that does not parse.
    std::vector<std::string> stored = {""};
    if (setting.Kind != TSettingKind::Text) stored.push_back(key + "=yes\r\n");
    for (const std::string &instead : stored) {
      SCOPED_TRACE(key + " as '" + instead + "'");
      WriteFileBytes(Path, std::string(saved).replace(at + 1, line.size(), instead));
      TIENorvane loaded = Loaded();
      for (const TSetting &other : kSettings)
        EXPECT_EQ(ValueText(loaded.Settings, other),
                  ValueText(&other == &setting ? kDefaults : kUsed, other))
            << other.Key;
      EXPECT_NE(loaded.Settings, kUsed) << "the comparison misses the setting";
      // At its default and absent, only an addition is left out of a save.
      const std::string fresh = Dir.File(key + std::to_string(instead.size()) + ".ini");
      loaded.SaveSettings(fresh, "IE Norvane");
      EXPECT_EQ(ReadFileBytes(fresh).find("\n" + key + "=") == std::string::npos,
                setting.Save == TSettingSave::OnceUsed);
    }
  }
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
  cleaner.Settings.DeleteCache = false, cleaner.Settings.CacheMask = "*.example.com/*";
  cleaner.Settings.DeleteHistoryType = SweepTypeOf(-5);
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
    bool Wipe = false;
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
      {"WipeTraces=1\r\n", false, "", true},
      {"WipeTraces=yes\r\n", false, "", false},
      {"wipetraces = 2\r\nDeleteCacheHttps=1\r\n", true, "", true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Lines);
    Prepare(c.Lines);
    const TIENorvane cleaner = Loaded();
    EXPECT_EQ(cleaner.Settings.DeleteCacheHttps, c.Https);
    EXPECT_EQ(cleaner.Settings.KeepSites, c.Keep);
    EXPECT_EQ(cleaner.Settings.WipeTraces, c.Wipe);
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
       [](TIENorvane &c) { c.Settings.KeepSites = "", c.Settings.DeleteCacheHttps = false; }, ""},
      {"a keep list set", "", [](TIENorvane &c) { c.Settings.KeepSites = "a.com; b.org"; },
       "KeepSites=a.com; b.org\r\n"},
      {"https set", "", [](TIENorvane &c) { c.Settings.DeleteCacheHttps = true; },
       "DeleteCacheHttps=1\r\n"},
      {"both set, in their order", "",
       [](TIENorvane &c) { c.Settings.DeleteCacheHttps = true, c.Settings.KeepSites = "a.com"; },
       "KeepSites=a.com\r\nDeleteCacheHttps=1\r\n"},
      {"stored and unchanged", "KeepSites=a.com\r\nDeleteCacheHttps=1\r\n", [](TIENorvane &) {},
       "KeepSites=a.com\r\nDeleteCacheHttps=1\r\n"},
      {"stored, then cleared: rewritten empty and 0", "KeepSites=a.com\r\nDeleteCacheHttps=1\r\n",
       [](TIENorvane &c) { c.Settings.KeepSites = "", c.Settings.DeleteCacheHttps = false; },
       "KeepSites=\r\nDeleteCacheHttps=0\r\n"},
      {"stored at the defaults: rewritten as they stand", "KeepSites=\r\nDeleteCacheHttps=0\r\n",
       [](TIENorvane &) {}, "KeepSites=\r\nDeleteCacheHttps=0\r\n"},
      {"stored as a text the flag reads as false", "DeleteCacheHttps=yes\r\n", [](TIENorvane &) {},
       "DeleteCacheHttps=0\r\n"},
      {"wipe set: written after the others", "",
       [](TIENorvane &c) { c.Settings.WipeTraces = c.Settings.DeleteCacheHttps = true; },
       "DeleteCacheHttps=1\r\nWipeTraces=1\r\n"},
      {"wipe stored, then cleared: rewritten 0", "WipeTraces=1\r\n",
       [](TIENorvane &c) { c.Settings.WipeTraces = false; }, "WipeTraces=0\r\n"},
      {"a malformed keep list is stored as typed", "",
       [](TIENorvane &c) { c.Settings.KeepSites = "a.com;b/c"; }, "KeepSites=a.com;b/c\r\n"},
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
  cleaner.Settings.DeleteCache = true;
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
    saved.Settings.DeleteCache = random() % 2, saved.Settings.DeleteCookies = random() % 2;
    saved.Settings.DeleteHistory = random() % 2;
    saved.Settings.DeleteCacheType = SweepTypeOf(number()),
    saved.Settings.DeleteCookiesType = SweepTypeOf(round % 3);
    saved.Settings.DeleteHistoryType = SweepTypeOf(round == 0 ? INT32_MIN : number());
    saved.Settings.CacheMask = mask(random() % 40), saved.Settings.CookiesMask = mask(random() % 3);
    saved.Settings.HistoryMask = mask(round == 1 ? 3000 : random() % 100);
    saved.Settings.KeepSites = round % 4 == 0 ? "" : mask(random() % 30);
    saved.Settings.DeleteCacheHttps = random() % 2;
    saved.SaveSettings(Path, "IE Norvane");
    ExpectSameSettings(Loaded(), saved);
  }
}

TEST_F(SettingsTest, LongMaskRoundTripsWhole) {
  TIENorvane saved = Loaded();
  saved.Settings.CookiesMask = std::string(2999, 'c') + "*";
  saved.SaveSettings(Path, "IE Norvane");
  EXPECT_EQ(Loaded().Settings.CookiesMask, saved.Settings.CookiesMask);
}

} // namespace
