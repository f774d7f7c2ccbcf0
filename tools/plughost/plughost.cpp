// plughost: a minimal Norvane host for tests and the demo. It loads a plug-in
// by path, calls its exports by name, and prints what came back.
//
//   plughost info   PLUGIN             the three identity texts
//   plughost clean  PLUGIN INI SECTION ExecClearProc
//   plughost config PLUGIN INI SECTION GetConfigString
//
// The working calls get a large buffer pre-filled with a sentinel byte, so the
// output says exactly what the plug-in wrote, and a write past the text's NUL
// is caught. Exit codes: 0 the plug-in returned true, 1 it returned false,
// 2 usage or loading error, 3 the plug-in broke the buffer protocol.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "PluginApi.h"
#include "PluginLibrary.h"

namespace {

constexpr size_t kBufferSize = 1 << 20;
constexpr char kSentinel = '\xA5';

int Usage() {
  std::fprintf(stderr, "usage: plughost info PLUGIN\n"
                       "       plughost clean PLUGIN INI SECTION\n"
                       "       plughost config PLUGIN INI SECTION\n");
  return 2;
}

int Info(const TPluginLibrary &plugin) {
  std::printf("GUID: %s\n", plugin.Export<TGetTextProc>("GetGUID")());
  std::printf("Name: %s\n", plugin.Export<TGetTextProc>("GetPluginName")());
  std::printf("Description: [%s]\n", plugin.Export<TGetTextProc>("GetPluginDescription")());
  return 0;
}

// Reports what the plug-in left in the buffer: the text up to the first NUL,
// or that it wrote nothing; a byte changed after that NUL is a fault.
int ReportBuffer(const std::vector<char> &buffer) {
  const char *nul = static_cast<const char *>(std::memchr(buffer.data(), '\0', buffer.size()));
  if (!nul) {
    if (buffer[0] == kSentinel && buffer[1] == kSentinel) {
      std::printf("text: (untouched)\n");
      return 0;
    }
    std::printf("text: (not terminated)\n");
    return 3;
  }
  const size_t length = static_cast<size_t>(nul - buffer.data());
  std::printf("text: [%.*s]\n", static_cast<int>(length), buffer.data());
  for (size_t i = length + 1; i < buffer.size(); ++i) {
    if (buffer[i] != kSentinel) {
      std::printf("fault: byte %zu past the text was written\n", i);
      return 3;
    }
  }
  return 0;
}

int Working(const TPluginLibrary &plugin, const char *exportName, const char *iniFile,
            const char *section) {
  auto proc = plugin.Export<TWorkingProc>(exportName);
  std::vector<char> buffer(kBufferSize, kSentinel);
  char *hostText = buffer.data();
  const bool result = proc(iniFile, section, &hostText);
  std::fflush(stdout);
  if (hostText != buffer.data()) {
    std::printf("fault: the plug-in changed the host's buffer pointer\n");
    return 3;
  }
  const int bufferStatus = ReportBuffer(buffer);
  std::printf("result: %s\n", result ? "true" : "false");
  if (bufferStatus != 0) return bufferStatus;
  return result ? 0 : 1;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 3) return Usage();
  const std::string command = argv[1];
  try {
    TPluginLibrary plugin(argv[2]);
    if (command == "info" && argc == 3) return Info(plugin);
    if (command == "clean" && argc == 5) return Working(plugin, "ExecClearProc", argv[3], argv[4]);
    if (command == "config" && argc == 5)
      return Working(plugin, "GetConfigString", argv[3], argv[4]);
    return Usage();
  } catch (const std::exception &e) {
    std::fprintf(stderr, "plughost: %s\n", e.what());
    return 2;
  }
}
