#include "TextFormat.h"

#include <vector>

namespace {

constexpr const char *kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};

// The byte offsets at which the characters of `text` begin, and its end.
std::vector<size_t> CharacterStarts(std::string_view text, const TLeadByteSet &leadBytes) {
  std::vector<size_t> starts;
  for (size_t at = 0; at < text.size();) {
    starts.push_back(at);
    const bool lead = leadBytes[static_cast<unsigned char>(text[at])] && at + 1 < text.size();
    at += lead ? 2 : 1;
  }
  starts.push_back(text.size());
  return starts;
}

} // namespace

std::string GroupedNumber(uint64_t value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string EntriesText(uint64_t count) {
  return GroupedNumber(count) + (count == 1 ? " entry" : " entries");
}

std::string SizeText(uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  // The largest unit that gives at least 1, in tenths rounded to nearest; a
  // rounding up to 1024 of a unit moves on to the next one.
  size_t unit = 0;
  while (unit + 1 < std::size(kUnits) && bytes >> (10 * (unit + 2)) > 0)
    ++unit;
  const unsigned shift = 10 * static_cast<unsigned>(unit + 1);
  const uint64_t scale = uint64_t{1} << shift;
  uint64_t whole = bytes >> shift;
  uint64_t tenths = ((bytes & (scale - 1)) * 10 + scale / 2) >> shift;
  if (tenths == 10) {
    ++whole;
    tenths = 0;
  }
  if (whole == 1024 && unit + 1 < std::size(kUnits)) {
    whole = 1;
    ++unit;
  }
  return std::to_string(whole) + "." + std::to_string(tenths) + " " + kUnits[unit] + " (" +
         std::to_string(bytes) + " bytes)";
}

std::string ShortenedInTheMiddle(std::string_view text, size_t width,
                                 const TLeadByteSet &leadBytes) {
  if (text.size() <= width) return std::string(text);
  constexpr std::string_view kEllipsis = "...";
  if (width < kEllipsis.size() + 2) return std::string(text.substr(0, width));
  const std::vector<size_t> starts = CharacterStarts(text, leadBytes);
  const size_t room = width - kEllipsis.size();
  // The head: the longest run of whole characters within half the room; the
  // tail: the longest run of whole characters at the end within the rest.
  size_t head = 0;
  for (size_t start : starts)
    if (start <= (room + 1) / 2) head = start;
  size_t tail = text.size();
  for (auto start = starts.rbegin(); start != starts.rend(); ++start)
    if (text.size() - *start <= room - head) tail = *start;
  return std::string(text.substr(0, head)) + std::string(kEllipsis) +
         std::string(text.substr(tail));
}
