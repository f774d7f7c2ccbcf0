#pragma once
// The cleaner: the nine settings, their INI storage, the clean and the
// preview lists of the options dialog.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "CacheSnapshot.h"
#include "CacheWalk.h"
#include "Platform.h"
#include "SettingsForm.h"

// What a clean did, category by category.
struct TCleanTotals {
  TCategoryTotals Cache, Cookies, History;
  // The history store's answer; none when history was off.
  std::optional<THistoryAnswer> HistoryStore;

  TCategoryTotals &Of(TCategory category);
  const TCategoryTotals &Of(TCategory category) const;
  uint64_t FreedBytes() const { return Cache.Bytes + Cookies.Bytes + History.Bytes; }
  // What the host is told: "Exempted space is <FreedBytes> bytes", the total
  // in full (64-bit, so a clean of 4 GiB or more is not reported as 0).
  std::string ReportText() const {
    return "Exempted space is " + std::to_string(FreedBytes()) + " bytes";
  }
};

class TIENorvane;

// One category's three settings: the fields of TIENorvane, their INI keys
// (each field's own name) and the category's prefix.
struct TCategoryFields {
  TCategory Category;
  bool TIENorvane::*Flag;
  int32_t TIENorvane::*Type;
  std::string TIENorvane::*Mask;
  const char *FlagKey;
  const char *TypeKey;
  const char *MaskKey;
};

class TIENorvane {
public:
  // The cleaner works through `platform`, which must outlive it. A new
  // cleaner holds false, 0 and empty masks until LoadSettings runs.
  explicit TIENorvane(IPlatform &platform);

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

  // The three categories' settings in the order cache, cookies, history.
  static const std::array<TCategoryFields, 3> &Categories();
  static const TCategoryFields &FieldsOf(TCategory category);

  bool Enabled(TCategory category) const { return this->*FieldsOf(category).Flag; }
  int32_t TypeOf(TCategory category) const { return this->*FieldsOf(category).Type; }
  const std::string &MaskOf(TCategory category) const { return this->*FieldsOf(category).Mask; }

  // Reads the nine settings from `section` of `iniFile`; a missing file,
  // section, key or unparsable number yields that setting's default. Never
  // creates or changes the file.
  void LoadSettings(const std::string &iniFile, const std::string &section);

  // Writes the nine settings to `section` of `iniFile`. Raises
  // EIniFileException at the first write the platform refuses; keys written
  // before it stay written.
  void SaveSettings(const std::string &iniFile, const std::string &section);

  // Sweeps the categories that are switched on (cache, cookies, history, in
  // that order), then empties the history store if history is on. Raises
  // EMaskException for a malformed mask met by an entry, and the history
  // store's failures; entries deleted before a failure stay deleted.
  // `observer`, when set, hears of every selected entry and its delete.
  TCleanTotals Clean(const TSweepObserver &observer = {});

  // Puts the settings into the form's controls; the form fills its preview
  // lists itself, as its sections select. Each section is set as an event of
  // the form, so a failure in one is reported by the form and the other
  // sections are still set.
  void WriteToForm(ISettingsForm &form);
  // Takes the settings back from the controls; a type stays as loaded when
  // neither of its choices is checked. Masks are taken as typed.
  void ReadFromForm(const ISettingsForm &form);

  // Empties `list` and fills it with one row per entry that `pattern`
  // selects (URL, file name of the local file, size), repainting it once.
  // Uses nothing of a cleaner. A malformed pattern met by an entry raises
  // EMaskException with the list left empty.
  static void FillPreviewList(IPlatform &platform, IPreviewList &list, const std::string &pattern);
  // The same rows from the entries a snapshot kept, matched in memory in the
  // code page of `leadBytes`: those of a walk of the cache the snapshot read.
  static void FillPreviewList(const TCacheSnapshot &snapshot, const TLeadByteSet &leadBytes,
                              IPreviewList &list, const std::string &pattern);

  // The part of `path` after its last backslash; the whole path when it has
  // none; empty when it ends in a backslash.
  static std::string FileNameOfPath(const std::string &path);

  IPlatform &Platform() const { return System; }

private:
  // The pattern a clean sweeps `category` with; none when it is off or its
  // type sweeps nothing.
  std::optional<std::string> SweepPatternOf(TCategory category) const;
  // Sweeps `pattern` of the cookie or history category: by the category's
  // own enumeration, or from the entries the http sweep kept when the
  // platform lists the category with the content.
  TCategoryTotals SweepCategory(TCategory category, const std::string &pattern,
                                const TSweepObserver &observer,
                                const TCacheSnapshot &listedWithContent);

  IPlatform &System;
};
