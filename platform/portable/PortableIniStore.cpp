#include "PortableIniStore.h"

#include <cstring>
#include <string>
#include <string_view>

#include "IniText.h"

namespace {

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

// Names and values whose line would read back as something else.
bool SafeToWrite(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  return key.find('=') == key.npos && !TrimBlanks(key).starts_with('[');
}

// The caller's default as the platform hands it back: trailing spaces
// dropped, then one pair of quote marks.
std::string_view AsDefault(std::string_view text) {
  const size_t end = text.find_last_not_of(' ');
  return WithoutQuotes(text.substr(0, end == text.npos ? 0 : end + 1));
}

uint32_t CopyCut(std::string_view text, char *buffer, uint32_t size) {
  const size_t count = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<uint32_t>(count);
}

} // namespace

TPortableIniStore::TPortableIniStore() : OwnFiles(CreateSystemFileSystem()), Files(*OwnFiles) {}

TPortableIniStore::TPortableIniStore(IFileSystem &files) : Files(files) {}

uint32_t TPortableIniStore::GetString(const char *section, const char *key,
                                      const char *defaultValue, char *buffer, uint32_t size,
                                      const char *fileName) {
  std::optional<std::string> value;
  if (const auto content = Files.ReadWholeFile(fileName))
    value = TIniText(*content).Value(section, key);
  if (!value) return CopyCut(AsDefault(defaultValue), buffer, size);
  return CopyCut(*value, buffer, size);
}

bool TPortableIniStore::WriteString(const char *section, const char *key, const char *value,
                                    const char *fileName) {
  if (!SafeToWrite(section, key, value)) return false;
  const auto content = Files.ReadWholeFile(fileName);
  if (!content && Files.PathExists(fileName)) return false; // there, but not a file we can read
  TIniText text(content.value_or(""));
  if (!text.Writable()) return false;
  if (!text.SetValue(section, key, value)) return true;
  return Files.ReplaceFileAtomically(fileName, text.Content());
}

void TPortableIniStore::Flush(const char *) {}
