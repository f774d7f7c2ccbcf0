// nvkeystroketiming: under Wine, what one change of the options dialog's cache
// mask box costs, sent from another process as WM_SETTEXT (which returns once
// the box's change handler has run), with the parts of it told apart.
//
//   nvkeystroketiming [PRESSES [SOME OTHER]]   (defaults: 40 *page1* *page2*)
//
// Run it beside a shown dialog whose cache section lists by mask
// (DeleteCacheType=1; nvguihost config ...) over a cache of http entries only
// (nvguihost seed-many N), or another cache with masks SOME and OTHER that
// select about as many of its http entries as each other, by one substring
// each; bench/wine_keystroke_timing.sh does all of that. It closes the dialog
// when done.
//
// Each condition sends PRESSES changes and prints the median and worst time
// until WM_SETTEXT returned:
//   message path   WM_NULL to the box: Wine's cross-process round trip
//   all / 1 in N   masks "*" and SOME in turn: every entry, then a part (over
//                  seed-many's cache "*page1*" lists a ninth)
//   same count     masks SOME and OTHER in turn: other rows, about as many
//   none           masks "x" and "y" in turn: nothing listed, the list cleared
//   list hidden    "*" and SOME with lvCache hidden: nothing to paint
//   during reads   "*" and SOME, each once the cache's background read
//                  (asked for by every change, run after a pause) has started
// So "all / 1 in 9" less "same count" is what a new row count costs, "same
// count" less "none" the rows painted, "list hidden" the handler without
// painting, and "message path" what Wine's delivery adds to each.
// After every change the list must already be refreshed: its row count and
// first row are what a walk of the cache selects for the mask, and nothing
// of it is left to paint (no update region). A change that fails the check
// is reported and makes the exit status 1.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "UrlCacheRecords.h"

namespace {

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// Memory in another process, freed when it goes: what a list view message
// that carries a pointer needs when it crosses processes.
class TRemoteBuffer {
public:
  TRemoteBuffer(HANDLE process, size_t size)
      : Process(process),
        Address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~TRemoteBuffer() {
    if (Address) VirtualFreeEx(Process, Address, 0, MEM_RELEASE);
  }
  TRemoteBuffer(const TRemoteBuffer &) = delete;
  TRemoteBuffer &operator=(const TRemoteBuffer &) = delete;

  char *Get() const { return static_cast<char *>(Address); }
  bool Write(const void *data, size_t size, size_t offset = 0) const {
    return WriteProcessMemory(Process, Get() + offset, data, size, nullptr) != FALSE;
  }
  bool Read(void *data, size_t size, size_t offset = 0) const {
    return ReadProcessMemory(Process, Get() + offset, data, size, nullptr) != FALSE;
  }

private:
  HANDLE Process;
  void *Address;
};

// The running dialog as another process sees it.
class TDialog {
public:
  // Waits up to ten minutes for the shown dialog and its cache list's first
  // fill (the largest cache takes most of a minute).
  TDialog() {
    for (int i = 0; i < 12000 && !Find(); ++i)
      Sleep(50);
  }
  bool Found() const { return Edit && List; }

  HWND EditBox() const { return Edit; }
  HWND ListView() const { return List; }

  LRESULT RowCount() const { return SendMessageA(List, LVM_GETITEMCOUNT, 0, 0); }

  // The caption of row `row`, asked for as the GUI tests ask: the list view
  // answers from the form's rows.
  std::string Caption(int row) const {
    constexpr size_t kText = 2048;
    TRemoteBuffer remote(Process.Get(), sizeof(LVITEMA) + kText);
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = remote.Get() + sizeof item;
    item.cchTextMax = static_cast<int>(kText);
    std::string text(kText, '\0');
    text[0] = '\0';
    if (!remote.Write(&item, sizeof item) || !remote.Write(text.data(), 1, sizeof item)) return "?";
    SendMessageA(List, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(remote.Get()));
    if (!remote.Read(text.data(), kText, sizeof item)) return "?";
    text.resize(text.find('\0'));
    return text;
  }

  // Whether part of the list is still to be painted.
  bool ListUnpainted() const { return GetUpdateRect(List, nullptr, FALSE) != FALSE; }

  void Close() const { PostMessageA(Window, WM_CLOSE, 0, 0); }

private:
  bool Find() {
    Window = FindWindowA("NvConfForm", nullptr);
    if (!Window || !IsWindowVisible(Window)) return false;
    DWORD processId = 0;
    GetWindowThreadProcessId(Window, &processId);
    Process.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                  PROCESS_QUERY_INFORMATION,
                              FALSE, processId));
    if (!Process) return false;
    EnumChildWindows(Window, &TDialog::Note, reinterpret_cast<LPARAM>(this));
    return Found() && Caption(0) != "Reading the cache...";
  }

  // The control name a window carries points into the dialog's process.
  std::string NameOf(HWND window) const {
    const void *remote = GetPropA(window, "NvControl");
    char name[64] = {};
    if (remote) ReadProcessMemory(Process.Get(), remote, name, sizeof name - 1, nullptr);
    return name;
  }

  static BOOL CALLBACK Note(HWND window, LPARAM self) {
    auto &me = *reinterpret_cast<TDialog *>(self);
    const std::string name = me.NameOf(window);
    if (name == "edtCacheMask") me.Edit = window;
    if (name == "lvCache") me.List = window;
    return TRUE;
  }

  HWND Window = nullptr, Edit = nullptr, List = nullptr;
  TKernelHandle Process;
};

// What the list must show for a mask: the http entries a walk of the cache
// selects. The masks used here select by one substring, or everything, or
// nothing.
struct TExpected {
  LRESULT Rows = 0;
  std::string First;
};

