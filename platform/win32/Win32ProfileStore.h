#pragma once
// The private-profile service of Windows: GetPrivateProfileStringA and
// WritePrivateProfileStringA, called as they are, through the platform's
// call table.
#include "ProfileStore.h"
#include "Win32Api.h"

class TWin32ProfileStore : public IProfileStore {
public:
  // Calls the system through `api`, which must outlive the store.
  explicit TWin32ProfileStore(const TWin32Api &api = TWin32Api::System()) : Api(api) {}

  uint32_t GetString(const char *section, const char *key, const char *defaultValue, char *buffer,
                     uint32_t size, const char *fileName) override;
  bool WriteString(const char *section, const char *key, const char *value,
                   const char *fileName) override;
  // WritePrivateProfileStringA with null section, key and value.
  void Flush(const char *fileName) override;
  // A name without a folder is looked for in the Windows directory, as
  // GetPrivateProfileStringA looks for it.
  std::optional<std::string> FileProblem(const char *fileName) override;

private:
  const TWin32Api &Api;
};
