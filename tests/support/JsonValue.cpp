#include "JsonValue.h"

#include <charconv>

namespace {

class TJsonParser {
public:
  explicit TJsonParser(std::string_view text) : Text(text) {}

  TJsonValue Document() {
    TJsonValue value = Value();
    SkipBlanks();
    if (At < Text.size()) Fail("text after the value");
    return value;
  }

private:
  [[noreturn]] void Fail(const std::string &what) const {
    throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(At));
  }

  void SkipBlanks() {
    while (At < Text.size() &&
           (Text[At] == ' ' || Text[At] == '\t' || Text[At] == '\n' || Text[At] == '\r'))
      ++At;
  }

  char Peek() {
    SkipBlanks();
    if (At >= Text.size()) Fail("unexpected end");
    return Text[At];
  }

  void Expect(char c) {
    if (Peek() != c) Fail(std::string("expected '") + c + "'");
    ++At;
  }

  // Steps over `c` when it is the next character after blanks.
  bool Consume(char c) {
    if (Peek() != c) return false;
    ++At;
    return true;
  }

  void Word(std::string_view word) {
    if (Text.substr(At, word.size()) != word) Fail("bad literal");
    At += word.size();
  }

  TJsonValue Value() {
    switch (Peek()) {
    case '{': return TJsonValue(Object());
    case '[': return TJsonValue(Array());
    case '"': return TJsonValue(String());
    case 't': Word("true"); return TJsonValue(true);
    case 'f': Word("false"); return TJsonValue(false);
    case 'n': Word("null"); return TJsonValue(nullptr);
    default: return TJsonValue(Number());
    }
  }

  TJsonObject Object() {
    Expect('{');
    TJsonObject object;
    if (Consume('}')) return object;
    for (;;) {
      if (Peek() != '"') Fail("expected a member name");
      std::string name = String();
      Expect(':');
      if (!object.emplace(name, Value()).second) Fail("duplicate member " + name);
      if (Consume('}')) return object;
      Expect(',');
    }
  }

  TJsonArray Array() {
    Expect('[');
    TJsonArray array;
    if (Consume(']')) return array;
    for (;;) {
      array.push_back(Value());
      if (Consume(']')) return array;
      Expect(',');
    }
  }

  TJsonValue::TNumber Number() {
    const size_t start = At;
    if (At < Text.size() && Text[At] == '-') ++At;
    const size_t digits = At;
    while (At < Text.size() &&
           std::string_view("0123456789.eE+-").find(Text[At]) != std::string_view::npos)
      ++At;
    if (At == digits) Fail("bad value");
    if (Text[digits] == '0' && At > digits + 1 && Text[digits + 1] >= '0' &&
        Text[digits + 1] <= '9')
      Fail("leading zero");
    return {std::string(Text.substr(start, At - start))};
  }

  unsigned Hex4() {
    if (At + 4 > Text.size()) Fail("short \\u escape");
    unsigned value = 0;
    const auto [end, error] = std::from_chars(Text.data() + At, Text.data() + At + 4, value, 16);
    if (error != std::errc() || end != Text.data() + At + 4) Fail("bad \\u escape");
    At += 4;
    return value;
  }

  static void AppendUtf8(std::string &out, unsigned codePoint) {
    if (codePoint < 0x80) {
      out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
      out += static_cast<char>(0xC0 | (codePoint >> 6));
      out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
      out += static_cast<char>(0xE0 | (codePoint >> 12));
      out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (codePoint >> 18));
      out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
  }

  unsigned EscapedCodePoint() {
    unsigned codePoint = Hex4();
    if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
      if (Text.substr(At, 2) != "\\u") Fail("lone high surrogate");
      At += 2;
      const unsigned low = Hex4();
      if (low < 0xDC00 || low > 0xDFFF) Fail("bad low surrogate");
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
    } else if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) {
      Fail("lone low surrogate");
    }
    return codePoint;
  }

  void Escape(std::string &out) {
    if (At >= Text.size()) Fail("unterminated escape");
    const char c = Text[At++];
    switch (c) {
    case '"': out += '"'; break;
    case '\\': out += '\\'; break;
    case '/': out += '/'; break;
    case 'b': out += '\b'; break;
    case 'f': out += '\f'; break;
    case 'n': out += '\n'; break;
    case 'r': out += '\r'; break;
    case 't': out += '\t'; break;
    case 'u': AppendUtf8(out, EscapedCodePoint()); break;
    default: Fail("bad escape");
    }
  }

  std::string String() {
    Expect('"');
    std::string out;
    for (;;) {
      if (At >= Text.size()) Fail("unterminated string");
      const char c = Text[At++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string");
      if (c == '\\')
        Escape(out);
      else
        out += c;
    }
  }

  std::string_view Text;
  size_t At = 0;
};

[[noreturn]] void WrongKind(const char *wanted) {
  throw std::runtime_error(std::string("JSON value is not ") + wanted);
}

} // namespace

TJsonValue TJsonValue::Parse(std::string_view text) { return TJsonParser(text).Document(); }

bool TJsonValue::Bool() const {
  if (auto value = std::get_if<bool>(&Data)) return *value;
  WrongKind("a boolean");
}

uint64_t TJsonValue::Unsigned() const {
  auto number = std::get_if<TNumber>(&Data);
  if (!number) WrongKind("a number");
  uint64_t value = 0;
  const auto [end, error] =
      std::from_chars(number->Text.data(), number->Text.data() + number->Text.size(), value);
  if (error != std::errc() || end != number->Text.data() + number->Text.size())
    WrongKind("an unsigned integer");
  return value;
}

int64_t TJsonValue::Signed() const {
  auto number = std::get_if<TNumber>(&Data);
  if (!number) WrongKind("a number");
  int64_t value = 0;
  const auto [end, error] =
      std::from_chars(number->Text.data(), number->Text.data() + number->Text.size(), value);
  if (error != std::errc() || end != number->Text.data() + number->Text.size())
    WrongKind("an integer");
  return value;
}

const std::string &TJsonValue::String() const {
  if (auto value = std::get_if<std::string>(&Data)) return *value;
  WrongKind("a string");
}

const TJsonArray &TJsonValue::Array() const {
  if (auto value = std::get_if<TJsonArray>(&Data)) return *value;
  WrongKind("an array");
}

const TJsonObject &TJsonValue::Object() const {
  if (auto value = std::get_if<TJsonObject>(&Data)) return *value;
  WrongKind("an object");
}

bool TJsonValue::Has(const std::string &name) const { return Object().count(name) != 0; }

const TJsonValue &TJsonValue::operator[](const std::string &name) const {
  const TJsonObject &object = Object();
  auto found = object.find(name);
  if (found == object.end()) throw std::runtime_error("JSON object has no member " + name);
  return found->second;
}

const TJsonValue &TJsonValue::operator[](size_t index) const {
  const TJsonArray &array = Array();
  if (index >= array.size()) throw std::runtime_error("JSON array index out of range");
  return array[index];
}
