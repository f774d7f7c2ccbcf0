#include "IENorvaneU.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>
#include <unordered_set>

#include "AsciiText.h"
#include "IniFiles.h"

TCategoryTotals &TCleanTotals::Of(TCategory category) {
  TCategoryTotals *const parts[] = {&Cache, &Cookies, &History};
  return *parts[static_cast<size_t>(category)];
}

const TCategoryTotals &TCleanTotals::Of(TCategory category) const {
  return const_cast<TCleanTotals *>(this)->Of(category);
}

const TSelectedCategory *TSelection::Of(TCategory category) const {
  for (const TSelectedCategory &sweep : Sweeps)
    if (sweep.Category == category) return &sweep;
  return nullptr;
}

TKeptTotals TSelection::KeptOf(TCategory category) const {
  TKeptTotals kept;
  for (const TSelectedCategory &sweep : Sweeps)
    if (sweep.Category == category) kept.Add(sweep.Kept);
  return kept;
}

uint64_t TSelection::EntryCount() const {
  uint64_t count = 0;
  for (const TSelectedCategory &sweep : Sweeps)
    count += sweep.Entries.size();
  return count;
}

TIENorvane::TIENorvane(IPlatform &platform) : System(platform) {}

void TIENorvane::LoadSettings(const std::string &iniFile, const std::string &section) {
  TIniFile ini(System.Profiles(), iniFile);
  Settings.Load(ini, section);
}

void TIENorvane::SaveSettings(const std::string &iniFile, const std::string &section) {
  TIniFile ini(System.Profiles(), iniFile);
  Settings.Save(ini, section);
}

// ---- The clean and its steps ----

std::vector<std::string> TIENorvane::SweepPatternsOf(TCategory category) const {
  std::vector<std::string> patterns;
  if (!Settings.Enabled(category)) return patterns;
  for (std::string_view prefix : Settings.PrefixesOf(category))
    if (auto pattern = SweepPattern(prefix, Settings.TypeOf(category), Settings.MaskOf(category)))
      patterns.push_back(std::move(*pattern));
  return patterns;
}

std::vector<TSweep> TIENorvane::Sweeps(std::optional<TCategory> only) const {
  std::vector<TSweep> sweeps;
  for (TCategory category : kAllCategories)
    if (!only || *only == category)
      for (std::string &pattern : SweepPatternsOf(category))
        sweeps.push_back({category, std::move(pattern)});
  return sweeps;
}

namespace {

TMaskFault FaultOf(TCategory category, const EMaskException &failure) {
  return TMaskFault{category, failure.Mask, failure.Position, failure.Message()};
}

} // namespace

std::vector<TMaskFault> TIENorvane::MalformedMasks() const {
  std::vector<TMaskFault> faults;
  const auto named = [&faults](TCategory category) {
    return std::any_of(faults.begin(), faults.end(),
                       [category](const TMaskFault &fault) { return fault.Category == category; });
  };
  for (const TSweep &sweep : Sweeps()) {
    // All uses the fixed mask "*.*". The https half uses the cache's mask
    // again: its fault is the http half's, named once.
    if (Settings.TypeOf(sweep.Category) != TSweepType::ByMask || named(sweep.Category)) continue;
    try {
      const TMask compiled(sweep.Pattern, System.LeadBytes());
    } catch (const EMaskException &failure) {
      faults.push_back(FaultOf(sweep.Category, failure));
    }
  }
  return faults;
}

TSelection TIENorvane::Select(std::optional<TCategory> only) {
  const TKeepSites keep = SitesToKeep();
  TSelection selection;
  const std::vector<TSweep> sweeps = Sweeps(only);
  for (const TSweep &sweep : sweeps)
    selection.Sweeps.push_back({sweep.Category, sweep.Pattern, {}, {}, {}});
  size_t current = 0; // the part of the sweep under way
  TSchemeTotals otherSchemes;
  try {
    SelectEntries(
        System, sweeps,
        [&](const TSweep &sweep, const TCacheEntryView &entry) {
          current = static_cast<size_t>(&sweep - sweeps.data());
          TSelectedCategory &part = selection.Sweeps[current];
          if (const std::string *site = keep.Empty() ? nullptr : keep.KeptBy(entry.Url)) {
            part.Kept.Add(*site, entry.Size);
            part.KeptEntries.push_back({TCacheEntry::Of(entry), *site});
          } else {
            part.Entries.push_back(TCacheEntry::Of(entry));
          }
        },
        &otherSchemes);
  } catch (const EMaskException &failure) {
    // The sweep that failed: the first one of the pattern from the one under
    // way on; the sweeps after it did not run.
    while (current < selection.Sweeps.size() && selection.Sweeps[current].Pattern != failure.Mask)
      ++current;
    if (current == selection.Sweeps.size()) throw;
    selection.Sweeps.resize(current + 1);
    selection.Fault = FaultOf(selection.Sweeps[current].Category, failure);
  }
  if (!selection.Sweeps.empty() && selection.Sweeps.front().Category == TCategory::Cache)
    selection.OtherSchemes = otherSchemes;
  return selection;
}

