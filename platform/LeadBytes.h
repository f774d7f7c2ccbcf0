#pragma once
// Which bytes begin a double-byte character in an ANSI code page.
#include <bitset>

using TLeadByteSet = std::bitset<256>;

// The lead bytes of a code page by number: the ranges of the double-byte code
// pages 932, 936, 949 and 950; empty for every other (single-byte) page.
TLeadByteSet LeadBytesOfCodePage(unsigned codePage);
