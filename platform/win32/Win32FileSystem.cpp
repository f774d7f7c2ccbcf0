#include "Win32FileSystem.h"

#include <algorithm>

#include "Handles.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsFolder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

} // namespace

std::optional<std::string> TWin32FileSystem::ReadWholeFile(const std::string &path) {
  const DWORD attributes = Api.GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || IsFolder(attributes)) return std::nullopt;
  const TFileHandle file(Api.CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                         {&Api});
  if (!file) return std::nullopt;
  std::string content;
  char chunk[16384];
  for (;;) {
    DWORD read = 0;
    if (!Api.ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr)) return std::nullopt;
    if (read == 0) return content;
    content.append(chunk, read);
  }
}

bool TWin32FileSystem::PathExists(const std::string &path) {
  return Api.GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> TWin32FileSystem::ReadProblem(const std::string &path) {
  const auto unreadable = [&] {
    return "cannot be read: " + SystemMessage(Api, Api.GetLastError());
  };
  const DWORD attributes = Api.GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = Api.GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
      return std::string("does not exist");
    return "cannot be read: " + SystemMessage(Api, code);
  }
  if (IsFolder(attributes)) return std::string("is a folder");
  const TFileHandle file(Api.CreateFileA(path.c_str(), GENERIC_READ, kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                         {&Api});
  if (!file) return unreadable();
  char first = 0;
  DWORD read = 0;
  if (!Api.ReadFile(file.Get(), &first, 1, &read, nullptr)) return unreadable();
  return std::nullopt;
}

// An existing file may be replaced only when it is a file, not read-only,
// and opens for writing.
bool TWin32FileSystem::Replaceable(const std::string &path, DWORD attributes) {
  if (IsFolder(attributes) || (attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
  const TFileHandle file(Api.CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                         {&Api});
  return file.Valid();
}

// Writes `content` to a new file at `path` and flushes it to disk.
bool TWin32FileSystem::WriteNewFile(const std::string &path, const std::string &content) {
  TFileHandle file(Api.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr),
                   {&Api});
  if (!file) return false;
  for (size_t done = 0; done < content.size();) {
    const DWORD step = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 20));
    DWORD written = 0;
    if (!Api.WriteFile(file.Get(), content.data() + done, step, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  if (!Api.FlushFileBuffers(file.Get())) return false;
  return Api.CloseHandle(file.Release()) != 0;
}

bool TWin32FileSystem::ReplaceFileAtomically(const std::string &path, const std::string &content) {
  const DWORD attributes = Api.GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !Replaceable(path, attributes)) return false;
  const std::string tempPath = path + ".nvsave";
  if (WriteNewFile(tempPath, content) &&
      Api.MoveFileExA(tempPath.c_str(), path.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  Api.DeleteFileA(tempPath.c_str());
  return false;
}

std::unique_ptr<IFileSystem> CreateSystemFileSystem() {
  return std::make_unique<TWin32FileSystem>();
}
