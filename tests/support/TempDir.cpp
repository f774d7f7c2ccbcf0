#include "TempDir.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string SystemTempFolder() {
#ifdef _WIN32
  char buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
  std::string folder(buffer, length);
  if (folder.back() == '\\') folder.pop_back();
  return folder;
#else
  return fs::temp_directory_path().string();
#endif
}

unsigned long ProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

} // namespace

TTempDir::TTempDir() {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::ostringstream name;
    name << SystemTempFolder() << kSeparator << "nvtest-" << ProcessId() << "-" << counter++;
    std::error_code error;
    if (fs::create_directory(name.str(), error)) {
      Folder = name.str();
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TTempDir::~TTempDir() {
  std::error_code error;
  for (const auto &entry : fs::recursive_directory_iterator(Folder, error))
    if (entry.is_regular_file(error)) SetReadOnly(entry.path().string(), false);
  fs::remove_all(Folder, error);
}

std::string TTempDir::File(const std::string &name) const { return Folder + kSeparator + name; }

void WriteFileBytes(const std::string &path, const std::string &bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

std::string ReadFileBytes(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "<missing>";
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

bool FileExists(const std::string &path) {
  std::error_code error;
  return fs::exists(path, error);
}

void SetReadOnly(const std::string &path, bool readOnly) {
#ifdef _WIN32
  SetFileAttributesA(path.c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
#else
  constexpr auto writable = fs::perms::owner_write | fs::perms::group_write;
  fs::permissions(path, writable, readOnly ? fs::perm_options::remove : fs::perm_options::add);
#endif
}
