#include "PortablePlatform.h"

#include "PortableText.h"

std::string TPortablePlatform::AnsiToUtf8(std::string_view ansi) const {
  return Latin1OrUtf8ToUtf8(ansi);
}
