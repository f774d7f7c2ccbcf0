#pragma once
// The portable INI store's file calls on Windows, through the platform's
// call table: a save writes "<file>.nvsave", flushes it and moves it over
// the file with MoveFileExA.
#include "FileSystem.h"
#include "Win32Api.h"

class TWin32FileSystem : public IFileSystem {
public:
  // Calls the system through `api`, which must outlive the file system.
  explicit TWin32FileSystem(const TWin32Api &api = TWin32Api::System()) : Api(api) {}

  std::optional<std::string> ReadWholeFile(const std::string &path) override;
  bool PathExists(const std::string &path) override;
  std::optional<std::string> ReadProblem(const std::string &path) override;
  // Read-only is the file's read-only attribute; a folder is not a file.
  // Windows has no symbolic links to follow here and no permissions to copy.
  bool ReplaceFileAtomically(const std::string &path, const std::string &content) override;

private:
  bool Replaceable(const std::string &path, DWORD attributes);
  bool WriteNewFile(const std::string &path, const std::string &content);

  const TWin32Api &Api;
};
