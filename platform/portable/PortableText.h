#pragma once
// Texts of a system without an ANSI code page of its own, as UTF-8.
#include <string>
#include <string_view>

// `text` as UTF-8: kept as it is when it is valid UTF-8 already, otherwise
// read as Latin-1, byte for byte.
std::string Latin1OrUtf8ToUtf8(std::string_view text);
