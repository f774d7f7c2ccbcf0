#pragma once
// Where a command's settings come from. A privacy cleaner must not fall back
// to its defaults (every category on, every entry) by accident: a missing or
// unreadable INI file, or a section without any of the nine settings, stops
// the command unless the admin asked for the defaults.
#include <optional>
#include <string>

#include "Platform.h"

// Why `section` of `iniFile` cannot supply the settings ("INI file '<name>'
// does not exist", "... is a folder", "... cannot be read: <reason>",
// "section [<name>] of INI file '<name>' holds none of the settings"), or
// none when it holds at least one of them. The file is looked for where the
// platform's INI services look (IProfileStore::FileProblem). Reads through
// `platform`'s profiles; changes nothing.
std::optional<std::string> SettingsProblem(IPlatform &platform, const std::string &iniFile,
                                           const std::string &section);

// A profile store that holds nothing: every read gives the caller's default,
// as a read of a missing file does, and every write is refused. Loading the
// settings through it gives the plug-in's own defaults.
class TEmptyProfileStore : public IProfileStore {
public:
  uint32_t GetString(const char *section, const char *key, const char *defaultValue, char *buffer,
                     uint32_t size, const char *fileName) override;
  bool WriteString(const char *, const char *, const char *, const char *) override {
    return false;
  }
  void Flush(const char *) override {}
  std::optional<std::string> FileProblem(const char *) override { return std::nullopt; }
};
