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
  const std::vector<TSweep> sweeps = Sweeps(only);
  return SelectFrom(sweeps, ReadForSweeps(System.UrlCache(), sweeps), System.LeadBytes(), keep);
}

TCleanTotals TIENorvane::TotalsOf(const TEntryDeleter &deleter) {
  TCleanTotals totals;
  for (TCategory category : kAllCategories)
    totals.Of(category) = deleter.Totals(category);
  return totals;
}

TCleanRun TIENorvane::SelectAndDelete(const TSweepObserver &observer) {
  const TKeepSites keep = SitesToKeep();
  const std::vector<TSweep> sweeps = Sweeps();
  TTraceWipeRun wipe(System, Settings.WipeTraces);
  TEntryDeleter deleter(wipe.Cache(), observer);
  TCleanRun run;
  run.Selection = SelectListed(sweeps, wipe.Cache(), System.LeadBytes(), keep,
                               [&deleter](const TSweep &sweep, const TCacheEntryView &entry) {
                                 deleter(sweep.Category, entry);
                               });
  // The totals also say what the sites to keep held back.
  run.Totals = TotalsOf(deleter);
  run.Totals.Wipe = wipe.Finish();
  for (TCategory category : kAllCategories)
    run.Totals.Of(category).Kept = run.Selection.KeptOf(category);
  return run;
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
  TCleanRun run = SelectAndDelete(observer);
  // A malformed mask ended the selection at its sweep: what the sweeps
  // before it chose is gone, and the clean ends there.
  if (const std::optional<TMaskFault> &fault = run.Selection.Fault)
    throw EMaskException(fault->Pattern, static_cast<size_t>(fault->Position));
  run.Totals.HistoryStore = EmptyHistoryStore(run.Totals);
  return std::move(run.Totals);
}

// ---- The options dialog's side: the form and its preview lists ----

void TIENorvane::WriteToForm(ISettingsForm &form) {
  for (const TSetting &setting : kSettings)
    form.HandleEvent([&] { PutIntoForm(form, setting, Settings); });
}

void TIENorvane::ReadFromForm(const ISettingsForm &form) { TakeSettingsFrom(form, Settings); }

TKeptTotals TIENorvane::FillPreviewList(IPreviewList &list, const CleanerSettings &settings,
                                        TCategory category, const TCategorySnapshots &entries,
                                        const TLeadByteSet &leadBytes, const TKeepSites *keep) {
  // The bracket closes on every path, also when the matcher raises: the
  // list then repaints once, empty.
  TPreviewUpdateBracket bracket(list);
  list.Clear();
  TKeptTotals kept;
  const auto addRow = [&](const TSweep &sweep, const TCacheEntryView &entry,
                          const std::string *keptBy) {
    if (keptBy)
      kept.Add(*keptBy, entry.Size);
    else if (keep)
      list.AddRow(entry, entries[static_cast<size_t>(sweep.Category)]);
  };
  try {
    SelectEach(SweepsOf(settings, category), entries, leadBytes, keep ? *keep : TKeepSites(),
               addRow);
  } catch (const EMaskException &) {
    list.Clear();
    throw;
  }
  return kept;
}
