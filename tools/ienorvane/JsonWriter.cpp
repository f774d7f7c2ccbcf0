#include "JsonWriter.h"

#include <cstdio>

void TJsonWriter::BeforeValue() {
  if (AfterKey) {
    AfterKey = false;
    return;
  }
  if (First.empty()) return;
  if (!First.back()) Out << ',';
  First.back() = false;
}

void TJsonWriter::BeginObject() {
  BeforeValue();
  Out << '{';
  First.push_back(true);
}

void TJsonWriter::EndObject() {
  First.pop_back();
  Out << '}';
}

void TJsonWriter::BeginArray() {
  BeforeValue();
  Out << '[';
  First.push_back(true);
}

void TJsonWriter::EndArray() {
  First.pop_back();
  Out << ']';
}

void TJsonWriter::Key(std::string_view name) {
  BeforeValue();
  WriteQuoted(name);
  Out << ':';
  AfterKey = true;
}

void TJsonWriter::String(std::string_view utf8) {
  BeforeValue();
  WriteQuoted(utf8);
}

void TJsonWriter::Number(uint64_t value) {
  BeforeValue();
  Out << value;
}

void TJsonWriter::Number(int64_t value) {
  BeforeValue();
  Out << value;
}

void TJsonWriter::Bool(bool value) {
  BeforeValue();
  Out << (value ? "true" : "false");
}

void TJsonWriter::Null() {
  BeforeValue();
  Out << "null";
}

void TJsonWriter::WriteQuoted(std::string_view utf8) {
  Out << '"';
  for (char c : utf8) {
    switch (c) {
    case '"': Out << "\\\""; break;
    case '\\': Out << "\\\\"; break;
    case '\n': Out << "\\n"; break;
    case '\r': Out << "\\r"; break;
    case '\t': Out << "\\t"; break;
    default:
      if (static_cast<unsigned char>(c) < 0x20) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
        Out << escaped;
      } else {
        Out << c;
      }
    }
  }
  Out << '"';
}
