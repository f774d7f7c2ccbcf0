#include "TraceWipeRun.h"

TTraceWipeRun::TTraceWipeRun(IPlatform &platform, bool on) : Platform(platform), On(on) {
  if (On) Wipe = Platform.BeginTraceWipe();
}

std::optional<TCleanWipe> TTraceWipeRun::Finish() {
  if (!On) return std::nullopt;
  TCleanWipe done;
  if (!Wipe) {
    done.Unavailable = Platform.WipeUnavailable();
    return done;
  }
  done.LeftoversRemoved = Wipe->LeftoversRemoved();
  done.Categories = Wipe->Finish();
  Wipe.reset();
  return done;
}
