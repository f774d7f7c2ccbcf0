// ienorvane: preview and clean Internet Explorer's URL cache from the
// plug-in's settings, without the plug-in's host. See UsageText for the
// commands and exit codes.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "Platform.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Progress is shown only to a person watching a terminal.
bool StandardErrorIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

} // namespace

int main(int argc, char **argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const auto platform = CreateSystemPlatform();
  const TCliStreams streams{std::cout, std::cerr, StandardErrorIsTerminal()};
  return RunCli(arguments, *platform, streams);
}
