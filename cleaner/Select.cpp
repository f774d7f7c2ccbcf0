#include "Select.h"

#include <algorithm>
#include <utility>

#include "AsciiText.h"

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

// The content entries of other schemes than http among `entries`.
TSchemeTotals OtherSchemesOf(const TCacheSnapshot &entries) {
  TSchemeTotals others;
  entries.Each(TCategory::Cache, [&others](const TCacheEntryView &entry) {
    if (ContainerOfUrl(entry.Url) != TCategory::Cache ||
        BeginsWithAsciiNoCase(entry.Url, CategoryPrefix(TCategory::Cache)))
      return;
    ++others.Count;
    others.Bytes += entry.Size;
  });
  return others;
}

} // namespace

TSelection SelectFrom(const std::vector<TSweep> &sweeps, const TCategorySnapshots &entries,
                      const TLeadByteSet &leadBytes, const TKeepSites &keep) {
  TSelection selection;
  for (const TSweep &sweep : sweeps)
    selection.Sweeps.push_back({sweep.Category, sweep.Pattern, {}, {}, {}});
  size_t current = 0; // the part of the sweep under way
  try {
    SelectEach(sweeps, entries, leadBytes, keep,
               [&](const TSweep &sweep, const TCacheEntryView &entry, const std::string *keptBy) {
                 current = static_cast<size_t>(&sweep - sweeps.data());
                 TSelectedCategory &part = selection.Sweeps[current];
                 if (keptBy) {
                   part.Kept.Add(*keptBy, entry.Size);
                   part.KeptEntries.push_back({TCacheEntry::Of(entry), *keptBy});
                 } else {
                   part.Entries.push_back(TCacheEntry::Of(entry));
                 }
               });
  } catch (const EMaskException &failure) {
    // The sweep that failed: the first one of the pattern from the one under
    // way on; the sweeps after it did not run.
    while (current < selection.Sweeps.size() && selection.Sweeps[current].Pattern != failure.Mask)
      ++current;
    if (current == selection.Sweeps.size()) throw;
    selection.Sweeps.resize(current + 1);
    selection.Fault = TMaskFault{selection.Sweeps[current].Category, failure.Mask, failure.Position,
                                 failure.Message()};
  }
  const auto &content = entries[static_cast<size_t>(TCategory::Cache)];
  if (content && !sweeps.empty() && sweeps.front().Category == TCategory::Cache)
    selection.OtherSchemes = OtherSchemesOf(*content);
  return selection;
}
