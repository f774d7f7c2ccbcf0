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
  Show(TKind::Walk, "cache: " + GroupedNumber(delivered) + " entries looked at");
}

void TProgressLine::Deleted(uint64_t done, uint64_t toDo) {
  if (!Enabled || toDo < kShowFrom || done % kStep != 0 || done == 0) return;
  const size_t filled = done >= toDo ? kBarWidth : static_cast<size_t>(done * kBarWidth / toDo);
  Show(TKind::Delete, "deleting [" + std::string(filled, '#') +
                          std::string(kBarWidth - filled, '.') + "] " + GroupedNumber(done) +
                          " of " + GroupedNumber(toDo));
}

void TProgressLine::Show(TKind kind, const std::string &line) {
  const auto now = std::chrono::steady_clock::now();
  if (kind == LastKind && now - LastShown < kInterval) return;
  LastKind = kind;
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
