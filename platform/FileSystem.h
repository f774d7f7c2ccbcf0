#pragma once
// The file calls of the portable INI store: whole-file reads and atomic
// whole-file replacement, one implementation per system (POSIX calls in the
// portable build, the Win32 calls of the platform's call table on Windows).
#include <memory>
#include <optional>
#include <string>

class IFileSystem {
public:
  virtual ~IFileSystem() = default;

  // The bytes of the regular file at `path`; nothing when it does not exist
  // or cannot be read.
  virtual std::optional<std::string> ReadWholeFile(const std::string &path) = 0;

  // True when `path` names an existing directory entry of any kind.
  virtual bool PathExists(const std::string &path) = 0;

  // Why the file at `path` cannot be read: "does not exist", "is a folder"
  // or "cannot be read: <the system's reason>"; none when it can.
  virtual std::optional<std::string> ReadProblem(const std::string &path) = 0;

  // Replaces the file at `path` with `content` so that any reader sees
  // either the old file or the new one, never a mixture: the content goes to
  // "<path>.nvsave" in the same folder (overwriting one that a killed save
  // left behind), is flushed to disk, takes the old file's permissions where
  // the system has them and is renamed over the old file. A symbolic link is
  // followed, so the link stays a link. Returns false, leaving the old file
  // as it was and no "<path>.nvsave", when the old file is read-only or not a
  // writable regular file, when the folder is missing or not writable, or
  // when any step fails.
  virtual bool ReplaceFileAtomically(const std::string &path, const std::string &content) = 0;
};

// The file system of the system the build runs on.
std::unique_ptr<IFileSystem> CreateSystemFileSystem();
