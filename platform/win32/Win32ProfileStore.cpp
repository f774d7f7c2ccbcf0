#include "Win32ProfileStore.h"

#include <cstring>

#include "Win32FileSystem.h"

namespace {

// Where the profile calls look for `fileName`: a name without a folder lies
// in the Windows directory.
std::string PlacedPath(const TWin32Api &api, const char *fileName) {
  if (std::strpbrk(fileName, "\\/")) return fileName;
  char folder[MAX_PATH + 1] = {};
  const UINT length = api.GetWindowsDirectoryA(folder, MAX_PATH);
  if (length == 0 || length > MAX_PATH) return fileName;
  return std::string(folder, length) + "\\" + fileName;
}

} // namespace

uint32_t TWin32ProfileStore::GetString(const char *section, const char *key,
                                       const char *defaultValue, char *buffer, uint32_t size,
                                       const char *fileName) {
  return Api.GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}

bool TWin32ProfileStore::WriteString(const char *section, const char *key, const char *value,
                                     const char *fileName) {
  return Api.WritePrivateProfileStringA(section, key, value, fileName) != 0;
}

void TWin32ProfileStore::Flush(const char *fileName) {
  Api.WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName);
}

std::optional<std::string> TWin32ProfileStore::FileProblem(const char *fileName) {
  return TWin32FileSystem(Api).ReadProblem(PlacedPath(Api, fileName));
}
