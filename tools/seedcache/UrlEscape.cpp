#include "UrlEscape.h"

std::string EscapedUrl(const std::string &url) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (const char c : url) {
    const auto code = static_cast<unsigned char>(c);
    if (code > 0x20 && code < 0x7F && c != '%') {
      text += c;
      continue;
    }
    text += '%';
    text += kHex[code >> 4];
    text += kHex[code & 15];
  }
  return text;
}

std::string UnescapedUrl(const std::string &text) {
  std::string url;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      url += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      url += text[i];
    }
  }
  return url;
}
