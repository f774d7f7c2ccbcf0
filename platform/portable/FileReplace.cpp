#include "FileReplace.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

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
#ifndef _WIN32
  struct stat info {};
  if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    struct TFreer {
      void operator()(char *p) const { std::free(p); }
    };
    std::unique_ptr<char, TFreer> resolved(realpath(path.c_str(), nullptr));
    if (resolved) return resolved.get();
  }
#endif
  return path;
}

// An existing file may be replaced only when it is a regular file that has a
// write permission and opens for writing. The permission is checked apart
// from the open, since a privileged user opens a read-only file anyway.
bool ExistingFileWritable(const std::string &path, const struct stat &info) {
  if ((info.st_mode & S_IFMT) != S_IFREG) return false;
#ifdef _WIN32
  if ((info.st_mode & _S_IWRITE) == 0) return false;
#else
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
#endif
  return OpenFile(path, "r+b") != nullptr;
}

// Flushes the stdio buffer and then the system's, so the bytes are on disk.
bool FlushToDisk(std::FILE *file) {
  if (std::fflush(file) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

bool GivePermissions(std::FILE *file, const struct stat *old) {
#ifdef _WIN32
  (void)file, (void)old;
  return true;
#else
  return old == nullptr || fchmod(fileno(file), old->st_mode & 07777) == 0;
#endif
}

bool WriteTempFile(const std::string &tempPath, const std::string &content,
                   const struct stat *old) {
  TFilePtr file = OpenFile(tempPath, "wb");
  if (!file) return false;
  if (!GivePermissions(file.get(), old)) return false;
  if (std::fwrite(content.data(), 1, content.size(), file.get()) != content.size()) return false;
  if (!FlushToDisk(file.get())) return false;
  return std::fclose(file.release()) == 0;
}

bool RenameOver(const std::string &from, const std::string &to) {
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string &path) {
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

bool PathExists(const std::string &path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

bool ReplaceFileAtomically(const std::string &path, const std::string &content) {
  const std::string target = ReplacedPath(path);
  struct stat old {};
  const bool exists = stat(target.c_str(), &old) == 0;
  if (exists && !ExistingFileWritable(target, old)) return false;
  const std::string tempPath = target + ".nvsave";
  if (WriteTempFile(tempPath, content, exists ? &old : nullptr) && RenameOver(tempPath, target))
    return true;
  std::remove(tempPath.c_str());
  return false;
}
