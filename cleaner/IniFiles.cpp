#include "IniFiles.h"

#include <vector>

namespace {

// The first buffer a read passes, the size the platform's own readers use.
constexpr uint32_t kFirstReadSize = 2048;
// No stored value is longer than this; a store that keeps filling the buffer
// past it is cut off rather than followed forever.
constexpr uint32_t kLargestReadSize = 1u << 30;

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One or more hex digits and nothing else, at most FFFFFFFF.
std::optional<uint32_t> ParseHexDigits(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

// One or more decimal digits and nothing else, at most `limit`.
std::optional<uint64_t> ParseDecimalDigits(std::string_view digits, uint64_t limit) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return value;
}

// The length of the hexadecimal prefix that `text` starts with, or 0.
size_t HexPrefixLength(std::string_view text) {
  if (text.starts_with("0x") || text.starts_with("0X")) return 2;
  if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) return 1;
  return 0;
}

std::optional<int32_t> ParseDecimal(std::string_view text) {
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+')) text.remove_prefix(1);
  const uint64_t limit = negative ? 2147483648u : 2147483647u;
  const auto magnitude = ParseDecimalDigits(text, limit);
  if (!magnitude) return std::nullopt;
  const int64_t value =
      negative ? -static_cast<int64_t>(*magnitude) : static_cast<int64_t>(*magnitude);
  return static_cast<int32_t>(value);
}

} // namespace

std::optional<int32_t> ParseIniNumber(std::string_view text) {
  const size_t firstNonSpace = text.find_first_not_of(' ');
  if (firstNonSpace == std::string_view::npos) return std::nullopt;
  text.remove_prefix(firstNonSpace);
  if (const size_t prefix = HexPrefixLength(text)) {
    const auto bits = ParseHexDigits(text.substr(prefix));
    if (!bits) return std::nullopt;
    return static_cast<int32_t>(*bits);
  }
  return ParseDecimal(text);
}

int32_t TCustomIniFile::ReadNumber(const std::string &section, const std::string &key,
                                   int32_t defaultValue) {
  return ParseIniNumber(ReadText(section, key, "")).value_or(defaultValue);
}

void TCustomIniFile::WriteNumber(const std::string &section, const std::string &key,
                                 int32_t value) {
  WriteText(section, key, std::to_string(value));
}

bool TCustomIniFile::ReadFlag(const std::string &section, const std::string &key,
                              bool defaultValue) {
  return ReadNumber(section, key, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteFlag(const std::string &section, const std::string &key, bool value) {
  WriteText(section, key, value ? "1" : "0");
}

TIniFile::TIniFile(IProfileStore &store, const std::string &fileName)
    : TCustomIniFile(fileName), Store(store) {}

TIniFile::~TIniFile() { FlushFile(); }

std::string TIniFile::ReadText(const std::string &section, const std::string &key,
                               const std::string &defaultValue) {
  std::vector<char> buffer(kFirstReadSize);
  for (;;) {
    const auto size = static_cast<uint32_t>(buffer.size());
    const uint32_t count = Store.GetString(section.c_str(), key.c_str(), defaultValue.c_str(),
                                           buffer.data(), size, FileName.c_str());
    // A count within one of the brim may be a cut value: one reader drops the
    // closing quote mark of a value it had to cut just short of it. Reading
    // again with room to spare settles it.
    if (count + 2 < size || size >= kLargestReadSize) return std::string(buffer.data(), count);
    buffer.resize(size_t{size} * 2);
  }
}

void TIniFile::WriteText(const std::string &section, const std::string &key,
                         const std::string &value) {
  if (!Store.WriteString(section.c_str(), key.c_str(), value.c_str(), FileName.c_str()))
    throw EIniFileException("Unable to write to " + FileName);
}

void TIniFile::FlushFile() { Store.Flush(FileName.c_str()); }

bool TCustomIniFile::ValueExists(const std::string &section, const std::string &key) {
  // A missing key reads as its default; one stored empty reads as "" whatever
  // the default.
  return !ReadText(section, key, "").empty() || ReadText(section, key, "-").empty();
}
