#include "IENorvaneU.h"

#include "IniFiles.h"
#include "frmIENorvane.h"

#include <cstring>
#include <string_view>

TIENorvane::TIENorvane(const TPlatformServices &platform) : Platform(platform) {}

void TIENorvane::LoadSettings(const std::string &iniFile, const std::string &section) {
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

void TIENorvane::SaveSettings(const std::string &iniFile, const std::string &section) {
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
                               const std::string &mask, TCategoryTotals &totals) {
  if (!enabled) return;
  if (auto pattern = SweepPattern(category, type, mask))
    totals = Sweep(Platform.UrlCache, *pattern);
}

TCleanTotals TIENorvane::Clean() {
  TCleanTotals totals;
  SweepCategory(TCategory::Cache, DeleteCache, DeleteCacheType, CacheMask, totals.Cache);
  SweepCategory(TCategory::Cookies, DeleteCookies, DeleteCookiesType, CookiesMask, totals.Cookies);
  SweepCategory(TCategory::History, DeleteHistory, DeleteHistoryType, HistoryMask, totals.History);
  // The history store is emptied whatever the history type: a mask only
  // narrows the sweep of the "Visited:" entries before it.
  if (DeleteHistory) Platform.History.Clear();
  return totals;
}

// ---- The options dialog's side: the form and its preview lists ----

namespace {

// The part of `path` after its last backslash (byte 92); only the backslash
// separates. One pass over the path: it runs for every row of a fill.
std::string_view FileNameOf(const char *path) {
  const char *slash = std::strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

// One section's type, radio buttons and mask, as the form's filling sets them.
void WriteSection(TConfForm &form, int32_t type, TRadioButton &all, TRadioButton &byMask,
                  TEdit &maskEdit, const std::string &mask) {
  form.HandleEvent([&] {
    if (type == 0) {
      all.SetChecked(true);
      maskEdit.SetEnabled(false);
    } else if (type == 1) {
      byMask.SetChecked(true);
      maskEdit.SetEnabled(true);
    }
    maskEdit.SetText(mask); // fires the change handler, which fills the list
  });
}

int32_t TypeOfSection(const TRadioButton &all, const TRadioButton &byMask, int32_t loaded) {
  int32_t type = loaded;
  if (all.Checked()) type = 0;
  if (byMask.Checked()) type = 1;
  return type;
}

} // namespace

void TIENorvane::WriteToForm(TConfForm &form) {
  form.cbDeleteCache.SetChecked(DeleteCache);
  form.cbDeleteCookies.SetChecked(DeleteCookies);
  form.cbDeleteHistory.SetChecked(DeleteHistory);
  WriteSection(form, DeleteCacheType, form.rbDeleteCacheAll, form.rbDeleteCacheMask,
               form.edtCacheMask, CacheMask);
  WriteSection(form, DeleteCookiesType, form.rbDeleteCookiesAll, form.rbDeleteCookiesMask,
               form.edtCookiesMask, CookiesMask);
  WriteSection(form, DeleteHistoryType, form.rbDeleteHistoryAll, form.rbDeleteHistoryMask,
               form.edtHistoryMask, HistoryMask);
  IUrlCache &cache = Platform.UrlCache;
  form.HandleEvent([&] { FillPreviewList(cache, form.lvCache, "http://" + CacheMask); });
  form.HandleEvent([&] { FillPreviewList(cache, form.lvCookies, "Cookie:" + CookiesMask); });
  form.HandleEvent([&] { FillPreviewList(cache, form.lvHistory, "Visited:" + HistoryMask); });
}

void TIENorvane::ReadFromForm(TConfForm &form) {
  DeleteCache = form.cbDeleteCache.Checked();
  DeleteCookies = form.cbDeleteCookies.Checked();
  DeleteHistory = form.cbDeleteHistory.Checked();
  DeleteCacheType = TypeOfSection(form.rbDeleteCacheAll, form.rbDeleteCacheMask, DeleteCacheType);
  DeleteCookiesType =
      TypeOfSection(form.rbDeleteCookiesAll, form.rbDeleteCookiesMask, DeleteCookiesType);
  DeleteHistoryType =
      TypeOfSection(form.rbDeleteHistoryAll, form.rbDeleteHistoryMask, DeleteHistoryType);
  CacheMask = form.edtCacheMask.Text();
  CookiesMask = form.edtCookiesMask.Text();
  HistoryMask = form.edtHistoryMask.Text();
}

void TIENorvane::FillPreviewList(IUrlCache &cache, TListView &list, const std::string &pattern) {
  // The bracket closes on every path, also when the matcher raises: the
  // list then repaints once, empty.
  TListUpdateBracket bracket(list);
  list.Clear();
  Walk(cache, pattern, [&list](const TCacheEntryView &entry) {
    const std::string_view fileName =
        entry.LocalFileName ? FileNameOf(entry.LocalFileName) : std::string_view();
    list.AddRow(entry.Url, fileName, entry.Size);
  });
}

std::string TIENorvane::FileNameOfPath(const std::string &path) {
  return std::string(FileNameOf(path.c_str()));
}
