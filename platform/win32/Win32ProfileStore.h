#pragma once
// The private-profile service of Windows: GetPrivateProfileStringA and
// WritePrivateProfileStringA, called as they are.
#include "ProfileStore.h"

class TWin32ProfileStore : public IProfileStore {
public:
  uint32_t GetString(const char *section, const char *key, const char *defaultValue, char *buffer,
                     uint32_t size, const char *fileName) override;
  bool WriteString(const char *section, const char *key, const char *value,
                   const char *fileName) override;
  // WritePrivateProfileStringA with null section, key and value.
  void Flush(const char *fileName) override;
};
