#pragma once
// A small streaming writer of one compact JSON document. It places the commas
// and colons itself; the caller opens and closes objects and arrays in order.
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class TJsonWriter {
public:
  // Turns a text in the system's ANSI code page into UTF-8.
  using TAnsiToUtf8 = std::function<std::string(std::string_view)>;

  // Writes to `out`, which must outlive the writer; ANSI texts are turned
  // into UTF-8 by `ansiToUtf8`.
  TJsonWriter(std::ostream &out, TAnsiToUtf8 ansiToUtf8)
      : Out(out), AnsiToUtf8(std::move(ansiToUtf8)) {}

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();

  // The name of the next member of the open object.
  void Key(std::string_view name);
  // The same for a name in the system's ANSI code page.
  void AnsiKey(std::string_view ansi) { Key(AnsiToUtf8(ansi)); }

  // A string value from UTF-8 text: quote, backslash and the control
  // characters below 0x20 are escaped; every other byte is written as it is.
  void String(std::string_view utf8);
  // A string value from a text in the system's ANSI code page.
  void Ansi(std::string_view ansi) { String(AnsiToUtf8(ansi)); }
  void Number(uint64_t value);
  void Number(int64_t value);
  void Bool(bool value);
  void Null();

private:
  void BeforeValue();
  void WriteQuoted(std::string_view utf8);

  std::ostream &Out;
  TAnsiToUtf8 AnsiToUtf8;
  std::vector<bool> First; // per open object or array: no member written yet
  bool AfterKey = false;
};
