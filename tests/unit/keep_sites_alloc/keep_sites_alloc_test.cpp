// The keep list's cost per entry, counted: reading an entry's host and
// finding the site that keeps it allocate nothing, whatever the entry.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "KeepSites.h"

namespace {

bool Counting = false;
long News = 0;

void *Allocate(std::size_t size) {
  if (Counting) ++News;
  if (void *p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

} // namespace

void *operator new(std::size_t size) { return Allocate(size); }
void *operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

namespace {

TEST(KeepSitesAlloc, MatchingAllocatesNothing) {
  const TKeepSites sites =
      TKeepSites::Parse("example.com;*.Mail.Example.ORG;.bank.test;a-very-long-site-name.example");
  const std::string urls[] = {
      "Cookie:john@www.example.com/",
      "Cookie:john@badexample.com/",
      "Visited: john@https://user:pw@inbox.MAIL.example.org:8443/x?y#z",
      "HTTP://WWW.BANK.TEST./",
      "http://[::1]:80/",
      "about:blank",
      "http://a-much-longer-host-name-than-any-short-string-buffer-holds.example.net/path",
  };
  long kept = 0;
  News = 0;
  Counting = true;
  for (const std::string &url : urls)
    if (sites.KeptBy(url)) ++kept;
  Counting = false;
  EXPECT_EQ(News, 0);
  EXPECT_EQ(kept, 3);
}

} // namespace
