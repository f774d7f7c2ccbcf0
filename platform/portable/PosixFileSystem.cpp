#include "PosixFileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct TFileCloser {
  void operator()(std::FILE *file) const { std::fclose(file); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

TFilePtr OpenFile(const std::string &path, const char *mode) {
  return TFilePtr(std::fopen(path.c_str(), mode));
}

// The path a save replaces: the target of a symbolic link, else the path.
std::string ReplacedPath(const std::string &path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    struct TFreer {
      void operator()(char *p) const { std::free(p); }
    };
    std::unique_ptr<char, TFreer> resolved(realpath(path.c_str(), nullptr));
    if (resolved) return resolved.get();
  }
  return path;
}

// An existing file may be replaced only when it is a regular file that has a
// write permission and opens for writing. The permission is checked apart
// from the open, since a privileged user opens a read-only file anyway.
bool ExistingFileWritable(const std::string &path, const struct stat &info) {
  if ((info.st_mode & S_IFMT) != S_IFREG) return false;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return OpenFile(path, "r+b") != nullptr;
}

// Flushes the stdio buffer and then the system's, so the bytes are on disk.
bool FlushToDisk(std::FILE *file) {
  if (std::fflush(file) != 0) return false;
  return fsync(fileno(file)) == 0;
}

bool WriteTempFile(const std::string &tempPath, const std::string &content,
                   const struct stat *old) {
  TFilePtr file = OpenFile(tempPath, "wb");
  if (!file) return false;
  if (old && fchmod(fileno(file.get()), old->st_mode & 07777) != 0) return false;
  if (std::fwrite(content.data(), 1, content.size(), file.get()) != content.size()) return false;
  if (!FlushToDisk(file.get())) return false;
  return std::fclose(file.release()) == 0;
}

} // namespace

std::optional<std::string> TPosixFileSystem::ReadWholeFile(const std::string &path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || (info.st_mode & S_IFMT) != S_IFREG) return std::nullopt;
  TFilePtr file = OpenFile(path, "rb");
  if (!file) return std::nullopt;
  std::string content;
  char chunk[16384];
  size_t count;
  while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
    content.append(chunk, count);
  if (std::ferror(file.get())) return std::nullopt;
  return content;
}

bool TPosixFileSystem::PathExists(const std::string &path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

bool TPosixFileSystem::ReplaceFileAtomically(const std::string &path, const std::string &content) {
  const std::string target = ReplacedPath(path);
  struct stat old {};
  const bool exists = stat(target.c_str(), &old) == 0;
  if (exists && !ExistingFileWritable(target, old)) return false;
  const std::string tempPath = target + ".nvsave";
  if (WriteTempFile(tempPath, content, exists ? &old : nullptr) &&
      std::rename(tempPath.c_str(), target.c_str()) == 0)
    return true;
  std::remove(tempPath.c_str());
  return false;
}

std::optional<std::string> TPosixFileSystem::ReadProblem(const std::string &path) {
  const auto unreadable = [] { return "cannot be read: " + std::string(std::strerror(errno)); };
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::string("does not exist");
    return unreadable();
  }
  if (S_ISDIR(status.st_mode)) return std::string("is a folder");
  errno = 0;
  const TFilePtr file = OpenFile(path, "rb");
  if (!file) return unreadable();
  std::fgetc(file.get());
  if (std::ferror(file.get())) return unreadable();
  return std::nullopt;
}

std::unique_ptr<IFileSystem> CreateSystemFileSystem() {
  return std::make_unique<TPosixFileSystem>();
}
