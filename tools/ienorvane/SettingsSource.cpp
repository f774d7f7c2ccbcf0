#include "SettingsSource.h"

#include <algorithm>
#include <cstring>

#include "IENorvaneU.h"

namespace {

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
  return std::any_of(kSettings.begin(), kSettings.end(), [&](const TSetting &setting) {
    return HoldsKey(profiles, iniFile, section, setting.Key);
  });
}

} // namespace

std::optional<std::string> SettingsProblem(IPlatform &platform, const std::string &iniFile,
                                           const std::string &section) {
  const std::string file = "INI file '" + iniFile + "'";
  if (auto problem = platform.Profiles().FileProblem(iniFile.c_str())) return file + " " + *problem;
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
