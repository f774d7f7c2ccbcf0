#pragma once
// Test-only, Windows only: runs a program (plughost, seedcache) as a child
// process and collects what it prints.
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

struct TProgramRun {
  uint32_t ExitCode = 0;
  std::string Output; // stdout and stderr together, line breaks as printed
};

// Starts `commandLine` with `startup` (handles inherited) and returns its
// process. Under a loaded Wine a start now and then fails for a moment (the
// loader's fork or exec refused); a failed start is tried twice more, a
// second apart, each failure named on standard error. Throws
// std::runtime_error with the last error code when all three fail.
PROCESS_INFORMATION StartChild(const std::string &commandLine, STARTUPINFOA &startup);

// Runs `commandLine` in the current folder, waits for it (at most
// `timeoutMs`), and returns its exit code and output. Throws
// std::runtime_error when it cannot be started or does not finish in time.
TProgramRun RunProgram(const std::string &commandLine, uint32_t timeoutMs = 120000);

// URL and size of every entry of the URL cache, as a fresh process
// ("seedcache.exe list") lists them: a new mapping of the index, which a
// broken index shows emptied while this process still sees it whole.
std::map<std::string, uint64_t> ListedByFreshProcess();

// RunProgram("plughost.exe clean <plugin> \"<ini>\" \"<section>\"").
TProgramRun RunPlugHostClean(const std::string &plugin, const std::string &iniFile,
                             const std::string &section);
#endif
