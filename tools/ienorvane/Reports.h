#pragma once
// How ienorvane prints its results: plain text for people, one JSON document
// for scripts. Preview and clean print their listings in the same form, so
// that what a preview announced and what a clean did can be compared.
#include <optional>
#include <ostream>
#include <string>

#include "IENorvaneU.h"
#include "JsonWriter.h"
#include "Preview.h"

// The listing as text: per category a header with its pattern (or why it is
// not swept), one row per entry (size, URL, local file or "-"), the count and
// bytes; then the total. `verb` follows the counts ("" or "deleted").
void WriteListingText(std::ostream &out, const TListing &listing, const std::string &verb);

// The nine settings as loaded, one "Key=value" line each in the INI file's
// form, then the dialog's summary line.
void WriteSettingsText(std::ostream &out, const TIENorvane &settings);

// One line naming the malformed mask's category and setting, the pattern and
// the position, followed by the matcher's message.
std::string MaskFaultText(const TMaskFault &fault);

// The members "categories" (each with name, enabled, type, pattern, entries,
// count, bytes) and "total" of a JSON object that the writer has open.
// Texts are converted from the ANSI code page to UTF-8.
void WriteListingJson(TJsonWriter &json, const TListing &listing);

// The member "error" describing a malformed mask, in an open JSON object.
void WriteMaskFaultJson(TJsonWriter &json, const TMaskFault &fault);
