#pragma once
// A progress line on standard error for walks over large caches and for the
// deletes of a clean: it appears once the work has gone past a thousand
// entries, is rewritten in place as the count grows (at most ten times a
// second after its first showing of each kind, as a console write is slow under Wine),
// and is erased before the results are printed.
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
  // Characters of the delete bar between its brackets.
  static constexpr size_t kBarWidth = 20;

  // Writes to `err` only when `enabled` (a terminal, and not --json).
  TProgressLine(std::ostream &err, bool enabled);
  ~TProgressLine();
  TProgressLine(const TProgressLine &) = delete;
  TProgressLine &operator=(const TProgressLine &) = delete;

  // A walk has looked at `delivered` cache entries so far:
  // "cache: 1,234 entries looked at".
  void LookedAt(uint64_t delivered);

  // A clean has made `done` of its `toDo` deletes:
  // "deleting [#####...............] 1,234 of 5,000".
  void Deleted(uint64_t done, uint64_t toDo);

  // Erases the line if it is shown; later updates may show it again.
  void Erase();

private:
  enum class TKind { None, Walk, Delete };
  // Shows `line` unless a line of the same kind was shown less than
  // kInterval ago (the first line of each kind always shows).
  void Show(TKind kind, const std::string &line);

  std::ostream &Err;
  bool Enabled;
  size_t ShownWidth = 0; // characters of the line on screen; 0 when none
  TKind LastKind = TKind::None;
  std::chrono::steady_clock::time_point LastShown;
};
