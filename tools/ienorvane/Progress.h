#pragma once
// A progress line on standard error for walks over large caches, a clean's
// among them: it appears once the walk has gone past a thousand entries, is
// rewritten in place as the count grows (at most ten times a second after
// its first showing, as a console write is slow under Wine), and is erased
// before the results are printed.
#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

class TProgressLine {
public:
  // Entries before the line first appears, and between updates.
  static constexpr uint64_t kShowFrom = 1000;
  static constexpr uint64_t kStep = 250;
  // The least time between two updates after the first.
  static constexpr std::chrono::milliseconds kInterval{100};

  // Writes to `err` only when `enabled` (a terminal, and not --json).
  TProgressLine(std::ostream &err, bool enabled);
  ~TProgressLine();
  TProgressLine(const TProgressLine &) = delete;
  TProgressLine &operator=(const TProgressLine &) = delete;

  // A walk has looked at `delivered` cache entries so far:
  // "cache: 1,234 entries looked at", and once a clean's walk has deleted
  // some, ", 1,000 deleted".
  void LookedAt(uint64_t delivered);

  // The clean's walk has deleted one more entry.
  void Deleted() { ++DeletedCount; }

  // Erases the line if it is shown; later updates may show it again.
  void Erase();

private:
  // Shows `line` unless a line was shown less than kInterval ago (the first
  // line always shows).
  void Show(const std::string &line);

  std::ostream &Err;
  bool Enabled;
  size_t ShownWidth = 0; // characters of the line on screen; 0 when none
  bool ShownOnce = false;
  std::chrono::steady_clock::time_point LastShown;
  uint64_t DeletedCount = 0;
};
