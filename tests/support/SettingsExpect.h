#pragma once
// Test-only: googletest's view of CleanerSettings, each setting by its key,
// and a check that two cleaners hold the same settings, shared by the native
// and the Wine tests of their storage.
#include <gtest/gtest.h>

#include <ostream>

#include "IENorvaneU.h"

inline void PrintTo(const CleanerSettings &settings, std::ostream *out) {
  for (const TSetting &setting : kSettings)
    *out << setting.Key << "='" << ValueText(settings, setting) << "' ";
}

inline void ExpectSameSettings(const TIENorvane &a, const TIENorvane &b) {
  EXPECT_EQ(a.Settings, b.Settings);
}
