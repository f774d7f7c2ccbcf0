// Benchmarks of the mask matcher. Each benchmark iteration is one
// match, so the Time column is the time of one match.
//
//   cmake --preset bench -B build/masks-bench
//   cmake --build build/masks-bench --target bench_masks -j2
//   build/masks-bench/bin/bench_masks
//
// Typical: 100,000 generated cache URLs (UrlCorpus, seed 2011) against masks
// like the ones the cleaner uses; for each mask MatchesMask (compiles on every
// call), a TMask compiled once, glibc's fnmatch(FNM_CASEFOLD) on the same
// mask (these masks have no sets, so both languages mean the same; the setup
// checks that both count the same matches), and for the type-0 masks a
// hand-written test (prefix comparison + search for a '.'); Compile is the
// construction and destruction of a TMask alone. Hot: the same on the first
// 2,000 URLs, which stay in the cache.
//
// Worst case: 29 x "*a" then "*b" (30 star groups) against runs of 'a'. The
// fast matcher and fnmatch on 1 KiB, 64 KiB and 1 MiB; the literal
// backtracking search (the test oracle) on the short runs where it finishes, and on 1 KiB
// with a step budget, to show that it does not.
#include <benchmark/benchmark.h>
#include <fnmatch.h>

#include <cstring>
#include <string>
#include <vector>

#include "AsciiText.h"
#include "BenchMasks.h"
#include "MaskOracle.h"
#include "Masks.h"
#include "UrlCorpus.h"

