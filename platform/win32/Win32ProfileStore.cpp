#include "Win32ProfileStore.h"

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
