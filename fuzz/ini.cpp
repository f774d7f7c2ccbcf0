// libFuzzer target for the portable INI store: arbitrary bytes as a file,
// then writes and reads of keys in it. Every write either is refused with the
// file left as it was, or keeps every other line of the file and reads back
// as written.
//
// Input: one byte giving the number of writes (low two bits, plus one) and
// the read buffer size (the rest); then for each write three fields, each
// ending at a zero byte: section, key, value; the remaining bytes are the
// file. Missing fields are empty.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "IniFiles.h"
#include "IniScenario.h"
#include "IniText.h"
#include "PortableIniStore.h"

namespace {

struct TWrite {
  std::string Section, Key, Value;
};

struct TInput {
  std::vector<TWrite> Writes;
  uint32_t ReadSize = 1;
  std::string File;
};

std::string NextField(std::string_view &rest) {
  const size_t end = rest.find('\0');
  std::string field(rest.substr(0, end));
  rest.remove_prefix(end == rest.npos ? rest.size() : end + 1);
  return field;
}

TInput Decode(const uint8_t *data, size_t size) {
  TInput input;
  if (size == 0) return input;
  std::string_view rest(reinterpret_cast<const char *>(data) + 1, size - 1);
  input.ReadSize = 1u + (data[0] >> 2);
  for (int i = 0; i <= (data[0] & 3); ++i) {
    TWrite write;
    write.Section = NextField(rest), write.Key = NextField(rest), write.Value = NextField(rest);
    input.Writes.push_back(write);
  }
  input.File = rest;
  return input;
}

std::string FuzzFolder();
void RemoveFuzzFolder();

// A folder of this process's own in memory when the system has one, so
// that the flush of every save costs nothing.
std::string FuzzFolder() {
  static const std::string folder = [] {
    std::string name = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    name += "/nv-fuzz-ini-" + std::to_string(getpid());
    if (mkdir(name.c_str(), 0700) != 0) std::abort();
    return name;
  }();
  // Registered once the name is built, so it runs before the name goes.
  static const bool removedAtExit = std::atexit(RemoveFuzzFolder) == 0;
  (void)removedAtExit;
  return folder;
}

std::string FuzzFile() { return FuzzFolder() + "/host.ini"; }

void RemoveFuzzFolder() {
  std::remove(FuzzFile().c_str());
  std::remove((FuzzFile() + ".nvsave").c_str());
  rmdir(FuzzFolder().c_str());
}

[[noreturn]] void Fail(const std::string &what, const TWrite &write) {
  std::fprintf(stderr, "%s\nsection '%s' key '%s' value '%s'\n", what.c_str(),
               write.Section.c_str(), write.Key.c_str(), write.Value.c_str());
  RemoveFuzzFolder();
  std::abort();
}

std::string FileBytes(const std::string &path) {
  std::string bytes;
  if (std::FILE *file = std::fopen(path.c_str(), "rb")) {
    char chunk[4096];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0)
      bytes.append(chunk, count);
    std::fclose(file);
  }
  return bytes;
}

void CheckWrite(TPortableIniStore &store, const std::string &path, const TWrite &write) {
  const std::string before = FileBytes(path);
  const bool written = store.WriteString(write.Section.c_str(), write.Key.c_str(),
                                         write.Value.c_str(), path.c_str());
  const std::string after = FileBytes(path);
  if (!written) {
    if (after != before) Fail("a refused write changed the file", write);
    return;
  }
  const std::string kept = CheckWriteKeptLines(
      before, after, std::string(TrimBlanks(write.Section)), std::string(TrimBlanks(write.Key)));
  if (!kept.empty()) Fail("a write lost lines: " + kept, write);
  TIniFile ini(store, path);
  if (ini.ReadText(write.Section, write.Key, "\x01none") != ExpectedReadBack(write.Value))
    Fail("a written value did not read back", write);
}

// Reads through a buffer of the input's size: the count and the NUL must
// stay inside it.
void CheckCutRead(TPortableIniStore &store, const std::string &path, const TWrite &write,
                  uint32_t size) {
  std::vector<char> buffer(size + 1, '#');
  const uint32_t count = store.GetString(write.Section.c_str(), write.Key.c_str(),
                                         write.Value.c_str(), buffer.data(), size, path.c_str());
  if (count >= size || buffer[count] != '\0' || buffer[size] != '#')
    Fail("a read went past its buffer", write);
  (void)ParseIniNumber(std::string_view(buffer.data(), count));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const TInput input = Decode(data, size);
  const std::string path = FuzzFile();
  {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(input.File.data(), 1, input.File.size(), file);
    std::fclose(file);
  }
  TPortableIniStore store;
  for (const TWrite &write : input.Writes) {
    CheckCutRead(store, path, write, input.ReadSize);
    CheckWrite(store, path, write);
  }
  return 0;
}
