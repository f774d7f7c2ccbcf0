#include "IENorvaneU.h"

#include "IniFiles.h"

TIENorvane::TIENorvane(const TPlatformServices& platform) : Platform(platform) {}

void TIENorvane::LoadSettings(const std::string& iniFile, const std::string& section) {
  TIniFile ini(Platform.Profiles, iniFile);
  DeleteCache = ini.ReadFlag(section, "DeleteCache", true);
  DeleteCacheType = ini.ReadNumber(section, "DeleteCacheType", 0);
  CacheMask = ini.ReadText(section, "CacheMask", "*.*");
  DeleteCookies = ini.ReadFlag(section, "DeleteCookies", true);
  DeleteCookiesType = ini.ReadNumber(section, "DeleteCookiesType", 0);
  CookiesMask = ini.ReadText(section, "CookiesMask", "*.*");
  DeleteHistory = ini.ReadFlag(section, "DeleteHistory", true);
  DeleteHistoryType = ini.ReadNumber(section, "DeleteHistoryType", 0);
  HistoryMask = ini.ReadText(section, "HistoryMask", "*.*");
}

void TIENorvane::SaveSettings(const std::string& iniFile, const std::string& section) {
  TIniFile ini(Platform.Profiles, iniFile);
  ini.WriteFlag(section, "DeleteCache", DeleteCache);
  ini.WriteNumber(section, "DeleteCacheType", DeleteCacheType);
  ini.WriteText(section, "CacheMask", CacheMask);
  ini.WriteFlag(section, "DeleteCookies", DeleteCookies);
  ini.WriteNumber(section, "DeleteCookiesType", DeleteCookiesType);
  ini.WriteText(section, "CookiesMask", CookiesMask);
  ini.WriteFlag(section, "DeleteHistory", DeleteHistory);
  ini.WriteNumber(section, "DeleteHistoryType", DeleteHistoryType);
  ini.WriteText(section, "HistoryMask", HistoryMask);
}

void TIENorvane::SweepCategory(TCategory category, bool enabled, int32_t type,
                               const std::string& mask, TCategoryTotals& totals) {
  if (!enabled) return;
  if (auto pattern = SweepPattern(category, type, mask))
    totals = Sweep(Platform.UrlCache, *pattern);
}

TCleanTotals TIENorvane::Clean() {
  TCleanTotals totals;
  SweepCategory(TCategory::Cache, DeleteCache, DeleteCacheType, CacheMask, totals.Cache);
  SweepCategory(TCategory::Cookies, DeleteCookies, DeleteCookiesType, CookiesMask,
                totals.Cookies);
  SweepCategory(TCategory::History, DeleteHistory, DeleteHistoryType, HistoryMask,
                totals.History);
  // The history store is emptied whatever the history type: a mask only
  // narrows the sweep of the "Visited:" entries before it.
  if (DeleteHistory) Platform.History.Clear();
  return totals;
}
