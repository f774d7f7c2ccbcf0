#pragma once
// The lines of an INI file as the portable store reads and edits them (the
// format rules are listed in PortableIniStore.h).
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AsciiText.h"

class TIniText {
public:
  // Splits `content`, the file's bytes. A UTF-8 byte order mark is kept
  // aside and written back; a UTF-16 file (either byte order) is decoded to
  // single bytes for reading and marks the text as not writable.
  explicit TIniText(std::string_view content);
  TIniText(const TIniText &) = delete; // the lines point into the object
  TIniText &operator=(const TIniText &) = delete;

  // Section and key names are taken without the blanks around them.
  //
  // The value of `key` in `section` as a reader sees it (blanks trimmed, one
  // pair of quote marks removed); nothing when the section, the key or its
  // "=" is missing.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // Sets `key` in `section` to `value` with its surrounding blanks dropped.
  // Returns false when the stored value is already that, leaving the text
  // as it was; true when the text changed.
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);

  // False for a text decoded from UTF-16, which is never written back.
  bool Writable() const { return !FromUtf16; }

  // The whole file: the byte order mark, if any, and every line ending in
  // CR LF.
  std::string Content() const;

private:
  struct TRange {
    size_t Begin; // first line after the header (0 for the leading section)
    size_t End;   // the next header, or the number of lines
  };

  std::optional<TRange> FindSection(std::string_view name) const;
  std::optional<size_t> FindKey(const TRange &range, std::string_view key) const;
  void InsertKeyLine(const TRange &range, std::string_view line);
  // Keeps `line` and returns a view of it that stays valid.
  std::string_view Keep(std::string line);

  std::string ByteOrderMark;
  bool FromUtf16 = false;
  std::string Text;                     // the file's bytes, decoded from UTF-16 if need be
  std::deque<std::string> WrittenLines; // lines that SetValue made
  std::vector<std::string_view> Lines;  // each into Text or WrittenLines
};

// The text of `value` as a reader of a stored value sees it: one pair of
// matching quote marks around two or more characters removed.
std::string_view WithoutQuotes(std::string_view value);

// The blanks that the format trims around lines, names and values: tab to
// carriage return, and space.
inline constexpr std::string_view kIniBlanks = "\t\n\v\f\r ";

// `text` without the blanks (kIniBlanks) around it.
constexpr std::string_view TrimBlanks(std::string_view text) { return Trim(text, kIniBlanks); }
