#include "IniProbe.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct TFileCloser {
  void operator()(std::FILE *file) const { std::fclose(file); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

// The path the platform's INI services read for `iniFile`: a name without a
// folder lies in the Windows directory, where the system has one.
std::string PlacedPath(const IPlatform &platform, const std::string &iniFile) {
  if (iniFile.find_first_of("\\/") != std::string::npos) return iniFile;
  const std::string folder = platform.WindowsDirectory();
  return folder.empty() ? iniFile : folder + "\\" + iniFile;
}

constexpr const char *kSettingKeys[] = {"DeleteCache",   "DeleteCacheType",   "CacheMask",
                                        "DeleteCookies", "DeleteCookiesType", "CookiesMask",
                                        "DeleteHistory", "DeleteHistoryType", "HistoryMask"};

// A default that no stored setting equals (the platform may trim blanks from
// a default, so it has none at its ends).
constexpr const char *kAbsent = "\x01nv-absent\x01";

} // namespace

std::optional<std::string> IniFileProblem(const IPlatform &platform, const std::string &iniFile) {
  const std::string path = PlacedPath(platform, iniFile);
  errno = 0;
  TFile file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    if (errno == ENOENT) return std::string("does not exist");
    return "cannot be read: " + std::string(std::strerror(errno));
  }
  errno = 0;
  std::fgetc(file.get());
  if (std::ferror(file.get())) return "cannot be read: " + std::string(std::strerror(errno));
  return std::nullopt;
}

bool SectionHoldsNoSettings(IProfileStore &profiles, const std::string &iniFile,
                            const std::string &section) {
  char value[16];
  for (const char *key : kSettingKeys) {
    profiles.GetString(section.c_str(), key, kAbsent, value, sizeof value, iniFile.c_str());
    if (std::strcmp(value, kAbsent) != 0) return false;
  }
  return true;
}
