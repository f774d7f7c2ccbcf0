#pragma once
// A small streaming writer of one compact JSON document. It places the commas
// and colons itself; the caller opens and closes objects and arrays in order.
#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

class TJsonWriter {
public:
  // Writes to `out`, which must outlive the writer.
  explicit TJsonWriter(std::ostream &out) : Out(out) {}

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();

  // The name of the next member of the open object.
  void Key(std::string_view name);

  // A string value from UTF-8 text: quote, backslash and the control
  // characters below 0x20 are escaped; every other byte is written as it is.
  void String(std::string_view utf8);
  void Number(uint64_t value);
  void Number(int64_t value);
  void Bool(bool value);
  void Null();

private:
  void BeforeValue();
  void WriteQuoted(std::string_view utf8);

  std::ostream &Out;
  std::vector<bool> First; // per open object or array: no member written yet
  bool AfterKey = false;
};
