#pragma once
// Test-only: a googletest check that two cleaners hold the same nine
// settings, shared by the native and the Wine tests of their storage.
#include <gtest/gtest.h>

#include "IENorvaneU.h"

inline void ExpectSameSettings(const TIENorvane &a, const TIENorvane &b) {
  EXPECT_EQ(a.DeleteCache, b.DeleteCache);
  EXPECT_EQ(a.DeleteCacheType, b.DeleteCacheType);
  EXPECT_EQ(a.CacheMask, b.CacheMask);
  EXPECT_EQ(a.DeleteCookies, b.DeleteCookies);
  EXPECT_EQ(a.DeleteCookiesType, b.DeleteCookiesType);
  EXPECT_EQ(a.CookiesMask, b.CookiesMask);
  EXPECT_EQ(a.DeleteHistory, b.DeleteHistory);
  EXPECT_EQ(a.DeleteHistoryType, b.DeleteHistoryType);
  EXPECT_EQ(a.HistoryMask, b.HistoryMask);
}
