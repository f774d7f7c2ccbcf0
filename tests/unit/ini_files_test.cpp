// The INI accessor over the portable store: the text forms of numbers and
// flags, refused writes, and values of any length.
#include <gtest/gtest.h>

#include "IniCases.h"
#include "IniFiles.h"
#include "PortableIniStore.h"
#include "TempDir.h"

namespace {

TEST(IniNumbers, ParsesExactlyTheStoredForms) {
  for (const auto &c : IniNumberCases())
    EXPECT_EQ(ParseIniNumber(c.Text), c.Expected) << c.Text;
}

class IniFilesTest : public ::testing::Test {
protected:
  TTempDir Dir;
  std::string Path = Dir.File("host.ini");
  TPortableIniStore Store;
};

TEST_F(IniFilesTest, NumbersAndFlagsReadFromTheirStoredText) {
  WriteFileBytes(Path, IniNumberCasesFile());
  const auto cases = IniNumberCases();
  TIniFile ini(Store, Path);
  for (size_t i = 0; i < cases.size(); ++i) {
    const auto &c = cases[i];
    const std::string key = "k" + std::to_string(i);
    // The store trims the blanks around a stored value, so "1 " reads as "1".
    const std::string_view text = c.Text;
    if (text.ends_with(' ') || text.starts_with('\t')) continue;
    EXPECT_EQ(ini.ReadNumber("n", key, -7), c.Expected.value_or(-7)) << c.Text;
    EXPECT_EQ(ini.ReadFlag("n", key, true), c.Expected.value_or(1) != 0) << c.Text;
    EXPECT_EQ(ini.ReadFlag("n", key, false), c.Expected.value_or(0) != 0) << c.Text;
  }
  EXPECT_EQ(ini.ReadNumber("n", "missing", 5), 5);
  EXPECT_FALSE(ini.ReadFlag("other", "missing", false));
}

TEST_F(IniFilesTest, NumbersAndFlagsWriteInPlainDecimal) {
  {
    TIniFile ini(Store, Path);
    ini.WriteNumber("s", "zero", 0);
    ini.WriteNumber("s", "neg", -1);
    ini.WriteNumber("s", "min", INT32_MIN);
    ini.WriteNumber("s", "max", INT32_MAX);
    ini.WriteFlag("s", "on", true);
    ini.WriteFlag("s", "off", false);
    ini.WriteText("s", "empty", "");
  }
  EXPECT_EQ(ReadFileBytes(Path), "[s]\r\nzero=0\r\nneg=-1\r\nmin=-2147483648\r\n"
                                 "max=2147483647\r\non=1\r\noff=0\r\nempty=\r\n");
}

TEST_F(IniFilesTest, RefusedWriteRaisesWithThePathAsGiven) {
  const std::string missing = Dir.Path() + "/./no folder/../x.ini";
  TIniFile ini(Store, missing);
  try {
    ini.WriteText("s", "k", "v");
    FAIL() << "no exception";
  } catch (const EIniFileException &e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + missing);
  }
}

// Values around every buffer size the reader passes, quoted or not, read
// whole: the reader grows its buffer whenever the store fills it.
TEST_F(IniFilesTest, ValuesOfAnyLengthReadWhole) {
  TIniFile ini(Store, Path);
  for (size_t length : {2045u, 2046u, 2047u, 2048u, 2049u, 3000u, 4094u, 4095u, 4096u, 70000u}) {
    std::string value(length, 'm');
    value[0] = 'A', value[length - 1] = 'Z';
    ini.WriteText("s", "plain", value);
    EXPECT_EQ(ini.ReadText("s", "plain", ""), value) << length;
    ini.WriteText("s", "quoted", "\"" + value + "\"");
    EXPECT_EQ(ini.ReadText("s", "quoted", ""), value) << length;
    EXPECT_EQ(ini.ReadText("s", "missing", value), value) << length;
  }
}

} // namespace
