#include "Win32ProfileStore.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

uint32_t TWin32ProfileStore::GetString(const char *section, const char *key,
                                       const char *defaultValue, char *buffer, uint32_t size,
                                       const char *fileName) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}

bool TWin32ProfileStore::WriteString(const char *section, const char *key, const char *value,
                                     const char *fileName) {
  return WritePrivateProfileStringA(section, key, value, fileName) != 0;
}

void TWin32ProfileStore::Flush(const char *fileName) {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName);
}
