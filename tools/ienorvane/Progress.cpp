#include "Progress.h"

TProgressLine::TProgressLine(std::ostream &err, bool enabled, std::string what)
    : Err(err), Enabled(enabled), What(std::move(what)) {}

TProgressLine::~TProgressLine() { Erase(); }

void TProgressLine::Update(uint64_t delivered) {
  if (!Enabled || delivered < kShowFrom || delivered % kStep != 0) return;
  const std::string line =
      "ienorvane: " + What + ", " + std::to_string(delivered) + " cache entries looked at";
  Err << '\r' << line << std::flush;
  ShownWidth = line.size();
}

void TProgressLine::Erase() {
  if (ShownWidth == 0) return;
  Err << '\r' << std::string(ShownWidth, ' ') << '\r' << std::flush;
  ShownWidth = 0;
}
