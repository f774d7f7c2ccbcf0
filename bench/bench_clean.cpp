// Benchmarks of the clean over the in-memory URL cache holding 1,000,000
// generated entries: 80% http (with file names), 15% cookies, 5% visited. The
// clean sweeps the http category with type 1 and one of three masks, each
// selecting about a tenth of the entries; the http enumeration hands over
// every entry and the category filter drops the rest.
//
//   cmake --preset bench && cmake --build build/bench --target bench_clean
//   build/bench/bin/bench_clean --benchmark_enable_random_interleaving=true
//     --benchmark_repetitions=8 --benchmark_min_time=0.3
//     --benchmark_report_aggregates_only=true   (one command line)
//
// Three loops over the same cache. One iteration walks 1,000,000 entries, so
// the Time and CPU columns in milliseconds read as nanoseconds per entry:
//   BM_Clean           TIENorvane::Clean(): the mask compiled once per walk
//   BM_CompilePerEntry the same walk and deletes, with a fresh
//                      compile-match-destroy of a TMask for every entry
//   BM_BareEnumeration a loop that only enumerates and reads each URL's
//                      first byte, through the same interface
//   BM_Selection100k   TIENorvane::Select() of every entry of a cache of
//                      100,000 (every category, type 0), with the heap
//                      the selection holds (counter selection_MiB, glibc's
//                      count of allocated bytes while it is alive)
//   BM_IndexKey        the same loop computing each URL's index key, as the
//                      Wine build does before each delete; less
//                      BM_BareEnumeration, the key's cost per entry
// Each clean deletes the same entries; the cache is restored untimed between
// iterations. Interleaved repetitions and their fastest ("_min") keep other
// programs' time on a shared machine out of the comparison.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "IENorvaneU.h"
#include "Masks.h"
#include "SeededRandom.h"
#include "StandInPlatform.h"
#include "UrlCorpus.h"
#include "UrlIndexKey.h"

