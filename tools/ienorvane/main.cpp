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
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

bool IsTerminal(std::FILE *stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return isatty(fileno(stream)) != 0;
#endif
}

// The columns of the terminal on standard output; 80 when it does not say.
size_t TerminalWidth() {
#ifdef _WIN32
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info) &&
      info.srWindow.Right > info.srWindow.Left)
    return static_cast<size_t>(info.srWindow.Right - info.srWindow.Left + 1);
#else
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
  return 80;
}

// The C runtime writes an unbuffered stream (standard error always,
// standard output on a console) one character per call, and under Wine each
// call to a console is a round trip: about 11 ms for a progress line, 2.6 s
// for 300 listed rows. With a buffer of their own, the blocks and progress
// lines this program writes, each flushed as it ends, go out in one call.
void BufferStandardStreams() {
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  std::setvbuf(stderr, nullptr, _IOFBF, 1 << 12);
}

} // namespace

int main(int argc, char **argv) {
  BufferStandardStreams();
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const auto platform = CreateSystemPlatform();
  const bool outIsTerminal = IsTerminal(stdout);
  const TCliStreams streams{std::cout, std::cerr, outIsTerminal, IsTerminal(stderr),
                            outIsTerminal ? TerminalWidth() : 80};
  return RunCli(arguments, *platform, streams);
}
