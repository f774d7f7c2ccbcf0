#include "TraceWipe.h"

#include <numeric>

namespace {

struct TReasonWords {
  const char *Text;
  const char *Key;
};

constexpr std::array<TReasonWords, static_cast<size_t>(TFileKeep::Count)> kReasons{{
    {"outside the cache's folder", "outside"},
    {"has a second name", "linked"},
    {"is a reparse point", "reparse"},
    {"could not be opened for writing", "unopened"},
    {"a write failed", "failed"},
}};

} // namespace

const char *ReasonText(TFileKeep reason) { return kReasons[static_cast<size_t>(reason)].Text; }

const char *ReasonKey(TFileKeep reason) { return kReasons[static_cast<size_t>(reason)].Key; }

uint64_t TWipeTotals::FilesKeptCount() const {
  return std::accumulate(FilesKept.begin(), FilesKept.end(), uint64_t{0});
}
