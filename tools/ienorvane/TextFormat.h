#pragma once
// How numbers and long rows read in the program's text output.
#include <cstdint>
#include <string>
#include <string_view>

#include "LeadBytes.h"

// `value` in decimal with a comma between groups of three digits: "1,234".
std::string GroupedNumber(uint64_t value);

// "1 entry", "1,234 entries".
std::string EntriesText(uint64_t count);

// A size for people and its exact byte count: "512 bytes" below 1 KiB
// ("1 byte" for one), else the size in the largest binary unit that keeps it
// at 1 or more, to one decimal, and the bytes: "1.2 MiB (1258389 bytes)".
std::string SizeText(uint64_t bytes);

// `text` when it has at most `width` bytes; otherwise its beginning and its
// end with "..." between them, `width` bytes in all (as many as fit when
// `width` is under 5). Never cuts a double-byte character of the code page
// whose lead bytes are `leadBytes`: the result may then be a byte shorter.
std::string ShortenedInTheMiddle(std::string_view text, size_t width,
                                 const TLeadByteSet &leadBytes);
