#pragma once
// The private-profile service of the portable build: our own INI file store.
// It reads files that Windows wrote and writes files that Windows reads:
//  - a line ends at CR LF, CR or LF; a last line without a break is fine;
//  - "[name]" (blanks around it and inside the brackets ignored, the name up
//    to the last "]", anything after it ignored) starts a section; lines
//    before the first section belong to the section with the empty name;
//  - any other line is a key: its name is the text before the first "=",
//    its value the text after it, both without surrounding blanks (tab to CR
//    and space); a line without "=" is a key without a value, which reads as
//    absent; lines starting with ";" are keys like any other, so a comment
//    never reads as the setting it mentions;
//  - names compare without regard to ASCII case; the first of duplicate
//    sections and of duplicate keys wins;
//  - one pair of matching quote marks (" or ') around a value of two or more
//    characters is removed on read.
// It keeps no cache: every call reads the file afresh. A write that changes
// nothing leaves the file untouched; otherwise the store replaces the whole
// file at once: it writes the new content to "<file>.nvsave" beside it,
// flushes it to disk, gives it the old file's permissions and renames it over
// the old file, so a reader never sees a half-written file and a killed save
// leaves the old file whole. Lines it does not change keep their text; every
// line ends in CR LF. A new key goes after the last non-blank line of its
// section, a new section at the end of the file.
//
// A file name is used as the operating system takes it: a name without a
// folder names a file in the current directory (there is no Windows
// directory here).
//
// A file that starts with a UTF-16 byte order mark is read (characters above
// U+00FF read as "?"), but writes to it are refused, so it is never corrupted.
// Writes are also refused when a section, key or value holds a line break, or
// a key holds "=" or starts with "[", since the line written would read back
// as other settings.
#include <cstdint>
#include <memory>

#include "FileSystem.h"
#include "ProfileStore.h"

class TPortableIniStore : public IProfileStore {
public:
  // A store on the system's files.
  TPortableIniStore();
  // A store on `files`, which must outlive it.
  explicit TPortableIniStore(IFileSystem &files);

  uint32_t GetString(const char *section, const char *key, const char *defaultValue, char *buffer,
                     uint32_t size, const char *fileName) override;
  // Refuses (returns false, file unchanged) a read-only file, a missing
  // folder, a path that is not a writable regular file, a UTF-16 file and the
  // unsafe names and values above.
  bool WriteString(const char *section, const char *key, const char *value,
                   const char *fileName) override;
  // Every write is already on disk: nothing to do.
  void Flush(const char *fileName) override;
  // A name without a folder is read from the current folder.
  std::optional<std::string> FileProblem(const char *fileName) override {
    return Files.ReadProblem(fileName);
  }

private:
  std::unique_ptr<IFileSystem> OwnFiles; // none when the files were given
  IFileSystem &Files;
};
