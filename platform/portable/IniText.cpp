#include "IniText.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// Code units above U+00FF have no single byte here; they read as "?".
std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned first = static_cast<unsigned char>(bytes[i]);
    const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
    const unsigned unit = bigEndian ? (first << 8u) | second : (second << 8u) | first;
    text += unit <= 0xFF ? static_cast<char>(unit) : '?';
  }
  return text;
}

// A line ends at CR LF, CR or LF; a break at the very end adds no line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

// The name of the section a line starts, or nothing for a key line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = TrimBlanks(line);
  if (!line.starts_with('[')) return std::nullopt;
  const size_t close = line.rfind(']');
  if (close == 0 || close == std::string_view::npos) return std::nullopt;
  return TrimBlanks(line.substr(1, close - 1));
}

struct TKeyLine {
  std::string_view Name;
  std::optional<std::string_view> Value; // nothing for a line without "="
};

TKeyLine KeyLine(std::string_view line) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {TrimBlanks(line), std::nullopt};
  return {TrimBlanks(line.substr(0, equals)), TrimBlanks(line.substr(equals + 1))};
}

} // namespace

std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

TIniText::TIniText(std::string_view content) {
  if (content.starts_with(kUtf16LeMark) || content.starts_with(kUtf16BeMark)) {
    FromUtf16 = true;
    const bool bigEndian = content.starts_with(kUtf16BeMark);
    Text = DecodeUtf16(content.substr(2), bigEndian);
  } else if (content.starts_with(kUtf8Mark)) {
    ByteOrderMark = kUtf8Mark;
    Text = content.substr(kUtf8Mark.size());
  } else {
    Text = content;
  }
  Lines = SplitLines(Text);
}

std::optional<TIniText::TRange> TIniText::FindSection(std::string_view name) const {
  size_t header = 0;
  while (header < Lines.size() && !SectionName(Lines[header]))
    ++header;
  // Lines before the first header form the section with the empty name,
  // when there are any that are not blank.
  if (name.empty()) {
    for (size_t i = 0; i < header; ++i)
      if (!TrimBlanks(Lines[i]).empty()) return TRange{0, header};
  }
  while (header < Lines.size()) {
    size_t next = header + 1;
    while (next < Lines.size() && !SectionName(Lines[next]))
      ++next;
    if (SameAsciiNoCase(*SectionName(Lines[header]), name)) return TRange{header + 1, next};
    header = next;
  }
  return std::nullopt;
}

std::optional<size_t> TIniText::FindKey(const TRange &range, std::string_view key) const {
  for (size_t i = range.Begin; i < range.End; ++i) {
    if (TrimBlanks(Lines[i]).empty()) continue;
    if (SameAsciiNoCase(KeyLine(Lines[i]).Name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> TIniText::Value(std::string_view section, std::string_view key) const {
  section = TrimBlanks(section), key = TrimBlanks(key);
  const auto range = FindSection(section);
  if (!range) return std::nullopt;
  const auto line = FindKey(*range, key);
  if (!line) return std::nullopt;
  const auto value = KeyLine(Lines[*line]).Value;
  if (!value) return std::nullopt;
  return std::string(WithoutQuotes(*value));
}

bool TIniText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  section = TrimBlanks(section), key = TrimBlanks(key), value = TrimBlanks(value);
  const auto range = FindSection(section);
  if (!range) {
    Lines.push_back(Keep("[" + std::string(section) + "]"));
    Lines.push_back(Keep(std::string(key) + "=" + std::string(value)));
    return true;
  }
  const auto line = FindKey(*range, key);
  if (!line) {
    InsertKeyLine(*range, Keep(std::string(key) + "=" + std::string(value)));
    return true;
  }
  const TKeyLine stored = KeyLine(Lines[*line]);
  if (stored.Value == value) return false;
  // The key keeps its place and its name as stored.
  Lines[*line] = Keep(std::string(stored.Name) + "=" + std::string(value));
  return true;
}

// A new key goes after the last line of its section that is not blank.
void TIniText::InsertKeyLine(const TRange &range, std::string_view line) {
  size_t after = range.End;
  while (after > range.Begin && TrimBlanks(Lines[after - 1]).empty())
    --after;
  Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(after), line);
}

std::string_view TIniText::Keep(std::string line) {
  WrittenLines.push_back(std::move(line));
  return WrittenLines.back();
}

std::string TIniText::Content() const {
  std::string content = ByteOrderMark;
  for (const auto &line : Lines) {
    content += line;
    content += "\r\n";
  }
  return content;
}
