// The matcher's memory rules, counted: compiling allocates the element array
// once plus one member set per set element; matching allocates nothing;
// MatchesMask frees all that its compilation took; a malformed mask leaves
// nothing allocated.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "Masks.h"

namespace {

bool Counting = false;
long News = 0;
long Deletes = 0;

void *Allocate(std::size_t size) {
  if (Counting) ++News;
  if (void *p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void Release(void *p) {
  if (!p) return;
  if (Counting) ++Deletes;
  std::free(p);
}

// Counts the allocations and releases made by `body`.
template <class TBody> std::pair<long, long> Count(TBody body) {
  News = Deletes = 0;
  Counting = true;
  body();
  Counting = false;
  return {News, Deletes};
}

} // namespace

void *operator new(std::size_t size) { return Allocate(size); }
void *operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void *p) noexcept { Release(p); }
void operator delete[](void *p) noexcept { Release(p); }
void operator delete(void *p, std::size_t) noexcept { Release(p); }
void operator delete[](void *p, std::size_t) noexcept { Release(p); }

namespace {

TEST(MaskAlloc, CompilingAllocatesTheArrayOncePlusOneSetPerSet) {
  struct TCase {
    std::string Mask;
    long Allocations;
  };
  std::string big;
  for (int i = 0; i < 1000; ++i)
    big += "ab[c-e]?"; // no star: no star limit
  const TCase cases[] = {
      {"", 1}, {"http://*.*", 1}, {"Cookie:*news*", 1}, {"[a][b]x[!c]*", 4}, {big, 1001},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.Mask.substr(0, 40));
    const auto [news, deletes] = Count([&] {
      TMask mask(c.Mask);
      (void)mask.ElementCount();
    });
    EXPECT_EQ(news, c.Allocations);
    EXPECT_EQ(deletes, c.Allocations);
  }
}

TEST(MaskAlloc, MatchingAllocatesNothing) {
  const TMask mask("http://*[a-z]*.*b*");
  const std::string text = "http://www.example.com/b" + std::string(100000, 'x');
  const auto [news, deletes] = Count([&] {
    (void)mask.Matches(text);
    (void)mask.Matches("HTTP://A.B");
  });
  EXPECT_EQ(news, 0);
  EXPECT_EQ(deletes, 0);
  // The one-shot test compiles (the array and one member set) and frees it.
  const auto [oneShotNews, oneShotDeletes] =
      Count([&] { (void)MatchesMask(text.c_str(), "http://*[a-z]*.*b*"); });
  EXPECT_EQ(oneShotNews, 2);
  EXPECT_EQ(oneShotDeletes, 2);
}

TEST(MaskAlloc, AMalformedMaskLeavesNothingAllocated) {
  std::string tooManyStars;
  for (int i = 0; i < 31; ++i)
    tooManyStars += "*[ab]";
  for (const std::string &mask : {std::string("[a][b][c][]"), tooManyStars}) {
    SCOPED_TRACE(mask);
    const auto [news, deletes] = Count([&] {
      try {
        TMask compiled(mask);
        ADD_FAILURE() << "compiled";
      } catch (const EMaskException &) {
      }
      try {
        (void)MatchesMask("x", mask);
        ADD_FAILURE() << "matched";
      } catch (const EMaskException &) {
      }
    });
    EXPECT_EQ(news, deletes);
  }
}

} // namespace
