#pragma once
// URLs as one word of a command line or a listing.
#include <string>

// `url` with every byte outside printable ASCII, and "%", written as "%XX"
// (upper-case hexadecimal).
std::string EscapedUrl(const std::string &url);

// The bytes that EscapedUrl wrote as `text`. A "%" not followed by two more
// characters stands for itself.
std::string UnescapedUrl(const std::string &text);
