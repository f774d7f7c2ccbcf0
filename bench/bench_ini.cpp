// The settings' cost on a large host file through the portable INI store:
// a load (nine reads), a save that changes nothing, and a save that changes
// every key (nine atomic replacements, each flushed to disk).
#include <benchmark/benchmark.h>

#include "IENorvaneU.h"
#include "StandInPlatform.h"
#include "TempDir.h"

namespace {

// A host file of `sections` sections of twenty keys, ours in the middle.
std::string HostFile(int sections) {
  std::string content = "; host\r\n";
  for (int s = 0; s < sections; ++s) {
    if (s == sections / 2) content += "[IE Norvane]\r\nDeleteCache=0\r\nCacheMask=*.x\r\n";
    content += "[Section " + std::to_string(s) + "]\r\n";
    for (int k = 0; k < 20; ++k)
      content += "Key" + std::to_string(k) + "=value of key " + std::to_string(k) + "\r\n";
  }
  return content;
}

struct TBenchFixture : TStandInPlatform {
  explicit TBenchFixture(int sections) { WriteFileBytes(Path, HostFile(sections)); }
  TTempDir Dir;
  std::string Path = Dir.File("host.ini");
};

void BM_LoadSettings(benchmark::State &state) {
  TBenchFixture fixture(static_cast<int>(state.range(0)));
  TIENorvane cleaner(fixture);
  for (auto _ : state)
    cleaner.LoadSettings(fixture.Path, "IE Norvane");
}
BENCHMARK(BM_LoadSettings)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_SaveSettingsUnchanged(benchmark::State &state) {
  TBenchFixture fixture(static_cast<int>(state.range(0)));
  TIENorvane cleaner(fixture);
  cleaner.LoadSettings(fixture.Path, "IE Norvane");
  cleaner.SaveSettings(fixture.Path, "IE Norvane");
  for (auto _ : state)
    cleaner.SaveSettings(fixture.Path, "IE Norvane");
}
BENCHMARK(BM_SaveSettingsUnchanged)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_SaveSettingsChanged(benchmark::State &state) {
  TBenchFixture fixture(static_cast<int>(state.range(0)));
  TIENorvane cleaner(fixture);
  cleaner.LoadSettings(fixture.Path, "IE Norvane");
  CleanerSettings &s = cleaner.Settings;
  for (auto _ : state) {
    s.DeleteCache = !s.DeleteCache, s.DeleteCookies = !s.DeleteCookies;
    s.DeleteHistory = !s.DeleteHistory;
    for (TSweepType *type : {&s.DeleteCacheType, &s.DeleteCookiesType, &s.DeleteHistoryType})
      *type = SweepTypeOf(TypeCode(*type) + 1);
    s.CacheMask += "a", s.CookiesMask += "b", s.HistoryMask += "c";
    cleaner.SaveSettings(fixture.Path, "IE Norvane");
  }
}
BENCHMARK(BM_SaveSettingsChanged)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
