#include "Select.h"

#include <algorithm>
#include <utility>

#include "AsciiText.h"
#include "CacheListing.h"

std::vector<std::string> SweepPatternsOf(const CleanerSettings &settings, TCategory category) {
  std::vector<std::string> patterns;
  if (!settings.Enabled(category)) return patterns;
  for (std::string_view prefix : settings.PrefixesOf(category))
    if (auto pattern = SweepPattern(prefix, settings.TypeOf(category), settings.MaskOf(category)))
      patterns.push_back(std::move(*pattern));
  return patterns;
}

std::vector<TSweep> SweepsOf(const CleanerSettings &settings, std::optional<TCategory> only) {
  std::vector<TSweep> sweeps;
  for (TCategory category : kAllCategories)
    if (!only || *only == category)
      for (std::string &pattern : SweepPatternsOf(settings, category))
        sweeps.push_back({category, std::move(pattern)});
  return sweeps;
}

void SelectEach(const std::vector<TSweep> &sweeps, const TCategorySnapshots &entries,
                const TLeadByteSet &leadBytes, const TKeepSites &keep,
                const TChosenVisitor &visit) {
  for (const TSweep &sweep : sweeps) {
    const std::shared_ptr<const TCacheSnapshot> &read =
        entries[static_cast<size_t>(sweep.Category)];
    if (!read) continue;
    TEntrySelector selector(sweep.Pattern, leadBytes);
    read->Select(selector, [&](const TCacheEntryView &entry) {
      visit(sweep, entry, keep.Empty() ? nullptr : keep.KeptBy(entry.Url));
    });
  }
}

