#pragma once
// Notes for the admin about where the settings came from. Neither a missing
// INI file nor a missing section is an error (the defaults apply, as in a
// clean), but both are worth a word on standard error.
#include <optional>
#include <string>

#include "Platform.h"

// Why the settings cannot come from `iniFile` ("does not exist", "cannot be
// read: <reason>"), or none when it can be read. The name is placed as the
// platform's INI services place it: on Windows a name without a folder lies
// in the Windows directory.
std::optional<std::string> IniFileProblem(const IPlatform &platform, const std::string &iniFile);

// True when none of the nine settings' keys is present in `section` of
// `iniFile`, as read through `profiles`.
bool SectionHoldsNoSettings(IProfileStore &profiles, const std::string &iniFile,
                            const std::string &section);
