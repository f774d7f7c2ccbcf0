#pragma once
// A seeded generator of realistic URL cache entries, for the seeding tool,
// the benchmarks and tests that want many varied URLs. The same seed gives
// the same URLs on every platform.
//
//   Http:    "http://static3.example-news.co.uk/img/2011/logo_b.gif?v=3f2a"
//   Cookie:  "Cookie:john@forum.example.org/board/"
//   Visited: "Visited:john@http://www.example.com/search?q=weather"
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SeededRandom.h"

enum class TCacheUrlKind { Http, Cookie, Visited };

// A kind drawn in the mix of the clean's benchmarks and seeded caches: 80%
// http files, 15% cookies, 5% history entries.
TCacheUrlKind DrawCleanMixKind(TSeededRandom &random);

// One URL of `kind`, drawn from `random`.
std::string GenerateCacheUrl(TCacheUrlKind kind, TSeededRandom &random);

// `count` URLs of `kind`.
std::vector<std::string> GenerateCacheUrlsOfKind(TCacheUrlKind kind, size_t count, uint32_t seed);

// `count` URLs mixed as in a browser's cache: about 70% http files, 15%
// cookies and 15% history entries, in random order.
std::vector<std::string> GenerateCacheUrls(size_t count, uint32_t seed);
