#pragma once
// The INI accessor: single keys of a named section of an INI file, read and
// written through the private-profile service, with the text forms of numbers
// and flags.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ProfileStore.h"
#include "SysUtils.h"

// A write the platform refused. The message is "Unable to write to " followed
// by the file name exactly as the accessor was given it.
class EIniFileException : public Exception {
public:
  explicit EIniFileException(const std::string &message) : Exception(message) {}
};

// Parses the stored text of a number: after leading spaces, either a
// hexadecimal number ("$", "x", "X", "0x" or "0X" and one or more hex digits,
// at most FFFFFFFF, taken as the signed number with the same bits) or a
// decimal one (optional "+" or "-", one or more digits, within the signed
// 32-bit range). Anything else, the empty text included, gives nothing.
std::optional<int32_t> ParseIniNumber(std::string_view text);

// The accessor's abstract base: holds the file name and builds numbers and
// flags on top of the text operations (read, write, flush) that a derived
// class provides; only those three are virtual.
class TCustomIniFile {
public:
  // Keeps `fileName` as given; nothing is read, opened or checked.
  explicit TCustomIniFile(const std::string &fileName) : FileName(fileName) {}
  virtual ~TCustomIniFile() = default;
  TCustomIniFile(const TCustomIniFile &) = delete;
  TCustomIniFile &operator=(const TCustomIniFile &) = delete;

  // The stored text of `key` in `section`, whole; `defaultValue` when the
  // file, the section or the key does not exist.
  virtual std::string ReadText(const std::string &section, const std::string &key,
                               const std::string &defaultValue) = 0;
  // Stores `value` under `key`; raises EIniFileException when refused.
  virtual void WriteText(const std::string &section, const std::string &key,
                         const std::string &value) = 0;

  // The stored number (see ParseIniNumber), or `defaultValue` when the key is
  // missing or its text does not parse.
  int32_t ReadNumber(const std::string &section, const std::string &key, int32_t defaultValue);
  // Stores `value` in plain signed decimal; raises as WriteText.
  void WriteNumber(const std::string &section, const std::string &key, int32_t value);
  // True when the stored number is not 0; `defaultValue` when there is none.
  bool ReadFlag(const std::string &section, const std::string &key, bool defaultValue);
  // Stores "1" for true and "0" for false; raises as WriteText.
  void WriteFlag(const std::string &section, const std::string &key, bool value);

  // Whether `key` stands in `section`, with a value or an empty one.
  bool ValueExists(const std::string &section, const std::string &key);

  // Asks the platform to write any cached copy of the file to disk; failures
  // are ignored.
  virtual void FlushFile() = 0;

  // The file name given at creation, unchanged.
  const std::string FileName;
};

// The accessor over the private-profile service. Every read asks the service
// afresh and every write is handed to it at once; nothing is cached here.
class TIniFile : public TCustomIniFile {
public:
  // `store` must outlive the accessor.
  TIniFile(IProfileStore &store, const std::string &fileName);
  // Flushes the file.
  ~TIniFile() override;

  // Reads values of any length whole: the buffer grows while the service
  // fills it to the brim.
  std::string ReadText(const std::string &section, const std::string &key,
                       const std::string &defaultValue) override;
  void WriteText(const std::string &section, const std::string &key,
                 const std::string &value) override;
  void FlushFile() override;

private:
  IProfileStore &Store;
};
