#pragma once
// Test-only: a fresh folder for one test's files, removed with everything in
// it when the object goes. Works natively and under Wine.
#include <string>

class TTempDir {
public:
  // Creates a new empty folder under the system's temporary folder.
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir &) = delete;
  TTempDir &operator=(const TTempDir &) = delete;

  // The folder, without a trailing separator.
  const std::string &Path() const { return Folder; }
  // `name` inside the folder, joined with the system's separator.
  std::string File(const std::string &name) const;

private:
  std::string Folder;
};

// Writes `bytes` to `path` as they are, replacing any file there.
void WriteFileBytes(const std::string &path, const std::string &bytes);
// The bytes of the file at `path`; "<missing>" when it cannot be read.
std::string ReadFileBytes(const std::string &path);
// True when `path` names an existing file or folder.
bool FileExists(const std::string &path);
// Sets or clears the read-only state of the file at `path` (the read-only
// attribute on Windows, all write permissions elsewhere).
void SetReadOnly(const std::string &path, bool readOnly);
