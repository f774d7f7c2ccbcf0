#pragma once
// Test-only: a googletest check that two cleaners hold the same nine
// settings and the same two additions, shared by the native and the Wine
// tests of their storage.
#include <gtest/gtest.h>

#include "IENorvaneU.h"

inline void ExpectSameSettings(const TIENorvane &a, const TIENorvane &b) {
  for (const TCategoryFields &c : TIENorvane::Categories()) {
    EXPECT_EQ(a.*c.Flag, b.*c.Flag) << c.FlagKey;
    EXPECT_EQ(a.*c.Type, b.*c.Type) << c.TypeKey;
    EXPECT_EQ(a.*c.Mask, b.*c.Mask) << c.MaskKey;
  }
  EXPECT_EQ(a.KeepSites, b.KeepSites);
  EXPECT_EQ(a.DeleteCacheHttps, b.DeleteCacheHttps);
}
