#include "Progress.h"

#include "TextFormat.h"

namespace {

bool IsStep(uint64_t count) {
  return count >= TProgressLine::kShowFrom && count % TProgressLine::kStep == 0;
}

} // namespace

TProgressLine::TProgressLine(std::ostream &err, bool enabled) : Err(err), Enabled(enabled) {}

TProgressLine::~TProgressLine() { Erase(); }

void TProgressLine::LookedAt(uint64_t delivered) {
  if (!Enabled || !IsStep(delivered)) return;
  std::string line = "cache: " + GroupedNumber(delivered) + " entries looked at";
  if (DeletedCount > 0) line += ", " + GroupedNumber(DeletedCount) + " deleted";
  Show(line);
}

void TProgressLine::Show(const std::string &line) {
  const auto now = std::chrono::steady_clock::now();
  if (ShownOnce && now - LastShown < kInterval) return;
  ShownOnce = true;
  LastShown = now;
  // Blanks cover what is left of a longer line shown before.
  const size_t blanks = ShownWidth > line.size() ? ShownWidth - line.size() : 0;
  Err << '\r' << line << std::string(blanks, ' ') << std::flush;
  ShownWidth = line.size() + blanks;
}

void TProgressLine::Erase() {
  if (ShownWidth == 0) return;
  Err << '\r' << std::string(ShownWidth, ' ') << '\r' << std::flush;
  ShownWidth = 0;
}
