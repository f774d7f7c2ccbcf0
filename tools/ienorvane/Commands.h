#pragma once
// The commands of ienorvane over a platform: what main runs with the
// system's platform and the tests run with the stand-in.
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "Platform.h"

// Where a command writes, and what kind of device each stream is.
struct TCliStreams {
  std::ostream &Out;
  std::ostream &Err;
  // Standard output is a terminal: entry rows only with --list, long rows
  // shortened in the middle to TerminalWidth - 1 characters.
  bool OutIsTerminal = false;
  // Standard error is a terminal: progress is shown on it (not with --json).
  bool ErrIsTerminal = false;
  size_t TerminalWidth = 80; // columns of the terminal of Out
};

// Runs the command line `arguments` (without the program name) over
// `platform` and returns the exit code (TExitCode). Results go to Out as one
// block when the command ends; notes, errors and progress go to Err. Preview
// and clean refuse a platform without a URL cache. Catches every failure.
int RunCli(const std::vector<std::string> &arguments, IPlatform &platform,
           const TCliStreams &streams);
