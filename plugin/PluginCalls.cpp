#include "PluginCalls.h"

#include <cstring>
#include <string>

#include "IENorvaneU.h"

namespace {

bool ValidArguments(const char *iniFile, const char *section, char **buffer) {
  return iniFile && section && buffer && *buffer;
}

// Copies `text` with its NUL into the buffer the host's variable points to.
void CopyToHost(char **buffer, const std::string &text) {
  std::memcpy(*buffer, text.c_str(), text.size() + 1);
}

} // namespace

bool ConfigureOn(IPlatform &platform, const TFormViewFactory &makeView, const char *iniFile,
                 const char *section, char **buffer) {
  if (!ValidArguments(iniFile, section, buffer)) return false;
  try {
    CopyToHost(buffer, "");
    TIENorvane cleaner(platform);
    cleaner.LoadSettings(iniFile, section);
    if (auto summary = RunConfiguration(cleaner, iniFile, section, makeView))
      CopyToHost(buffer, *summary);
    return true;
  } catch (...) {
    return false;
  }
}

bool CleanOn(IPlatform &platform, const char *iniFile, const char *section, char **buffer) {
  if (!ValidArguments(iniFile, section, buffer)) return false;
  try {
    TIENorvane cleaner(platform);
    cleaner.LoadSettings(iniFile, section);
    CopyToHost(buffer, cleaner.Clean().ReportText());
    return true;
  } catch (...) {
    return false;
  }
}
