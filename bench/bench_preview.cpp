// The dialog's refill of a preview list (TIENorvane::FillPreviewList over
// the snapshot its reader keeps) against a bare walk of the same cache: the
// in-memory cache with 1,000,000 http entries, each matched by "http://*.*".
// Target: the refill within 2x the bare walk. And what one keystroke costs:
// the refill for a mask that searches and for one that lists everything.
//
//   cmake --preset bench -B build/dialog-bench
//   cmake --build build/dialog-bench -j2 --target bench_preview
//   build/dialog-bench/bin/bench_preview
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "CacheSnapshot.h"
#include "CacheWalk.h"
#include "Controls.h"
#include "IENorvaneU.h"
#include "StandInPlatform.h"
#include "WalkSweep.h"

namespace {

constexpr int64_t kEntries = 1000000;
const std::string kPattern = "http://*.*";

// The cache, built once: URLs of usual length, most with a local file.
TStandInPlatform &Platform() {
  static TStandInPlatform *platform = [] {
    auto *c = new TStandInPlatform;
    for (int64_t i = 0; i < kEntries; ++i) {
      const std::string n = std::to_string(i);
      std::optional<std::string> file;
      if (i % 10 != 0) file = "C:\\Cache\\X" + std::to_string(i % 64) + "\\page" + n + "[1].htm";
      c->Cache.Add("http://host" + std::to_string(i % 997) + ".example.com/path/to/page" + n +
                       ".htm",
                   file, static_cast<uint64_t>(i) * 37);
    }
    return c;
  }();
  return *platform;
}

void BM_BareWalk(benchmark::State &state) {
  TStandInPlatform &cache = Platform();
  for (auto _ : state) {
    size_t visited = 0;
    Walk(cache, kPattern, [&](const TCacheEntryView &entry) {
      benchmark::DoNotOptimize(entry.Url);
      ++visited;
    });
    if (visited != static_cast<size_t>(kEntries)) state.SkipWithError("the walk missed entries");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kEntries));
}

// The snapshots of the cache, read once as the dialog's reader does.
const TCategorySnapshots &Snapshots() {
  static const TCategorySnapshots snapshots = [] {
    TCategorySnapshots read;
    ReadCategories(Platform().Cache, {TCategory::Cache}, [&read](TCategory c, TCacheSnapshot e) {
      read[static_cast<size_t>(c)] = std::make_shared<const TCacheSnapshot>(std::move(e));
    });
    return read;
  }();
  return snapshots;
}

// The dialog's refill of the cache list for `pattern`.
void Refill(TListView &list, const std::string &pattern) {
  static const TKeepSites none;
  TIENorvane::FillPreviewList(list, SettingsSweeping(pattern), TCategory::Cache, Snapshots(),
                              Platform().LeadBytes(), &none);
}

void BM_PreviewRefill(benchmark::State &state) {
  TListView list("lvCache", nullptr, {8, 56, 525, 89}, 4, {});
  for (auto _ : state) {
    Refill(list, kPattern);
    if (list.RowCount() != static_cast<size_t>(kEntries))
      state.SkipWithError("the list missed entries");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kEntries));
}

// Both in turn, under the same load: the ratio of a refill to a bare walk,
// the figure the target is about (the machine may be shared).
void BM_RefillOverWalk(benchmark::State &state) {
  using TClock = std::chrono::steady_clock;
  TStandInPlatform &cache = Platform();
  TListView list("lvCache", nullptr, {8, 56, 525, 89}, 4, {});
  Refill(list, kPattern); // the pool has grown once
  TClock::duration walk{}, refill{};
  for (auto _ : state) {
    const auto start = TClock::now();
    size_t visited = 0;
    Walk(cache, kPattern, [&](const TCacheEntryView &entry) {
      benchmark::DoNotOptimize(entry.Url);
      ++visited;
    });
    const auto middle = TClock::now();
    Refill(list, kPattern);
    refill += TClock::now() - middle;
    walk += middle - start;
    benchmark::DoNotOptimize(visited);
  }
  state.counters["walk_ms"] = std::chrono::duration<double, std::milli>(walk).count() /
                              static_cast<double>(state.iterations());
  state.counters["refill_ms"] = std::chrono::duration<double, std::milli>(refill).count() /
                                static_cast<double>(state.iterations());
  state.counters["refill_over_walk"] =
      std::chrono::duration<double>(refill) / std::chrono::duration<double>(walk);
}

// A keystroke's refill, for a mask that searches (state.range(0) = 0) and
// one that lists everything (1).
void BM_KeystrokeRefill(benchmark::State &state) {
  const std::string pattern = state.range(0) == 0 ? "http://*page9*" : kPattern;
  TListView list("lvCache", nullptr, {8, 56, 525, 89}, 4, {});
  for (auto _ : state) {
    Refill(list, pattern);
    benchmark::DoNotOptimize(list.RowCount());
  }
  state.SetLabel(pattern);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kEntries));
}

BENCHMARK(BM_BareWalk)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PreviewRefill)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RefillOverWalk)->Unit(benchmark::kMillisecond)->MinTime(4.0);
BENCHMARK(BM_KeystrokeRefill)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
