#include "IniCases.h"

namespace {

const TIniNumberCase kNumberCases[] = {
    {"0", 0},
    {"1", 1},
    {"-1", -1},
    {"+1", 1},
    {"001", 1},
    {"-0", 0},
    {"   42", 42},
    {"2147483647", 2147483647},
    {"-2147483648", INT32_MIN},
    {"0000000000002147483647", 2147483647},
    {"$1", 1},
    {"x1", 1},
    {"X1", 1},
    {"0x1", 1},
    {"0X1", 1},
    {"$10", 16},
    {"0xff", 255},
    {"$aBcD", 0xABCD},
    {"$7FFFFFFF", 2147483647},
    {"$80000000", INT32_MIN},
    {"$FFFFFFFF", -1},
    {"0x00000000FFFFFFFF", -1},
    {"  $1", 1},
    {"", std::nullopt},
    {"   ", std::nullopt},
    {"-", std::nullopt},
    {"+", std::nullopt},
    {"$", std::nullopt},
    {"0x", std::nullopt},
    {"x", std::nullopt},
    {"- 1", std::nullopt},
    {"-$1", std::nullopt},
    {"+0x1", std::nullopt},
    {"1x", std::nullopt},
    {"1 ", std::nullopt},
    {"\t1", std::nullopt},
    {"1.0", std::nullopt},
    {"2147483648", std::nullopt},
    {"-2147483649", std::nullopt},
    {"99999999999999999999", std::nullopt},
    {"$100000000", std::nullopt},
    {"$FFFFFFFFF", std::nullopt},
    {"0x1g", std::nullopt},
    {"$-1", std::nullopt},
    {"yes", std::nullopt},
    {"true", std::nullopt},
    {"--1", std::nullopt},
    {"00x1", std::nullopt},
};

const TIniReadCase kPreparedReads[] = {
    {"Sec", "a", "1 = 2"},
    {"sec", "b", "quoted"},
    {"Sec", "c", "x"},
    {"Sec", "d", "\""},
    {"Sec", "e", "\"abc'"},
    {"Sec", "noeq", "<def>"},
    {"Sec", ";f", "1"},
    {"Sec", "f", "<def>"},
    {"Sec", "dup", "first"},
    {"Sec", "empty", ""},
    {"Sec", "m", ""},
    {"Sec", "", "val"},
    {"sec", "g", "<def>"},
    {"other", "h", "1"},
    {"OTHER", "I", "2"},
    {" Sec ", "a", "1 = 2"},
    {"a]b", "j", "1"},
    {"a", "j", "<def>"},
    {"sp ace", "k", "1"},
    {" sp ace ", "k", "1"},
    {"nobracket", "l", "<def>"},
    {"sp ace", "l", "1"},
    {"sp ace", "tabs", "v"},
    {"sp ace", "last", "noend"},
    {"", "pre", "0"},
    {"", "junk before", "<def>"},
    {"sp ace", "\x01\x02", "ctl"},
    {"sp ace", " x y ", "z"},
    {"Sec", "comment k", "<def>"},
    {"missing", "a", "<def>"},
    {"Sec", "; comment k", "<def>"},
};

} // namespace

std::span<const TIniNumberCase> IniNumberCases() { return kNumberCases; }

std::string IniNumberCasesFile() {
  std::string content = "[n]\r\n";
  const auto cases = IniNumberCases();
  for (size_t i = 0; i < cases.size(); ++i)
    content += "k" + std::to_string(i) + "=" + cases[i].Text + "\r\n";
  return content;
}

const char kPreparedIniFile[] =
    "; comment k=1\r\n  \r\njunk before\r\npre=0\r\n [ Sec ] trailing\r\n"
    "a = 1 = 2 \r\n B=  \"quoted\"  \r\nc='x'\r\nd=\"\r\ne=\"abc'\r\nnoeq\r\nnoeq=5\r\n"
    ";f=1\r\ndup=first\r\nDUP=second\r\nempty=\r\nm=\"\"\r\n=val\r\n[sec]\r\ng=second\r\n"
    "[other]x\r\nh=1\r\r\n\n\ni=2\n[a]b]\nj=1\n[ sp ace ]\nk=1\n[nobracket\nl=1\n"
    "tabs\t=\tv\t\n\x01\x02=ctl \x0b\n  x y = z\nlast=noend";

std::span<const TIniReadCase> PreparedIniReads() { return kPreparedReads; }
