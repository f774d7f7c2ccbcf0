#pragma once
// The cleaner: its settings (CleanerSettings) and their INI storage, the
// clean and the preview lists of the options dialog.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CacheSnapshot.h"
#include "CacheWalk.h"
#include "CleanerSettings.h"
#include "Platform.h"
#include "Select.h"
#include "SettingsForm.h"
#include "TraceWipeRun.h"

// What a clean did, category by category.
struct TCleanTotals {
  TCategoryTotals Cache, Cookies, History;
  // The history store's answer; none when history was off.
  std::optional<THistoryAnswer> HistoryStore;
  // What the wipe of deleted traces did; none when WipeTraces was off.
  std::optional<TCleanWipe> Wipe;

  TCategoryTotals &Of(TCategory category);
  const TCategoryTotals &Of(TCategory category) const;
  uint64_t FreedBytes() const { return Cache.Bytes + Cookies.Bytes + History.Bytes; }
  // What the host is told: "Exempted space is <FreedBytes> bytes", the total
  // in full (64-bit, so a clean of 4 GiB or more is not reported as 0).
  std::string ReportText() const {
    return "Exempted space is " + std::to_string(FreedBytes()) + " bytes";
  }
};

// What a clean selected (its entries gone, as far as the totals say) and
// what its deletes did.
struct TCleanRun {
  TSelection Selection;
  TCleanTotals Totals;
};

class TIENorvane {
public:
  // The cleaner works through `platform`, which must outlive it. A new
  // cleaner holds false, 0 and empty masks until LoadSettings runs.
  explicit TIENorvane(IPlatform &platform);

  CleanerSettings Settings;

  // Reads the settings from `section` of `iniFile` (CleanerSettings::Load);
  // a missing file or section gives every default. Never creates or changes
  // the file.
  void LoadSettings(const std::string &iniFile, const std::string &section);

  // Writes the settings to `section` of `iniFile` (CleanerSettings::Save).
  // Raises EIniFileException at the first write the platform refuses; keys
  // written before it stay written.
  void SaveSettings(const std::string &iniFile, const std::string &section);

  // The patterns and sweeps of a clean with the settings (SweepPatternsOf,
  // SweepsOf).
  std::vector<std::string> SweepPatternsOf(TCategory category) const {
    return ::SweepPatternsOf(Settings, category);
  }
  std::vector<TSweep> Sweeps(std::optional<TCategory> only = std::nullopt) const {
    return SweepsOf(Settings, only);
  }
  // The sites to keep. Raises EKeepSitesException, naming the first
  // malformed item, when the stored list is malformed.
  TKeepSites SitesToKeep() const { return TKeepSites::Parse(Settings.KeepSites); }
  // Every pattern of a sweep with the user's mask (ByMask) that the matcher
  // refuses, in the clean's order, one per category (the cache's https
  // half repeats its http half's mask). Looks at no cache entry.
  std::vector<TMaskFault> MalformedMasks() const;

  // What a clean would select, from the platform's cache as read for its
  // sweeps (ReadCategories, SelectFrom), for every category or only `only`;
  // deletes nothing. A malformed mask met by an entry ends it with Fault
  // set. Raises EKeepSitesException, before any read, for a malformed keep
  // list.
  TSelection Select(std::optional<TCategory> only = std::nullopt);
  // The clean's selection and deletes in one walk of the platform's cache
  // (SelectListed): each entry chosen is deleted (TEntryDeleter) as soon as
  // the walk lists it, so that the delete names what was just listed.
  // `observer`, when set, hears of every delete. The selection is what
  // Select would have chosen of the cache as walked; the totals count what
  // the sites to keep held back (Kept) and hold no history store answer.
  // With WipeTraces each delete also wipes what it leaves behind
  // (TTraceWipeRun), and Wipe says what was wiped. Raises
  // EKeepSitesException, before any walk, for a malformed keep list.
  TCleanRun SelectAndDelete(const TSweepObserver &observer = {});
  // Empty the history store, which a clean does whenever history is on, as
  // far as the user selected: with history by mask (ByMask) the store forgets
  // only the URLs of the visits this clean deleted (`deleted`, what
  // what SelectAndDelete counted), and nothing else; otherwise
  // it is emptied whole, or, with sites to keep, each of its URLs that no
  // site keeps is deleted. A store the platform cannot list is left alone
  // then (see IHistoryStore). Its answer; none when history is off. Raises
  // the store's failures, and EKeepSitesException for a malformed keep list.
  std::optional<THistoryAnswer> EmptyHistoryStore(const TCleanTotals &deleted = {});
  // Whether a clean empties the history store: whenever history is on.
  bool EmptiesHistoryStore() const { return Settings.DeleteHistory; }

  // The clean, as every front end runs it: SelectAndDelete, then
  // EmptyHistoryStore with what was deleted. Raises EKeepSitesException for
  // a malformed keep list before it deletes anything; EMaskException for a
  // malformed mask met by an entry, once what the sweeps before it selected
  // is deleted (the history store is then left alone); and the history
  // store's failures. Entries deleted before a failure stay deleted.
  TCleanTotals Clean(const TSweepObserver &observer = {});

  // Puts each setting of the table into the form's control for it; the form
  // fills its preview lists itself, as its sections select. Each setting is
  // set as an event of the form, so a failure in one (a malformed keep list)
  // is reported by the form and the others are still set.
  void WriteToForm(ISettingsForm &form);
  // Takes each setting back from its control; a setting the form leaves
  // open (a type with neither choice checked) stays as loaded. Masks are
  // taken as typed.
  void ReadFromForm(const ISettingsForm &form);

  // The dialog's fill of `category`'s list: empties `list` and adds one
  // row (URL, file name of the local file, size) per entry that a clean with
  // `settings` selects of `category` from `entries` (SelectEach), less those
  // a site of `keep` holds back, which the result counts; repaints once.
  // With no `keep` (the dialog's keep list is malformed, and a clean with it
  // deletes nothing) it adds no row, and still selects so that a malformed
  // mask is named. Uses nothing of a cleaner. A malformed pattern met by an
  // entry raises EMaskException with the list left empty.
  static TKeptTotals FillPreviewList(IPreviewList &list, const CleanerSettings &settings,
                                     TCategory category, const TCategorySnapshots &entries,
                                     const TLeadByteSet &leadBytes, const TKeepSites *keep);

  IPlatform &Platform() const { return System; }

private:
  static TCleanTotals TotalsOf(const TEntryDeleter &deleter);

  IPlatform &System;
};
