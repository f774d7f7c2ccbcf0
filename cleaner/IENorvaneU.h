#pragma once
// The cleaner: the nine settings, their INI storage, the clean and the
// preview lists of the options dialog.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// One row of the category table: everything the cleaner knows of a
// category beyond its container (CategoryPrefix): its name, its three
// settings (fields of TIENorvane, INI keys named as the fields) and its
// part of a clean's totals.
struct TCategoryFields {
  TCategory Category;
  const char *Name; // "cache", "cookies" or "history"
  bool TIENorvane::*Flag;
  TSweepType TIENorvane::*Type;
  std::string TIENorvane::*Mask;
  const char *FlagKey;
  const char *TypeKey;
  const char *MaskKey;
  TCategoryTotals TCleanTotals::*Totals;
};

// A malformed mask: which category, which whole pattern, the 1-based
// position in it and the matcher's own message.
struct TMaskFault {
  TCategory Category = TCategory::Cache;
  std::string Pattern;
  uint64_t Position = 0;
  std::string Message;
};

// An entry a site to keep held back, and that site (as typed).
struct TKeptEntry {
  TCacheEntry Entry;
  std::string Site;
};

// The entries one sweep of a selection chose, in walk order, without those
// a site to keep held back (in KeptEntries, counted in Kept).
struct TSelectedCategory {
  TCategory Category = TCategory::Cache;
  std::string Pattern;
  std::vector<TCacheEntry> Entries;
  std::vector<TKeptEntry> KeptEntries;
  TKeptTotals Kept;
};

// What a selection chose: one part per sweep, in the clean's order. When a
// malformed mask stopped it, Fault says where: the part of that sweep holds
// no entries and the sweeps after it are absent.
struct TSelection {
  std::vector<TSelectedCategory> Sweeps;
  std::optional<TMaskFault> Fault;
  // The content entries of other schemes than http that the cache's first
  // walk passed by (see SelectEntries); none when the cache was not swept.
  std::optional<TSchemeTotals> OtherSchemes;

  // The first part of `category`; null when it was not swept.
  const TSelectedCategory *Of(TCategory category) const;
  // The entries of every part.
  uint64_t EntryCount() const;
  // What the sites to keep held back in the parts of `category`.
  TKeptTotals KeptOf(TCategory category) const;
};

class TIENorvane {
public:
  // The cleaner works through `platform`, which must outlive it. A new
  // cleaner holds false, 0 and empty masks until LoadSettings runs.
  explicit TIENorvane(IPlatform &platform);

  // The settings, in the order in which they are read and saved.
  bool DeleteCache = false;
  TSweepType DeleteCacheType = TSweepType::All;
  std::string CacheMask;
  bool DeleteCookies = false;
  TSweepType DeleteCookiesType = TSweepType::All;
  std::string CookiesMask;
  bool DeleteHistory = false;
  TSweepType DeleteHistoryType = TSweepType::All;
  std::string HistoryMask;
  // Two additions, stored only once used, so that a section without them
  // reads, cleans and saves as before they existed:
  // the sites whose entries no clean deletes, as typed ("a.com;b.org"; see
  // TKeepSites), and
  std::string KeepSites;
  // whether the cache category also sweeps the content's secure half.
  bool DeleteCacheHttps = false;
  static constexpr const char *DeleteCacheHttpsKey = "DeleteCacheHttps";

  // The category table, in the order cache, cookies, history.
  static const std::array<TCategoryFields, 3> &Categories();
  static const TCategoryFields &FieldsOf(TCategory category);

  bool Enabled(TCategory category) const { return this->*FieldsOf(category).Flag; }
  TSweepType TypeOf(TCategory category) const { return this->*FieldsOf(category).Type; }
  const std::string &MaskOf(TCategory category) const { return this->*FieldsOf(category).Mask; }

  // Reads the settings from `section` of `iniFile`; a missing file,
  // section, key or unparsable number yields that setting's default. Never
  // creates or changes the file.
  void LoadSettings(const std::string &iniFile, const std::string &section);

  // Writes the nine settings to `section` of `iniFile`, then each addition
  // that is set or already stands there. Raises EIniFileException at the
  // first write the platform refuses; keys written before it stay written.
  void SaveSettings(const std::string &iniFile, const std::string &section);

  // The patterns a clean sweeps `category` with, in its order: none when it
  // is off or its type sweeps nothing; for the cache, the http half and,
  // when DeleteCacheHttps is set, the https half.
  std::vector<std::string> SweepPatternsOf(TCategory category) const;
  // The sweeps of a clean, in its order: one per pattern of each category
  // that is on (only `only`, when given).
  std::vector<TSweep> Sweeps(std::optional<TCategory> only = std::nullopt) const;
  // The sites to keep. Raises EKeepSitesException, naming the first
  // malformed item, when the stored list is malformed.
  TKeepSites SitesToKeep() const { return TKeepSites::Parse(KeepSites); }
  // Every pattern of a sweep with the user's mask (ByMask) that the matcher
  // refuses, in the clean's order, one per category (the cache's https
  // half repeats its http half's mask). Looks at no cache entry.
  std::vector<TMaskFault> MalformedMasks() const;

  // A clean in three steps, each usable alone. Select: the entries the
  // sweeps select (SelectEntries), copied, for every category or only
  // `only`, less those a site to keep holds back; deletes nothing. A
  // malformed mask met by an entry ends it with Fault set. Raises
  // EKeepSitesException, before any walk, for a malformed keep list.
  TSelection Select(std::optional<TCategory> only = std::nullopt);
  // Delete what was selected: each entry of `selection` by the view its
  // walk delivered, in order (TEntryDeleter); `observer`, when set, hears of
  // every delete. The totals count what the selection's sites to keep held
  // back (Kept) and hold no history store answer.
  TCleanTotals DeleteSelected(const TSelection &selection, const TSweepObserver &observer = {});
  // Empty the history store, which a clean does whenever history is on, as
  // far as the user selected: with history by mask (ByMask) the store forgets
  // only the URLs of the visits this clean deleted (`deleted`, what
  // DeleteSelected or the clean's walk counted), and nothing else; otherwise
  // it is emptied whole, or, with sites to keep, each of its URLs that no
  // site keeps is deleted. A store the platform cannot list is left alone
  // then (see IHistoryStore). Its answer; none when history is off. Raises
  // the store's failures, and EKeepSitesException for a malformed keep list.
  std::optional<THistoryAnswer> EmptyHistoryStore(const TCleanTotals &deleted = {});
  // Whether a clean empties the history store: whenever history is on.
  bool EmptiesHistoryStore() const { return DeleteHistory; }

  // The clean, as every front end runs it: Select, DeleteSelected, then
  // EmptyHistoryStore with what was deleted. Raises EKeepSitesException for
  // a malformed keep list before it deletes anything; EMaskException for a
  // malformed mask met by an entry, once what the sweeps before it selected
  // is deleted (the history store is then left alone); and the history
  // store's failures. Entries deleted before a failure stay deleted.
  TCleanTotals Clean(const TSweepObserver &observer = {});

  // Puts the settings into the form's controls; the form fills its preview
  // lists itself, as its sections select. The sites to keep and each section
  // are set as events of the form, so a failure in one is reported by the
  // form and the others are still set.
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
  static TCleanTotals TotalsOf(const TEntryDeleter &deleter);

  IPlatform &System;
};

// The one-line summary of the switched-on categories with their masks, e.g.
// "http://*.*, Cookie:*.*, Visited:*.*" ("http://*.*, https://*.*, ..." when
// the cache's secure half is swept too); empty when all are off.
std::string SummaryText(const TIENorvane &cleaner);
