#pragma once
// The wipe of deleted traces as one clean's deletes use it: on when the
// settings ask for it, through the wipe the platform supplies (TraceWipe.h).
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Platform.h"

// What the wipe of one clean did; Unavailable says why nothing was wiped
// when the platform cannot wipe (the other fields are then zero).
struct TCleanWipe {
  std::array<TWipeTotals, 3> Categories{}; // in kAllCategories' order
  uint64_t LeftoversRemoved = 0;           // neutral entries of an earlier clean
  std::string Unavailable;

  const TWipeTotals &Of(TCategory category) const {
    return Categories[static_cast<size_t>(category)];
  }
};

// Begins the wipe when `on`; the deletes go through Cache(), which is the
// platform's own cache when the wipe is off or unavailable. Destroyed before
// Finish (a failure), the platform's wipe still removes its neutral entries.
class TTraceWipeRun {
public:
  TTraceWipeRun(IPlatform &platform, bool on);

  IUrlCache &Cache() { return Wipe ? Wipe->Cache() : Platform.UrlCache(); }
  // Ends the wipe; none when it was off.
  std::optional<TCleanWipe> Finish();

private:
  IPlatform &Platform;
  const bool On;
  std::unique_ptr<ITraceWipe> Wipe;
};
