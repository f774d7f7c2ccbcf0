#pragma once
// The commands of ienorvane over a set of platform services: what main runs
// with the system's services and the tests run with the stand-ins.
#include <ostream>
#include <string>
#include <vector>

#include "Platform.h"

// Where a command writes. Progress appears on Err only when ErrIsTerminal.
struct TCliStreams {
  std::ostream &Out;
  std::ostream &Err;
  bool ErrIsTerminal = false;
};

// Runs the command line `arguments` (without the program name) over
// `platform` and returns the exit code (TExitCode). Results go to Out; notes,
// errors, the usage after a bad command line and progress go to Err. Catches
// every failure.
int RunCli(const std::vector<std::string> &arguments, IPlatform &platform,
           const TCliStreams &streams);
