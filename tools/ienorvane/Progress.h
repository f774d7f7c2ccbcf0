#pragma once
// A progress line on standard error for walks over large caches: it appears
// once a walk has gone past a few thousand entries and is rewritten in place
// as the count grows, then erased when the command ends.
#include <cstdint>
#include <ostream>
#include <string>

class TProgressLine {
public:
  // Entries delivered before the line first appears, and between updates.
  static constexpr uint64_t kShowFrom = 2000;
  static constexpr uint64_t kStep = 250;

  // Writes to `err` only when `enabled` (a terminal, and not --json). `what`
  // names the work, e.g. "previewing".
  TProgressLine(std::ostream &err, bool enabled, std::string what);
  ~TProgressLine();
  TProgressLine(const TProgressLine &) = delete;
  TProgressLine &operator=(const TProgressLine &) = delete;

  // Reports that `delivered` cache entries have been looked at so far.
  void Update(uint64_t delivered);

  // Erases the line if it was shown; later updates may show it again.
  void Erase();

private:
  std::ostream &Err;
  bool Enabled;
  std::string What;
  size_t ShownWidth = 0; // characters of the line on screen; 0 when none
};
