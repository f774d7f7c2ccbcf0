#pragma once
// The portable INI store's file calls on a POSIX system.
#include "FileSystem.h"

class TPosixFileSystem : public IFileSystem {
public:
  std::optional<std::string> ReadWholeFile(const std::string &path) override;
  bool PathExists(const std::string &path) override;
  std::optional<std::string> ReadProblem(const std::string &path) override;
  bool ReplaceFileAtomically(const std::string &path, const std::string &content) override;
};
