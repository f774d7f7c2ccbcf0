#pragma once
// A small seeded generator (SplitMix64) whose sequence is the same on every
// compiler and platform, unlike the standard distributions: the seeding
// tool, the tests and the benchmarks draw from it.
#include <cstddef>
#include <cstdint>

class TSeededRandom {
public:
  explicit TSeededRandom(uint64_t seed) : State(seed) {}

  uint64_t Next() {
    uint64_t z = (State += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A number in [0, n); n must not be 0.
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }

  // True with probability percent/100.
  bool Chance(unsigned percent) { return Below(100) < percent; }

  // One of the `n` items of `items`.
  template <class T, size_t N> const T &Pick(const T (&items)[N]) { return items[Below(N)]; }

private:
  uint64_t State;
};
