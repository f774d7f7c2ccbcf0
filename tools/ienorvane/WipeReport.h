#pragma once
// The command line's report of what a clean's wipe of deleted traces did.
#include <optional>
#include <ostream>

#include "JsonWriter.h"
#include "TraceWipeRun.h"

// Per category, one line of what was wiped (index records covered, files and
// bytes overwritten) and one per reason of what was not; one line when the
// platform cannot wipe. Nothing when the wipe was off.
void WriteWipeText(std::ostream &out, const std::optional<TCleanWipe> &wipe);

// "wipe": null when off; else {"available", "unavailable" (the reason, only
// when not available), "leftoversRemoved", and per category name {"records",
// "recordsTooSmall", "recordsFailed", "files", "bytes", "filesKept": {reason:
// count}}}.
void WriteWipeJson(TJsonWriter &json, const std::optional<TCleanWipe> &wipe);
