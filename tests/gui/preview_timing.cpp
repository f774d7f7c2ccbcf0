// nvpreviewtiming: under Wine, times one refill of the dialog's real lvCache
// (a match of the entries read into memory, rows, repaint of the visible
// list) against a bare enumeration of the same real URL cache, in the same
// run, with the read of the entries into memory and a walk beside them. Seed
// the cache first (nvguihost seed-many N). Prints the median of each over
// `rounds` runs and the ratio.
//
//   nvpreviewtiming [rounds]
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "CacheWalk.h"
#include "WalkSweep.h"
#include "FormViewFactory.h"
#include "UrlCacheRecords.h"
#include "Win32Platform.h"
#include "frmIENorvane.h"

namespace {

using TClock = std::chrono::steady_clock;

double Milliseconds(TClock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// The cheapest enumeration of every entry the platform offers: the
// platform's listing loop and nothing else. The floor any walk stands on.
size_t BareEnumeration() {
  TUrlCacheRecords records(TWin32Api::System(), nullptr);
  size_t count = 0;
  while (records.Next())
    ++count;
  return count;
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

template <typename F> double Time(F run) {
  const auto start = TClock::now();
  run();
  return Milliseconds(TClock::now() - start);
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

} // namespace

int main(int argc, char **argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  TWin32Platform platform;
  TConfForm form(platform);
  const auto view = SystemFormViewFactory()(form);
  HWND window = FindWindowA(nullptr, form.Caption.c_str());
  if (!window) {
    std::fprintf(stderr, "nvpreviewtiming: the dialog's window was not found\n");
    return 1;
  }
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  PumpMessages();

  // The four in turn in every round, so that each meets the same state of
  // the machine and of Wine's cache index.
  size_t entries = 0, walked = 0;
  std::vector<double> bare, walk, read, refill;
  for (int round = 0; round < rounds; ++round) {
    bare.push_back(Time([&] { entries = BareEnumeration(); }));
    walk.push_back(Time([&] {
      walked = 0;
      Walk(platform, "http://*.*", [&](const TCacheEntryView &) { ++walked; });
    }));
    // What the dialog's reader does off the dialog's thread: the category's
    // entries into memory, handed to the form.
    auto entriesRead = std::make_shared<TCacheSnapshot>();
    read.push_back(Time([&] { entriesRead->Read(platform.UrlCache(), TCategory::Cache); }));
    form.CategoryRead(TCategory::Cache, entriesRead);
    // A refill is a change of the mask's text, as a keystroke makes it: a
    // match in memory, the rows and the repaint.
    refill.push_back(Time([&] { form.edtCacheMask.TextEdited(round % 2 ? "*.*" : "*"); }));
  }
  PumpMessages();
  std::printf("entries enumerated: %zu, listed: %zu, rows: %zu\n", entries, walked,
              form.lvCache.RowCount());
  const double bareMs = Median(bare), walkMs = Median(walk), readMs = Median(read),
               refillMs = Median(refill);
  std::printf("medians of %d rounds\n", rounds);
  std::printf("bare enumeration: %.1f ms\nwalk: %.1f ms\nread into memory: %.1f ms\n"
              "refill of lvCache: %.1f ms\n",
              bareMs, walkMs, readMs, refillMs);
  std::printf("walk / bare enumeration: %.2f\n", walkMs / bareMs);
  std::printf("refill / bare enumeration: %.2f\n", refillMs / bareMs);
  return 0;
}
