#include "IniScenario.h"

#include <random>
#include <set>
#include <tuple>

#include "IniText.h"

namespace {

class TPicker {
public:
  explicit TPicker(uint32_t seed) : Engine(seed) {}
  size_t Below(size_t n) { return static_cast<size_t>(Engine() % n); }
  bool Chance(unsigned percent) { return Below(100) < percent; }
  const std::string &From(const std::vector<std::string> &items) {
    return items[Below(items.size())];
  }

private:
  std::mt19937 Engine; // the same sequence on every platform
};

const std::vector<std::string> kBlanks = {"", "", "", " ", "  ", "\t", " \t "};
const std::vector<std::string> kBreaks = {"\r\n", "\r\n", "\n", "\n", "\r\n\r\n", "\n\n", "\r\r\n"};
constexpr char kValueChars[] = "abcXYZ019*.?[]!-_/:=;'\" ";

std::string RandomValue(TPicker &pick) {
  std::string value;
  const size_t length = pick.Below(12);
  for (size_t i = 0; i < length; ++i)
    value += kValueChars[pick.Below(sizeof kValueChars - 1)];
  if (pick.Chance(15)) value = "\"" + value + "\"";
  return value;
}

std::string Blank(TPicker &pick) { return pick.From(kBlanks); }

std::string PreparedLine(TPicker &pick) {
  switch (pick.Below(10)) {
  case 0: return "; " + pick.From(ScenarioKeys()) + "=" + RandomValue(pick);
  case 1: return Blank(pick);
  case 2: return pick.From(ScenarioKeys()); // a line without "="
  case 3:
  case 4:
    return Blank(pick) + "[" + Blank(pick) + pick.From(ScenarioSections()) + Blank(pick) + "]";
  default:
    return Blank(pick) + pick.From(ScenarioKeys()) + Blank(pick) + "=" + Blank(pick) +
           RandomValue(pick) + Blank(pick);
  }
}

std::string PreparedFile(TPicker &pick) {
  std::string content;
  const size_t lines = pick.Below(16);
  for (size_t i = 0; i < lines; ++i) {
    content += PreparedLine(pick);
    if (i + 1 < lines || pick.Chance(70)) content += pick.From(kBreaks);
  }
  return content;
}

TIniOp RandomOp(TPicker &pick) {
  TIniOp op;
  op.IsWrite = pick.Chance(60);
  op.Section = pick.From(ScenarioSections());
  op.Key = pick.From(ScenarioKeys());
  op.Value = op.IsWrite ? Blank(pick) + RandomValue(pick) + Blank(pick) : "<default>";
  return op;
}

bool IsLineOfKey(const std::string &line, const std::string &key) {
  return SameAsciiNoCase(TrimBlanks(std::string_view(line).substr(0, line.find('='))), key);
}

// Matches the old lines with the new ones, allowing each of the changes of
// one write once: an old line of the key dropped, a new line of the key
// added, a header of the section added. Tries every way, remembering the
// states already refused.
struct TLineMatch {
  std::vector<std::string> Old, New;
  std::string Section, Key;
  std::set<std::tuple<size_t, size_t, unsigned>> Refused;

  enum : unsigned { kDropped = 1, kKeyAdded = 2, kHeaderAdded = 4 };

  bool From(size_t i, size_t j, unsigned used) {
    if (i == Old.size() && j == New.size()) return true;
    if (Refused.count({i, j, used})) return false;
    const bool hasOld = i < Old.size(), hasNew = j < New.size();
    if (hasOld && hasNew && Old[i] == New[j] && From(i + 1, j + 1, used)) return true;
    if (hasOld && !(used & kDropped) && IsLineOfKey(Old[i], Key) && From(i + 1, j, used | kDropped))
      return true;
    if (hasNew && !(used & kKeyAdded) && IsLineOfKey(New[j], Key) &&
        New[j].find('=') != std::string::npos && From(i, j + 1, used | kKeyAdded))
      return true;
    if (hasNew && !(used & kHeaderAdded) && New[j] == "[" + Section + "]" &&
        From(i, j + 1, used | kHeaderAdded))
      return true;
    Refused.insert({i, j, used});
    return false;
  }

  std::string FirstMismatch() const {
    size_t i = 0;
    while (i < Old.size() && i < New.size() && Old[i] == New[i])
      ++i;
    return "line " + std::to_string(i) + ": '" + (i < Old.size() ? Old[i] : "") + "' / '" +
           (i < New.size() ? New[i] : "") + "'";
  }
};

} // namespace

const std::vector<std::string> &ScenarioSections() {
  static const std::vector<std::string> sections = {"Main",       "main", "MAIN",   "Other",
                                                    "IE Norvane", "x]y",  "Plug.In"};
  return sections;
}

const std::vector<std::string> &ScenarioKeys() {
  static const std::vector<std::string> keys = {"DeleteCache", "deletecache", "CacheMask", "k",
                                                "K",           "Key 2",       "a.b",       ";c"};
  return keys;
}

TIniScenario MakeIniScenario(uint32_t seed) {
  TPicker pick(seed);
  TIniScenario scenario;
  scenario.FileExists = !pick.Chance(10);
  if (scenario.FileExists) scenario.InitialContent = PreparedFile(pick);
  const size_t ops = 1 + pick.Below(20);
  for (size_t i = 0; i < ops; ++i)
    scenario.Ops.push_back(RandomOp(pick));
  return scenario;
}

std::string ExpectedReadBack(const std::string &written) {
  std::string value(TrimBlanks(written));
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return value;
}

std::vector<std::string> IniLines(const std::string &content) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < content.size(); ++i) {
    const char c = content[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string CheckWriteKeptLines(const std::string &before, const std::string &after,
                                const std::string &section, const std::string &key) {
  // A UTF-8 byte order mark at the start of the file stays there. Only the
  // first one is a mark: the bytes of another one right after it belong to
  // the first line.
  const std::string mark = "\xEF\xBB\xBF";
  size_t skipped = 0;
  if (before.starts_with(mark)) {
    if (!after.starts_with(mark)) return "the byte order mark was lost";
    skipped = mark.size();
  }
  TLineMatch match{
      IniLines(before.substr(skipped)), IniLines(after.substr(skipped)), section, key, {}};
  if (match.From(0, 0, 0)) return "";
  return "the lines differ by more than one write: " + match.FirstMismatch();
}