namespace {

using TCorpus = std::vector<std::string>;

// The typical corpus, and its first 2,000 URLs: small enough to stay in the
// cache, so that the Hot_ runs show the matching work without the memory
// traffic that every matcher of the Typical_ runs pays alike.
const TCorpus &Corpus() {
  static const TCorpus corpus = GenerateCacheUrls(kBenchCorpusSize, kBenchCorpusSeed);
  return corpus;
}
const TCorpus &HotCorpus() {
  static const TCorpus corpus = GenerateCacheUrls(2000, kBenchCorpusSeed);
  return corpus;
}

// The masks, shared with the Wine timing of the 32-bit build.
const auto &TypicalMasks = kBenchMasks;
constexpr size_t TypeZeroMasks = kTypeZeroBenchMasks;

// Counts the matches of every URL with `match`, for the setup's check.
template <class TMatch> size_t CountMatches(TMatch match) {
  size_t count = 0;
  for (const std::string &url : HotCorpus())
    count += match(url.c_str());
  return count;
}

// One match per iteration, cycling through the corpus.
template <class TMatch>
void RunTypical(benchmark::State &state, const TCorpus &corpus, TMatch match) {
  size_t i = 0, matched = 0;
  for (auto _ : state) {
    matched += match(corpus[i].c_str());
    if (++i == corpus.size()) i = 0;
  }
  benchmark::DoNotOptimize(matched);
  state.counters["match%"] =
      100.0 * static_cast<double>(matched) / static_cast<double>(state.iterations());
}

void BM_MatchesMask(benchmark::State &state, const char *mask, const TCorpus *corpus) {
  RunTypical(state, *corpus, [mask](const char *url) { return MatchesMask(url, mask); });
}

void BM_TMask(benchmark::State &state, const char *mask, const TCorpus *corpus) {
  const TMask compiled(mask);
  RunTypical(state, *corpus, [&compiled](const char *url) { return compiled.Matches(url); });
}

void BM_Fnmatch(benchmark::State &state, const char *mask, const TCorpus *corpus) {
  const auto fn = [mask](const char *url) { return fnmatch(mask, url, FNM_CASEFOLD) == 0; };
  const TMask compiled(mask);
  if (CountMatches(fn) != CountMatches([&](const char *url) { return compiled.Matches(url); })) {
    state.SkipWithError("fnmatch and TMask disagree on this mask");
    return;
  }
  RunTypical(state, *corpus, fn);
}

// The type-0 test written by hand: the prefix, compared with ASCII case
// ignored, then any '.' after it.
void BM_HandWritten(benchmark::State &state, const char *mask, const TCorpus *corpus) {
  const auto prefixLength = static_cast<size_t>(std::strchr(mask, '*') - mask);
  std::string upperPrefix(mask, prefixLength);
  for (char &c : upperPrefix)
    c = UpperAscii(c);
  const char *prefix = upperPrefix.c_str();
  const auto fn = [prefix, prefixLength](const char *url) {
    for (size_t i = 0; i < prefixLength; ++i) {
      if (UpperAscii(url[i]) != prefix[i]) return false;
    }
    return std::strchr(url + prefixLength, '.') != nullptr;
  };
  const TMask compiled(mask);
  if (CountMatches(fn) != CountMatches([&](const char *url) { return compiled.Matches(url); })) {
    state.SkipWithError("hand-written test and TMask disagree");
    return;
  }
  RunTypical(state, *corpus, fn);
}

// Compiling alone: construct and destroy a TMask.
void BM_Compile(benchmark::State &state, const char *mask) {
  for (auto _ : state) {
    TMask compiled(mask);
    benchmark::DoNotOptimize(compiled);
  }
}

// Worst case.
std::string WorstMask() {
  std::string mask;
  for (int i = 0; i < 29; ++i)
    mask += "*a";
  return mask + "*b";
}

void SetBytes(benchmark::State &state, size_t size) {
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

void BM_Worst_TMask(benchmark::State &state) {
  const size_t size = static_cast<size_t>(state.range(0));
  const std::string text(size, 'a');
  const TMask compiled(WorstMask());
  for (auto _ : state)
    benchmark::DoNotOptimize(compiled.Matches(text));
  SetBytes(state, size);
}

void BM_Worst_MatchesMask(benchmark::State &state) {
  const size_t size = static_cast<size_t>(state.range(0));
  const std::string text(size, 'a');
  const std::string mask = WorstMask();
  for (auto _ : state)
    benchmark::DoNotOptimize(MatchesMask(text, mask));
  SetBytes(state, size);
}

void BM_Worst_Fnmatch(benchmark::State &state) {
  const size_t size = static_cast<size_t>(state.range(0));
  const std::string text(size, 'a');
  const std::string mask = WorstMask();
  for (auto _ : state)
    benchmark::DoNotOptimize(fnmatch(mask.c_str(), text.c_str(), FNM_CASEFOLD));
  SetBytes(state, size);
}

// The literal backtracking search (the tests' oracle). Its steps grow about
// as 2^n on a run of n 'a's; beyond the budget it gives up and the
// benchmark reports that instead of a time.
constexpr uint64_t OracleBudget = 200000000;

void BM_Worst_Oracle(benchmark::State &state) {
  const size_t size = static_cast<size_t>(state.range(0));
  const std::string text(size, 'a');
  const TOracleMask oracle(WorstMask());
  for (auto _ : state) {
    const auto answer = oracle.Matches(text, OracleBudget);
    if (!answer) {
      state.SkipWithError("the literal search did not finish within 2e8 steps");
      break;
    }
    benchmark::DoNotOptimize(*answer);
  }
  SetBytes(state, size);
}

void RegisterAll() {
  for (const auto &[prefix, corpus] :
       {std::pair{"Typical_", &Corpus()}, std::pair{"Hot_", &HotCorpus()}}) {
    const std::string kind = prefix;
    for (size_t m = 0; m < std::size(TypicalMasks); ++m) {
      const char *mask = TypicalMasks[m];
      const std::string name = std::string("/\"") + mask + "\"";
      benchmark::RegisterBenchmark((kind + "MatchesMask" + name).c_str(), BM_MatchesMask, mask,
                                   corpus);
      benchmark::RegisterBenchmark((kind + "TMask" + name).c_str(), BM_TMask, mask, corpus);
      benchmark::RegisterBenchmark((kind + "fnmatch" + name).c_str(), BM_Fnmatch, mask, corpus);
      if (m < TypeZeroMasks)
        benchmark::RegisterBenchmark((kind + "HandWritten" + name).c_str(), BM_HandWritten, mask,
                                     corpus);
      if (kind == "Typical_")
        benchmark::RegisterBenchmark((kind + "Compile" + name).c_str(), BM_Compile, mask);
    }
  }
  for (auto *bm : {benchmark::RegisterBenchmark("Worst_TMask", BM_Worst_TMask),
                   benchmark::RegisterBenchmark("Worst_MatchesMask", BM_Worst_MatchesMask),
                   benchmark::RegisterBenchmark("Worst_fnmatch", BM_Worst_Fnmatch)})
    bm->Arg(1 << 10)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Worst_Oracle", BM_Worst_Oracle)
      ->Arg(16)
      ->Arg(20)
      ->Arg(24)
      ->Arg(1 << 10)
      ->Unit(benchmark::kMicrosecond);
}

} // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