// The http URLs of the cache in walk order, by one enumeration of this
// process's own (a walk of the largest cache takes half a minute under Wine,
// so it is made once, before anything is timed).
std::vector<std::string> HttpUrls() {
  std::vector<std::string> urls;
  TUrlCacheRecords records(TWin32Api::System(), nullptr);
  while (const INTERNET_CACHE_ENTRY_INFOA *entry = records.Next()) {
    std::string url = entry->lpszSourceUrlName ? entry->lpszSourceUrlName : "";
    if (url.rfind("http://", 0) == 0) urls.push_back(std::move(url));
  }
  return urls;
}

TExpected Expect(const std::vector<std::string> &urls, const std::string &mask) {
  const std::string needle = mask == "*" ? "" : mask.substr(1, mask.size() - 2);
  TExpected expected;
  if (mask.front() != '*') return expected;
  for (const std::string &url : urls) {
    if (url.find(needle) == std::string::npos) continue;
    if (expected.Rows++ == 0) expected.First = url;
  }
  return expected;
}

struct TResult {
  std::vector<double> Times;
  int Stale = 0; // changes after which the list was not refreshed yet
};

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Report(const char *condition, const TResult &result) {
  std::printf("| %-14s | %8.2f | %8.2f | %5zu | %s |\n", condition, Median(result.Times),
              *std::max_element(result.Times.begin(), result.Times.end()), result.Times.size(),
              result.Stale ? "NOT REFRESHED" : "yes");
}

class TBench {
public:
  TBench(const TDialog &dialog, int presses, const std::vector<std::string> &urls)
      : Dialog(dialog), Presses(presses), Urls(urls) {}

  TResult MessagePath() const {
    TResult result;
    for (int i = 0; i < Presses; ++i) {
      const auto start = TClock::now();
      SendMessageA(Dialog.EditBox(), WM_NULL, 0, 0);
      result.Times.push_back(MillisecondsSince(start));
    }
    return result;
  }

  // Changes the mask to `masks` in turn, `pause` ms before each; checks the
  // list after each unless `painted` is false (a hidden list paints nothing).
  TResult Changes(const std::vector<std::string> &masks, DWORD pause, bool painted = true) const {
    std::vector<TExpected> expected;
    for (const std::string &mask : masks)
      expected.push_back(Expect(Urls, mask));
    TResult result;
    for (int i = 0; i < Presses; ++i) {
      const size_t m = static_cast<size_t>(i) % masks.size();
      Sleep(pause);
      const auto start = TClock::now();
      SendMessageA(Dialog.EditBox(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(masks[m].c_str()));
      result.Times.push_back(MillisecondsSince(start));
      if (!Refreshed(expected[m], painted)) ++result.Stale;
    }
    return result;
  }

private:
  bool Refreshed(const TExpected &expected, bool painted) const {
    const LRESULT rows = Dialog.RowCount();
    const std::string first = rows ? Dialog.Caption(0) : "";
    const bool unpainted = painted && Dialog.ListUnpainted();
    if (rows == expected.Rows && first == expected.First && !unpainted) return true;
    std::printf("not refreshed: %ld rows (want %ld), first '%s' (want '%s')%s\n",
                static_cast<long>(rows), static_cast<long>(expected.Rows), first.c_str(),
                expected.First.c_str(), unpainted ? ", still to paint" : "");
    return false;
  }

  const TDialog &Dialog;
  const int Presses;
  const std::vector<std::string> &Urls;
};

} // namespace

int main(int argc, char **argv) {
  const int presses = argc > 1 ? std::max(2, std::atoi(argv[1])) : 40;
  if (argc != 1 && argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: nvkeystroketiming [PRESSES [SOME OTHER]]\n");
    return 2;
  }
  const std::string some = argc == 4 ? argv[2] : "*page1*";
  const std::string other = argc == 4 ? argv[3] : "*page2*";
  for (const std::string &mask : {some, other})
    if (mask.size() < 3 || mask.front() != '*' || mask.back() != '*') {
      std::fprintf(stderr, "nvkeystroketiming: a mask is *TEXT*, not '%s'\n", mask.c_str());
      return 2;
    }
  const TDialog dialog;
  if (!dialog.Found()) {
    std::fprintf(stderr, "nvkeystroketiming: no dialog with a filled lvCache\n");
    return 2;
  }
  const std::vector<std::string> urls = HttpUrls();
  Sleep(1000); // the dialog's first read of the cache has ended
  const TBench bench(dialog, presses, urls);
  const std::vector<std::string> listed{"*", some};
  const LRESULT someRows = std::max<LRESULT>(1, Expect(urls, some).Rows);
  const std::string allOverSome =
      "all / 1 in " + std::to_string((static_cast<LRESULT>(urls.size()) + someRows / 2) / someRows);
  // A read starts once changes have paused for 300 ms: 20 ms apart, none
  // does; 450 ms apart, each change meets one that has begun.
  constexpr DWORD kQuick = 20, kAfterPause = 450;
  std::printf("| condition      | median ms | worst ms | changes | list refreshed on return |\n"
              "|---|---|---|---|---|\n");
  int stale = 0;
  auto report = [&](const char *condition, const TResult &result) {
    Report(condition, result);
    stale += result.Stale;
  };
  report("message path", bench.MessagePath());
  report(allOverSome.c_str(), bench.Changes(listed, kQuick));
  report("same count", bench.Changes({some, other}, kQuick));
  report("none", bench.Changes({"x", "y"}, kQuick));
  ShowWindow(dialog.ListView(), SW_HIDE);
  report("list hidden", bench.Changes(listed, kQuick, false));
  ShowWindow(dialog.ListView(), SW_SHOW);
  report("during reads", bench.Changes(listed, kAfterPause));
  dialog.Close();
  return stale ? 1 : 0;
}
