#pragma once
// The private-profile (INI file) service, shaped like the platform's single-byte
// calls. On Windows it is GetPrivateProfileStringA/WritePrivateProfileStringA;
// elsewhere our own INI store. Every text argument is a NUL-terminated string,
// never null.
#include <cstdint>
#include <optional>
#include <string>

class IProfileStore {
public:
  virtual ~IProfileStore() = default;

  // Copies the value of `key` in `section` of `fileName`, or `defaultValue` when
  // the file, the section or the key does not exist, into `buffer`: at most
  // size - 1 characters, NUL-terminated. Returns the number of characters
  // copied, without the NUL. `size` is at least 1.
  virtual uint32_t GetString(const char *section, const char *key, const char *defaultValue,
                             char *buffer, uint32_t size, const char *fileName) = 0;

  // Stores `value` under `key` in `section`, creating the key, the section or
  // the file (not its folder) as needed. Returns false when the platform
  // refuses the write; the file is then unchanged.
  virtual bool WriteString(const char *section, const char *key, const char *value,
                           const char *fileName) = 0;

  // Asks the store to write any cached copy of `fileName` to disk.
  virtual void Flush(const char *fileName) = 0;

  // Why the store cannot read `fileName` where it looks for it (a name
  // without a folder lies in the Windows directory on Windows, in the
  // current folder elsewhere): "does not exist", "is a folder" or "cannot be
  // read: <the system's reason>"; none when it can. Changes nothing.
  virtual std::optional<std::string> FileProblem(const char *fileName) = 0;
};
