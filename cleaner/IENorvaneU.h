#pragma once
// The cleaner: the nine settings, their INI storage, the clean and the
// preview lists of the options dialog.
#include <cstdint>
#include <string>

#include "CacheWalk.h"
#include "Platform.h"

class TConfForm;
class TListView;

// What one category's sweep deleted.
struct TCategoryTotals {
  uint64_t Count = 0; // entries deleted
  uint64_t Bytes = 0; // their sizes added up
};

// What a clean deleted, category by category.
struct TCleanTotals {
  TCategoryTotals Cache, Cookies, History;
  uint64_t FreedBytes() const { return Cache.Bytes + Cookies.Bytes + History.Bytes; }
};

class TIENorvane {
public:
  // The cleaner works through `platform`, which must outlive it. A new
  // cleaner holds false, 0 and empty masks until LoadSettings runs.
  explicit TIENorvane(const TPlatformServices& platform);

  // The settings, in the order in which they are read and saved.
  bool DeleteCache = false;
  int32_t DeleteCacheType = 0; // 0: every entry; 1: entries matching CacheMask
  std::string CacheMask;
  bool DeleteCookies = false;
  int32_t DeleteCookiesType = 0;
  std::string CookiesMask;
  bool DeleteHistory = false;
  int32_t DeleteHistoryType = 0;
  std::string HistoryMask;

  // Reads the nine settings from `section` of `iniFile`; a missing file,
  // section, key or unparsable number yields that setting's default. Never
  // creates or changes the file.
  void LoadSettings(const std::string& iniFile, const std::string& section);

  // Writes the nine settings to `section` of `iniFile`. Raises
  // EIniFileException at the first write the platform refuses; keys written
  // before it stay written.
  void SaveSettings(const std::string& iniFile, const std::string& section);

  // Sweeps the categories that are switched on (cache, cookies, history, in
  // that order), then empties the history store if history is on. Raises
  // EMaskException for a malformed mask met by an entry, and the history
  // store's failures; entries deleted before a failure stay deleted.
  TCleanTotals Clean();

  // The options dialog's side: settings into the controls and back.
  void WriteToForm(TConfForm& form);
  void ReadFromForm(TConfForm& form);

  // Fills `list` with one row per entry that `pattern` selects (URL, file
  // name of the local file, size). Uses nothing of a cleaner.
  static void FillPreviewList(IUrlCache& cache, TListView& list, const std::string& pattern);

  // The part of `path` after its last backslash; the whole path when it has
  // none.
  static std::string FileNameOfPath(const std::string& path);

  IUrlCache& UrlCache() const { return Platform.UrlCache; }

private:
  void SweepCategory(TCategory category, bool enabled, int32_t type, const std::string& mask,
                     TCategoryTotals& totals);

  TPlatformServices Platform;
};
