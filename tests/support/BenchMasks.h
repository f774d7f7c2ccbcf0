#pragma once
// Test-only: the masks and the URL corpus that the matcher's benchmarks time,
// natively (bench/bench_masks.cpp) and in the 32-bit build under Wine
// (bench/wine/mask_timing.cpp), so that both report the same rows.
#include <cstddef>
#include <cstdint>

// Masks like the ones the cleaner uses, each a complete CachePattern.
inline constexpr const char *kBenchMasks[] = {
    "http://*.*",                   // type 0, cache
    "Cookie:*.*",                   // type 0, cookies
    "Visited:*.*",                  // type 0, history
    "http://www.example.com/*",     // one site's files
    "Cookie:*news*",                // cookies of news sites
    "http://*/*.gif",               // images by extension
    "Visited:*@http://*search*q=*", // searches in the history
    "http://*.co.uk/*",
    "http://*.gif*", // the clean benchmark's masks
    "http://www.*",
};

// The first kTypeZeroBenchMasks of kBenchMasks are the fixed masks of "all
// entries" (type 0).
inline constexpr size_t kTypeZeroBenchMasks = 3;

// The corpus: GenerateCacheUrls(kBenchCorpusSize, kBenchCorpusSeed).
inline constexpr size_t kBenchCorpusSize = 100000;
inline constexpr uint32_t kBenchCorpusSeed = 2011;