namespace {

constexpr size_t kEntries = 1000000;
// Cache masks of a type-1 clean, each selecting about a tenth of the entries:
// one site's prefix, and searches anywhere in the URL.
const char *const kCacheMasks[] = {"www.*", "*.gif*", "*news*"};

// A platform of `entries` entries drawn as the big cache's are.
std::unique_ptr<TStandInPlatform> PlatformOf(size_t entries) {
  auto built = std::make_unique<TStandInPlatform>();
  TSeededRandom random(2024);
  for (size_t i = 0; i < entries; ++i) {
    const TCacheUrlKind kind = DrawCleanMixKind(random);
    const std::string url = GenerateCacheUrl(kind, random);
    if (kind == TCacheUrlKind::Http)
      built->Cache.Add(url, "C:\\Cache\\" + std::to_string(random.Below(100000)) + "\\file[1]",
                       200 + random.Below(100000));
    else
      built->Cache.Add(url, std::nullopt, 0);
  }
  return built;
}

// The platform with the generated cache; built once, on first use.
TStandInPlatform &Platform() {
  static const std::unique_ptr<TStandInPlatform> platform = PlatformOf(kEntries);
  return *platform;
}

void SetDeleted(benchmark::State &state, uint64_t deleted) {
  state.counters["deleted"] = static_cast<double>(deleted);
}

void BM_Clean(benchmark::State &state) {
  TStandInPlatform &platform = Platform();
  TIENorvane cleaner(platform);
  cleaner.Settings.DeleteCache = true;
  cleaner.Settings.DeleteCacheType = TSweepType::ByMask;
  cleaner.Settings.CacheMask = kCacheMasks[state.range(0)];
  state.SetLabel(cleaner.Settings.CacheMask);
  uint64_t deleted = 0;
  for (auto _ : state) {
    deleted = cleaner.Clean().Cache.Count;
    state.PauseTiming();
    platform.Cache.RestoreDeleted();
    state.ResumeTiming();
  }
  SetDeleted(state, deleted);
}

// The same sweep with the mask compiled anew, into an allocated element
// array, for every entry that reaches the match.
uint64_t SweepCompilingPerEntry(IPlatform &platform, const std::string &pattern) {
  uint64_t deleted = 0;
  const TEntrySelector filter(pattern, platform.LeadBytes());
  const auto enumeration = platform.UrlCache().Enumerate(filter.Category());
  while (const TCacheEntryView *entry = enumeration->Next()) {
    if (filter.PassesOver(entry->Url)) continue;
    if (!TMask(pattern).Matches(entry->Url)) continue;
    if (platform.UrlCache().Delete(*entry) == TDeleteResult::Deleted) ++deleted;
  }
  return deleted;
}

void BM_CompilePerEntry(benchmark::State &state) {
  TStandInPlatform &platform = Platform();
  state.SetLabel(kCacheMasks[state.range(0)]);
  const std::string pattern = std::string("http://") + kCacheMasks[state.range(0)];
  uint64_t deleted = 0;
  for (auto _ : state) {
    deleted = SweepCompilingPerEntry(platform, pattern);
    state.PauseTiming();
    platform.Cache.RestoreDeleted();
    state.ResumeTiming();
  }
  SetDeleted(state, deleted);
}

void BM_BareEnumeration(benchmark::State &state) {
  IUrlCache &cache = Platform().Cache;
  for (auto _ : state) {
    unsigned firstBytes = 0;
    const auto enumeration = cache.Enumerate(TCategory::Cache);
    while (const TCacheEntryView *entry = enumeration->Next())
      firstBytes += static_cast<unsigned char>(entry->Url[0]);
    benchmark::DoNotOptimize(firstBytes);
  }
  SetDeleted(state, 0);
}

void BM_Selection100k(benchmark::State &state) {
  static const std::unique_ptr<TStandInPlatform> platform = PlatformOf(100000);
  TIENorvane cleaner(*platform);
  cleaner.Settings.DeleteCache = cleaner.Settings.DeleteCookies = cleaner.Settings.DeleteHistory =
      true;
  double held = 0;
  uint64_t selected = 0;
  for (auto _ : state) {
    const size_t before = mallinfo2().uordblks;
    const TSelection selection = cleaner.Select();
    held = static_cast<double>(mallinfo2().uordblks - before);
    selected = selection.EntryCount();
    benchmark::DoNotOptimize(selection.Sweeps.data());
  }
  state.counters["selected"] = static_cast<double>(selected);
  state.counters["selection_MiB"] = held / (1024.0 * 1024.0);
}

// A key table as wininet.dll holds one: 256 bytes before it, then a
// permutation of the byte values that begins as every build's does.
TUrlIndexKeys KeyTable() {
  std::vector<uint8_t> image(256);
  for (size_t i = 0; i < image.size(); ++i)
    image[i] = static_cast<uint8_t>(i * 7 + 3);
  image.insert(image.end(), TUrlIndexKeys::kTableStart.begin(), TUrlIndexKeys::kTableStart.end());
  for (unsigned value = 0; value < 256; ++value)
    if (std::find(image.begin() + 256, image.end(), value) == image.end())
      image.push_back(static_cast<uint8_t>(value));
  return *TUrlIndexKeys::FindIn(image);
}

void BM_IndexKey(benchmark::State &state) {
  IUrlCache &cache = Platform().Cache;
  const TUrlIndexKeys keys = KeyTable();
  for (auto _ : state) {
    uint32_t mixed = 0;
    const auto enumeration = cache.Enumerate(TCategory::Cache);
    while (const TCacheEntryView *entry = enumeration->Next())
      mixed ^= keys.KeyOf(entry->Url);
    benchmark::DoNotOptimize(mixed);
  }
  SetDeleted(state, 0);
}

} // namespace

// The fastest of the repetitions: on a shared machine the others carry
// other programs' time.
double Fastest(const std::vector<double> &times) {
  return *std::min_element(times.begin(), times.end());
}

BENCHMARK(BM_Clean)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_CompilePerEntry)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_BareEnumeration)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_Selection100k)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_IndexKey)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

BENCHMARK_MAIN();
