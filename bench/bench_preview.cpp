// One refill of a preview list against a bare walk of the same cache: the
// in-memory cache with 1,000,000 http entries, each matched by "http://*.*".
// Target: the refill within 2x the bare walk. And what one keystroke in the
// dialog costs now: a refill matched in memory from a snapshot of the cache,
// against the same refill by a walk over the stand-in (the dialog walked the
// platform's cache on every keystroke before).
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

void BM_PreviewRefill(benchmark::State &state) {
  TStandInPlatform &cache = Platform();
  TListView list("lvCache", nullptr, {8, 56, 525, 89}, 4, {});
  for (auto _ : state) {
    TIENorvane::FillPreviewList(cache, list, kPattern);
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
  TIENorvane::FillPreviewList(cache, list, kPattern); // the pool has grown once
  TClock::duration walk{}, refill{};
  for (auto _ : state) {
    const auto start = TClock::now();
    size_t visited = 0;
    Walk(cache, kPattern, [&](const TCacheEntryView &entry) {
      benchmark::DoNotOptimize(entry.Url);
      ++visited;
    });
    const auto middle = TClock::now();
    TIENorvane::FillPreviewList(cache, list, kPattern);
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

// The snapshot of the cache, read once as the dialog's reader does.
const TCacheSnapshot &Snapshot() {
  static const TCacheSnapshot *snapshot = [] {
    auto *s = new TCacheSnapshot;
    s->Read(Platform().Cache, TCategory::Cache);
    return s;
  }();
  return *snapshot;
}

// A keystroke's refill, matched in memory (state.range(0) = 1) or walked over
// the stand-in (0), for a mask that searches and one that lists everything.
void BM_KeystrokeRefill(benchmark::State &state) {
  const bool fromSnapshot = state.range(0) == 1;
  const std::string pattern = state.range(1) == 0 ? "http://*page9*" : kPattern;
  TStandInPlatform &cache = Platform();
  const TCacheSnapshot &snapshot = Snapshot();
  TListView list("lvCache", nullptr, {8, 56, 525, 89}, 4, {});
  for (auto _ : state) {
    if (fromSnapshot)
      TIENorvane::FillPreviewList(snapshot, cache.LeadBytes(), list, pattern);
    else
      TIENorvane::FillPreviewList(cache, list, pattern);
    benchmark::DoNotOptimize(list.RowCount());
  }
  state.SetLabel(std::string(fromSnapshot ? "snapshot " : "walk ") + pattern);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kEntries));
}

// Both in turn under the same load: the ratio of the walk to the match.
void BM_WalkOverSnapshot(benchmark::State &state) {
  using TClock = std::chrono::steady_clock;
  const std::string pattern = "http://*page9*";
  TStandInPlatform &cache = Platform();
  const TCacheSnapshot &snapshot = Snapshot();
  TListView list("lvCache", nullptr, {8, 56, 525, 89}, 4, {});
  TClock::duration walk{}, match{};
  for (auto _ : state) {
    const auto start = TClock::now();
    TIENorvane::FillPreviewList(cache, list, pattern);
    const auto middle = TClock::now();
    TIENorvane::FillPreviewList(snapshot, cache.LeadBytes(), list, pattern);
    match += TClock::now() - middle;
    walk += middle - start;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["walk_ms"] = std::chrono::duration<double, std::milli>(walk).count() / n;
  state.counters["match_ms"] = std::chrono::duration<double, std::milli>(match).count() / n;
  state.counters["walk_over_match"] =
      std::chrono::duration<double>(walk) / std::chrono::duration<double>(match);
}

BENCHMARK(BM_BareWalk)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PreviewRefill)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RefillOverWalk)->Unit(benchmark::kMillisecond)->MinTime(4.0);
BENCHMARK(BM_KeystrokeRefill)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK(BM_WalkOverSnapshot)->Unit(benchmark::kMillisecond)->MinTime(4.0);

} // namespace

BENCHMARK_MAIN();
