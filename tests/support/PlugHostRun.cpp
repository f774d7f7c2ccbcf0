#ifdef _WIN32
#include "PlugHostRun.h"

#include "Handles.h"
#include "UrlEscape.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Collects what the child writes until it has exited and the pipe holds
// nothing more; false when `timeoutMs` passes first. It never waits for the
// pipe's end: under Wine, when the child is the first process of the session
// to need a window, the desktop process it starts is handed the child's
// standard error and keeps the pipe open for as long as this process lives.
bool ReadUntilExit(HANDLE pipe, HANDLE process, uint32_t timeoutMs, std::string &output) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  char chunk[4096];
  for (;;) {
    // Exit is checked before the pipe, so that an empty pipe after the exit
    // means every write of the child has been read.
    const bool exited = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) available = 0;
    if (available > 0) {
      DWORD read = 0;
      if (ReadFile(pipe, chunk, std::min<DWORD>(available, sizeof chunk), &read, nullptr))
        output.append(chunk, read);
      continue;
    }
    if (exited) return true;
    if (GetTickCount64() >= deadline) return false;
    WaitForSingleObject(process, 5);
  }
}

} // namespace

PROCESS_INFORMATION StartChild(const std::string &commandLine, STARTUPINFOA &startup) {
  constexpr int kAttempts = 3;
  DWORD error = 0;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process))
      return process;
    error = GetLastError();
    std::fprintf(stderr, "start %d of %s failed (error %lu)\n", attempt, commandLine.c_str(),
                 static_cast<unsigned long>(error));
    if (attempt < kAttempts) Sleep(1000);
  }
  throw std::runtime_error("cannot start (error " + std::to_string(error) + "): " + commandLine);
}

TProgramRun RunProgram(const std::string &commandLine, uint32_t timeoutMs) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  TKernelHandle readEnd, writeEnd;
  if (!CreatePipe(readEnd.Put(), writeEnd.Put(), &inherit, 0))
    throw std::runtime_error("CreatePipe failed");
  SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd.Get();
  startup.hStdError = writeEnd.Get();
  const PROCESS_INFORMATION process = StartChild(commandLine, startup);
  TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  writeEnd.Reset(); // the child holds the only write end now

  std::string output;
  if (!ReadUntilExit(readEnd.Get(), process.hProcess, timeoutMs, output)) {
    TerminateProcess(process.hProcess, 99);
    throw std::runtime_error("did not finish: " + commandLine);
  }

  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  return {static_cast<uint32_t>(exitCode), output};
}

std::map<std::string, uint64_t> ListedByFreshProcess() {
  const TProgramRun run = RunProgram("seedcache.exe list");
  if (run.ExitCode != 0) throw std::runtime_error("seedcache.exe list failed: " + run.Output);
  std::map<std::string, uint64_t> entries;
  std::istringstream lines(run.Output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string category, url;
    uint64_t size = 0;
    if (words >> category >> size >> url) entries[UnescapedUrl(url)] = size; // not "N entries"
  }
  return entries;
}

TProgramRun RunPlugHostClean(const std::string &plugin, const std::string &iniFile,
                             const std::string &section) {
  return RunProgram("plughost.exe clean " + plugin + " \"" + iniFile + "\" \"" + section + "\"");
}
#endif
