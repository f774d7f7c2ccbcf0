#include "PortableText.h"

namespace {

// What a UTF-8 lead byte says: the sequence's length, the smallest code
// point it may carry (shortest form) and the payload bits of the lead.
struct TUtf8Lead {
  size_t Length;
  unsigned Minimum;
  unsigned Payload;
};

TUtf8Lead LeadOf(unsigned char lead) {
  if (lead < 0x80) return {1, 0, lead};
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, lead & 0x1Fu};
  if (lead >= 0xE0 && lead <= 0xEF) return {3, 0x800, lead & 0x0Fu};
  if (lead >= 0xF0 && lead <= 0xF4) return {4, 0x10000, lead & 0x07u};
  return {0, 0, 0};
}

// The length of the UTF-8 sequence that starts at `text[at]`, or 0 when no
// valid one (shortest form, no surrogates, at most U+10FFFF) starts there.
size_t Utf8SequenceAt(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const TUtf8Lead lead = LeadOf(byte(at));
  if (lead.Length <= 1) return lead.Length;
  if (at + lead.Length > text.size()) return 0;
  unsigned codePoint = lead.Payload;
  for (size_t i = 1; i < lead.Length; ++i) {
    if ((byte(at + i) & 0xC0u) != 0x80u) return 0;
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3Fu);
  }
  if (codePoint < lead.Minimum || codePoint > 0x10FFFF) return 0;
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
  return lead.Length;
}

bool IsUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = Utf8SequenceAt(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

} // namespace

std::string Latin1OrUtf8ToUtf8(std::string_view ansi) {
  if (IsUtf8(ansi)) return std::string(ansi);
  std::string utf8;
  utf8.reserve(ansi.size() * 2);
  for (char c : ansi) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0u | (byte >> 6));
      utf8 += static_cast<char>(0x80u | (byte & 0x3Fu));
    }
  }
  return utf8;
}
