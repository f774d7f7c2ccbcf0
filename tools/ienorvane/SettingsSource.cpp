#include "SettingsSource.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "IENorvaneU.h"

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

// Why the file at `path` cannot be read, or none.
std::optional<std::string> FileProblem(const std::string &path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::string("does not exist");
    return "cannot be read: " + std::string(std::strerror(errno));
  }
  if (S_ISDIR(status.st_mode)) return std::string("is a folder");
  errno = 0;
  TFile file(std::fopen(path.c_str(), "rb"));
  if (!file) return "cannot be read: " + std::string(std::strerror(errno));
  std::fgetc(file.get());
  if (std::ferror(file.get())) return "cannot be read: " + std::string(std::strerror(errno));
  return std::nullopt;
}

// A default that no stored setting equals (the platform may trim blanks from
// a default, so it has none at its ends).
constexpr const char *kAbsent = "\x01nv-absent\x01";

bool HoldsKey(IProfileStore &profiles, const std::string &iniFile, const std::string &section,
              const char *key) {
  char value[16];
  profiles.GetString(section.c_str(), key, kAbsent, value, sizeof value, iniFile.c_str());
  return std::strcmp(value, kAbsent) != 0;
}

bool HoldsAnySetting(IProfileStore &profiles, const std::string &iniFile,
                     const std::string &section) {
  for (const TCategoryFields &fields : TIENorvane::Categories())
    for (const char *key : {fields.FlagKey, fields.TypeKey, fields.MaskKey})
      if (HoldsKey(profiles, iniFile, section, key)) return true;
  return false;
}

} // namespace

std::optional<std::string> SettingsProblem(IPlatform &platform, const std::string &iniFile,
                                           const std::string &section) {
  const std::string file = "INI file '" + iniFile + "'";
  if (auto problem = FileProblem(PlacedPath(platform, iniFile))) return file + " " + *problem;
  if (!HoldsAnySetting(platform.Profiles(), iniFile, section))
    return "section [" + section + "] of " + file + " holds none of the settings";
  return std::nullopt;
}

uint32_t TEmptyProfileStore::GetString(const char *, const char *, const char *defaultValue,
                                       char *buffer, uint32_t size, const char *) {
  const size_t length = std::min<size_t>(std::strlen(defaultValue), size - 1);
  std::memcpy(buffer, defaultValue, length);
  buffer[length] = '\0';
  return static_cast<uint32_t>(length);
}
