// nvmasktiming: the mask matcher of a Windows build (32- or 64-bit), timed under
// Wine (Google Benchmark is there natively only). The same masks and corpus
// as bench/bench_masks.cpp: kBenchMasks against 100,000 generated cache URLs.
//
//   nvmasktiming [REPETITIONS]      (default 21; bench/wine_mask_timing.sh runs it)
//
// One repetition times, for every mask in turn, one pass over the corpus with
// MatchesMask (compiles on every call) and one with a TMask compiled once,
// and 10,000 compilations of a TMask; the passes of one repetition follow one
// another, so that a burst of other work on a shared machine slows one
// repetition of each rather than every repetition of one. Prints a Markdown
// table of nanoseconds per match (per compilation): the median and the
// fastest of the repetitions.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchMasks.h"
#include "LeadBytes.h"
#include "Masks.h"
#include "Platform.h"
#include "UrlCorpus.h"

namespace {

using TClock = std::chrono::steady_clock;
constexpr size_t kCompilesPerPass = 10000;
constexpr size_t kMaskCount = std::size(kBenchMasks);

// The times of one measurement over the repetitions, in ns per operation.
class TSamples {
public:
  void Add(TClock::duration elapsed, size_t operations) {
    Times.push_back(std::chrono::duration<double, std::nano>(elapsed).count() /
                    static_cast<double>(operations));
  }
  double Median() {
    std::sort(Times.begin(), Times.end());
    const size_t n = Times.size();
    return n % 2 ? Times[n / 2] : (Times[n / 2 - 1] + Times[n / 2]) / 2;
  }
  double Fastest() const { return *std::min_element(Times.begin(), Times.end()); }

private:
  std::vector<double> Times;
};

struct TMaskTimes {
  TSamples OneShot, Compiled, Compile;
  size_t Matches = 0; // per pass, the same for both matchers
};

// Runs `pass` once and adds its time per operation; returns what it counted.
template <class TPass> size_t Timed(TSamples &samples, size_t operations, TPass pass) {
  const TClock::time_point start = TClock::now();
  const size_t counted = pass();
  samples.Add(TClock::now() - start, operations);
  return counted;
}

// One repetition over every mask. False when the two matchers disagree.
bool Repeat(const std::vector<std::string> &corpus, const TLeadByteSet &lead,
            std::vector<TMaskTimes> &times) {
  for (size_t m = 0; m < kMaskCount; ++m) {
    const char *mask = kBenchMasks[m];
    TMaskTimes &mine = times[m];
    const size_t oneShot = Timed(mine.OneShot, corpus.size(), [&] {
      size_t matched = 0;
      for (const std::string &url : corpus)
        matched += MatchesMask(url.c_str(), mask, lead);
      return matched;
    });
    const TMask compiled(mask, lead);
    const size_t fast = Timed(mine.Compiled, corpus.size(), [&] {
      size_t matched = 0;
      for (const std::string &url : corpus)
        matched += compiled.Matches(url.c_str());
      return matched;
    });
    const size_t elements = Timed(mine.Compile, kCompilesPerPass, [&] {
      size_t total = 0;
      for (size_t i = 0; i < kCompilesPerPass; ++i)
        total += TMask(mask, lead).ElementCount();
      return total;
    });
    if (oneShot != fast || elements == 0) {
      std::fprintf(stderr, "nvmasktiming: MatchesMask and TMask disagree on %s\n", mask);
      return false;
    }
    mine.Matches = fast;
  }
  return true;
}

void PrintTable(std::vector<TMaskTimes> &times, size_t corpusSize, int repetitions) {
  std::printf("%zu URLs, %d repetitions; ns per match (per compilation), median / fastest\n\n",
              corpusSize, repetitions);
  std::printf("| mask | `MatchesMask` | compiled `TMask` | compiling a `TMask` | match%% |\n");
  std::printf("|---|---|---|---|---|\n");
  for (size_t m = 0; m < kMaskCount; ++m) {
    TMaskTimes &t = times[m];
    std::printf("| `%s` | %.1f / %.1f | %.1f / %.1f | %.0f / %.0f | %.1f |\n", kBenchMasks[m],
                t.OneShot.Median(), t.OneShot.Fastest(), t.Compiled.Median(), t.Compiled.Fastest(),
                t.Compile.Median(), t.Compile.Fastest(),
                100.0 * static_cast<double>(t.Matches) / static_cast<double>(corpusSize));
  }
}

} // namespace

int main(int argc, char **argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 21;
  if (argc > 2 || repetitions < 1) {
    std::fprintf(stderr, "usage: nvmasktiming [REPETITIONS]   (at least 1, default 21)\n");
    return 2;
  }
  // The lead bytes of the system's code page, as the plug-in reads them.
  const TLeadByteSet lead = CreateSystemPlatform()->LeadBytes();
  const std::vector<std::string> corpus = GenerateCacheUrls(kBenchCorpusSize, kBenchCorpusSeed);
  std::vector<TMaskTimes> times(kMaskCount);
  Repeat(corpus, lead, times); // warms the caches and the allocator; not counted
  times.assign(kMaskCount, TMaskTimes{});
  for (int r = 0; r < repetitions; ++r)
    if (!Repeat(corpus, lead, times)) return 1;
  PrintTable(times, corpus.size(), repetitions);
  return 0;
}
