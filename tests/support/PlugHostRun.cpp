#ifdef _WIN32
#include "PlugHostRun.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "Handles.h"

#include <stdexcept>
#include <thread>
#include <vector>

namespace {

std::string ReadAll(HANDLE pipe) {
  std::string output;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(pipe, chunk, sizeof chunk, &read, nullptr) && read > 0)
    output.append(chunk, read);
  return output;
}

} // namespace

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
  PROCESS_INFORMATION process{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process))
    throw std::runtime_error("cannot start: " + commandLine);
  TKernelHandle processHandle(process.hProcess), threadHandle(process.hThread);
  writeEnd.Reset(); // the child holds the only write end now

  std::string output;
  std::thread reader([&] { output = ReadAll(readEnd.Get()); });
  const DWORD waited = WaitForSingleObject(process.hProcess, timeoutMs);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
  reader.join();
  if (waited != WAIT_OBJECT_0) throw std::runtime_error("did not finish: " + commandLine);

  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  return {static_cast<uint32_t>(exitCode), output};
}

TProgramRun RunPlugHostClean(const std::string &plugin, const std::string &iniFile,
                             const std::string &section) {
  return RunProgram("plughost.exe clean " + plugin + " \"" + iniFile + "\" \"" + section + "\"");
}
#endif