TCleanTotals TIENorvane::TotalsOf(const TEntryDeleter &deleter) {
  TCleanTotals totals;
  for (TCategory category : kAllCategories)
    totals.Of(category) = deleter.Totals(category);
  return totals;
}

TCleanTotals TIENorvane::DeleteSelected(const TSelection &selection,
                                        const TSweepObserver &observer) {
  TTraceWipeRun wipe(System, Settings.WipeTraces);
  TEntryDeleter deleter(wipe.Cache(), observer);
  for (const TSelectedCategory &sweep : selection.Sweeps)
    for (const TCacheEntry &entry : sweep.Entries)
      deleter(sweep.Category, entry.View());
  // The totals also say what the sites to keep held back.
  TCleanTotals totals = TotalsOf(deleter);
  totals.Wipe = wipe.Finish();
  for (TCategory category : kAllCategories)
    totals.Of(category).Kept = selection.KeptOf(category);
  return totals;
}

std::optional<THistoryAnswer> TIENorvane::EmptyHistoryStore(const TCleanTotals &deleted) {
  if (!EmptiesHistoryStore()) return std::nullopt;
  const TKeepSites keep = SitesToKeep(); // a malformed list stops every way alike
  if (Settings.DeleteHistoryType == TSweepType::ByMask) {
    const std::vector<std::string> &visited = deleted.History.VisitedUrls;
    const std::unordered_set<std::string_view> forget(visited.begin(), visited.end());
    THistoryAnswer answer = System.History().DeleteUrlsExcept(
        [&forget](const std::string &url) { return !forget.contains(url); });
    answer.OnlyDeletedVisits = true;
    return answer;
  }
  if (keep.Empty()) return System.History().Clear();
  return System.History().DeleteUrlsExcept(
      [&keep](const std::string &url) { return keep.Keeps(url); });
}

TCleanTotals TIENorvane::Clean(const TSweepObserver &observer) {
  const TSelection selection = Select();
  // A malformed mask ended the selection at its sweep: what the sweeps
  // before it chose goes, and the clean ends there, as it would have had it
  // deleted while it walked.
  TCleanTotals totals = DeleteSelected(selection, observer);
  if (selection.Fault) throw EMaskException(selection.Fault->Pattern, selection.Fault->Position);
  totals.HistoryStore = EmptyHistoryStore(totals);
  return totals;
}

// ---- The options dialog's side: the form and its preview lists ----

namespace {

void PutIntoForm(ISettingsForm &form, const TSetting &setting, const CleanerSettings &settings) {
  switch (setting.Kind) {
  case TSettingKind::Flag: form.SetFlag(setting, settings.*setting.Flag); return;
  case TSettingKind::SweepType: form.SetType(setting, settings.*setting.Type); return;
  case TSettingKind::Text: form.SetText(setting, settings.*setting.Text); return;
  }
}

// Takes what the form shows for `setting`, when it shows a value.
template <typename TValue>
void Take(std::optional<TValue> shown, TValue CleanerSettings::*field, CleanerSettings &settings) {
  if (shown) settings.*field = std::move(*shown);
}

void TakeFromForm(const ISettingsForm &form, const TSetting &setting, CleanerSettings &settings) {
  switch (setting.Kind) {
  case TSettingKind::Flag: Take(form.Flag(setting), setting.Flag, settings); return;
  case TSettingKind::SweepType: Take(form.Type(setting), setting.Type, settings); return;
  case TSettingKind::Text: Take(form.Text(setting), setting.Text, settings); return;
  }
}

} // namespace

void TIENorvane::WriteToForm(ISettingsForm &form) {
  for (const TSetting &setting : kSettings)
    form.HandleEvent([&] { PutIntoForm(form, setting, Settings); });
}

void TIENorvane::ReadFromForm(const ISettingsForm &form) {
  for (const TSetting &setting : kSettings)
    TakeFromForm(form, setting, Settings);
}

namespace {

// Empties `list` and lets `select` add its rows, repainting once. The bracket
// closes on every path, also when the matcher raises: the list then repaints
// once, empty.
template <typename TSelect> void FillRows(IPreviewList &list, const TSelect &select) {
  TPreviewUpdateBracket bracket(list);
  list.Clear();
  select([&list](const TCacheEntryView &entry) {
    const std::string_view fileName =
        entry.LocalFileName ? FileNameOf(entry.LocalFileName) : std::string_view();
    list.AddRow(entry.Url, fileName, entry.Size);
  });
}

} // namespace

void TIENorvane::FillPreviewList(IPlatform &platform, IPreviewList &list,
                                 const std::string &pattern) {
  FillRows(list, [&](const auto &addRow) { Walk(platform, pattern, addRow); });
}

void TIENorvane::FillPreviewList(const TCacheSnapshot &snapshot, const TLeadByteSet &leadBytes,
                                 IPreviewList &list, const std::string &pattern) {
  FillRows(list, [&](const auto &addRow) { snapshot.Select(pattern, leadBytes, addRow); });
}

std::string TIENorvane::FileNameOfPath(const std::string &path) {
  return std::string(FileNameOf(path.c_str()));
}
