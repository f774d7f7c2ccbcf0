#pragma once
// Texts of the URL cache and the INI file are single-byte strings in the
// system's ANSI code page; JSON wants UTF-8.
#include <string>
#include <string_view>

// `ansi` converted to UTF-8. On Windows from the ANSI code page in force
// (double-byte pages included). Elsewhere a text that is already valid UTF-8
// is kept as it is, and any other text is read as Latin-1, byte for byte.
std::string AnsiToUtf8(std::string_view ansi);