TCategorySnapshots ReadForSweeps(IUrlCache &cache, const std::vector<TSweep> &sweeps) {
  std::vector<TCategory> categories;
  for (const TSweep &sweep : sweeps)
    if (std::find(categories.begin(), categories.end(), sweep.Category) == categories.end())
      categories.push_back(sweep.Category);
  TCategorySnapshots read;
  ReadCategories(cache, categories, [&read](TCategory category, TCacheSnapshot entries) {
    read[static_cast<size_t>(category)] =
        std::make_shared<const TCacheSnapshot>(std::move(entries));
  });
  return read;
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

namespace {

// Builds a selection part by part as sweeps choose entries, in any order of
// the sweeps.
class TSelectionBuilder {
public:
  explicit TSelectionBuilder(const std::vector<TSweep> &sweeps) : Sweeps(sweeps) {
    for (const TSweep &sweep : sweeps)
      Built.Sweeps.push_back({sweep.Category, sweep.Pattern, {}, {}, {}});
  }

  void Add(size_t sweep, const TCacheEntryView &entry, const std::string *keptBy) {
    TSelectedCategory &part = Built.Sweeps[sweep];
    if (keptBy) {
      part.Kept.Add(*keptBy, entry.Size);
      part.KeptEntries.push_back({TCacheEntry::Of(entry), *keptBy});
    } else {
      part.Entries.push_back(TCacheEntry::Of(entry));
    }
  }
  // Ends the selection at `sweep`, whose mask `failure` names: the sweeps
  // after it are dropped.
  void Fault(size_t sweep, const EMaskException &failure) {
    Built.Sweeps.resize(sweep + 1);
    Built.Fault =
        TMaskFault{Sweeps[sweep].Category, failure.Mask, failure.Position, failure.Message()};
  }
  // Counts the content entries of other schemes from now on.
  void CountOtherSchemes() { Built.OtherSchemes.emplace(); }
  // Counts the content entry `entry` among the other schemes when it is one.
  void CountOtherScheme(const TCacheEntryView &entry) {
    TSchemeTotals &others = *Built.OtherSchemes;
    if (ContainerOfUrl(entry.Url) != TCategory::Cache ||
        BeginsWithAsciiNoCase(entry.Url, CategoryPrefix(TCategory::Cache)))
      return;
    ++others.Count;
    others.Bytes += entry.Size;
  }
  // Whether the other schemes are counted: when the first sweep is the cache's.
  bool CountsOtherSchemes() const {
    return !Sweeps.empty() && Sweeps.front().Category == TCategory::Cache;
  }
  TSelection Take() && { return std::move(Built); }

private:
  const std::vector<TSweep> &Sweeps;
  TSelection Built;
};

// The index of the first sweep from `first` on whose pattern the matcher
// refuses; the last sweep when there is none.
size_t LastOfGroup(const std::vector<TSweep> &sweeps, size_t first, const TLeadByteSet &leadBytes) {
  for (size_t i = first; i + 1 < sweeps.size(); ++i)
    try {
      const TMask compiled(sweeps[i].Pattern, leadBytes);
    } catch (const EMaskException &) {
      return i;
    }
  return sweeps.size() - 1;
}

} // namespace

TSelection SelectFrom(const std::vector<TSweep> &sweeps, const TCategorySnapshots &entries,
                      const TLeadByteSet &leadBytes, const TKeepSites &keep) {
  TSelectionBuilder built(sweeps);
  size_t current = 0; // the sweep under way
  try {
    SelectEach(sweeps, entries, leadBytes, keep,
               [&](const TSweep &sweep, const TCacheEntryView &entry, const std::string *keptBy) {
                 current = static_cast<size_t>(&sweep - sweeps.data());
                 built.Add(current, entry, keptBy);
               });
  } catch (const EMaskException &failure) {
    // The sweep that failed: the first one of the pattern from the one under
    // way on; the sweeps after it did not run.
    while (current < sweeps.size() && sweeps[current].Pattern != failure.Mask)
      ++current;
    if (current == sweeps.size()) throw;
    built.Fault(current, failure);
  }
  const auto &content = entries[static_cast<size_t>(TCategory::Cache)];
  if (content && built.CountsOtherSchemes()) {
    built.CountOtherSchemes();
    content->Each(TCategory::Cache,
                  [&built](const TCacheEntryView &entry) { built.CountOtherScheme(entry); });
  }
  return std::move(built).Take();
}

TSelection SelectListed(const std::vector<TSweep> &sweeps, IUrlCache &cache,
                        const TLeadByteSet &leadBytes, const TKeepSites &keep,
                        const TListedChoice &chosen) {
  TSelectionBuilder built(sweeps);
  for (size_t first = 0; first < sweeps.size();) {
    // One walk for the sweeps up to the next malformed pattern: the walk
    // meets the sweeps' entries in its own order, and the sweeps after a
    // malformed one must not run before its entries are known to be none.
    const size_t last = LastOfGroup(sweeps, first, leadBytes);
    std::vector<TEntrySelector> selectors;
    selectors.reserve(last + 1 - first);
    std::vector<TCategory> categories;
    for (size_t i = first; i <= last; ++i) {
      selectors.emplace_back(sweeps[i].Pattern, leadBytes);
      categories.push_back(sweeps[i].Category);
    }
    const bool countOthers = first == 0 && built.CountsOtherSchemes();
    if (countOthers) built.CountOtherSchemes();
    std::optional<size_t> faulted;
    WalkCategories(cache, categories, [&](TCategory category, const TCacheEntryView &entry) {
      if (countOthers && category == TCategory::Cache) built.CountOtherScheme(entry);
      for (size_t i = first; i <= last && i != faulted; ++i) {
        if (sweeps[i].Category != category) continue;
        try {
          if (!selectors[i - first].Selects(entry.Url)) continue;
        } catch (const EMaskException &failure) {
          built.Fault(i, failure);
          faulted = i;
          break;
        }
        const std::string *keptBy = keep.Empty() ? nullptr : keep.KeptBy(entry.Url);
        built.Add(i, entry, keptBy);
        if (!keptBy) chosen(sweeps[i], entry);
      }
    });
    if (faulted) break;
    first = last + 1;
  }
  return std::move(built).Take();
}
