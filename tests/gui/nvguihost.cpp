// nvguihost: a Norvane host for the dialog's GUI tests, run under Wine.
//
//   nvguihost seed FILE               empties the URL cache, then adds the
//                                     entries of FILE ("URL<TAB>SIZE" a line)
//   nvguihost seed-many N             empties the cache, adds N http entries
//   nvguihost add URL SIZE            adds one entry, keeping the others
//   nvguihost config DLL INI SECTION [CALLS [watch]]
//                                     shows a host window, calls the plug-in's
//                                     GetConfigString (CALLS times, one after
//                                     the other), prints what came back and
//                                     the process's threads before and
//                                     after each call and the handles that
//                                     came and went, by type; "watch"
//                                     keeps the timeline (below)
//
// While `config` runs, a second thread answers questions on stdin about the
// dialog, read with the window functions, one answer block per line asked,
// ended by a line ".":
//   wait              waits for the dialog to be visible with the focus in it
//   dump              every control: name class x y w h enabled checked text
//   window            the dialog's caption, client size and client origin
//   rows NAME         the rows of a list view, cells separated by tabs
//   columns NAME      a list view's column captions and widths
//   focus             the name of the control that has the keyboard focus
//   errorbox          the error box, if one is shown: its text (line breaks
//                     written as \n) and buttons
//   closebox          the screen point of the dialog's close box
//   screen NAME       the screen point at the centre of a control
//   host              whether the host window is enabled and active
//   caret NAME        an edit box's selection (start, end) and text length
//   timeline          ms from the call until the dialog was visible, until it
//                     took input, and until each list held its rows; whether
//                     a list was seen showing the reading row while visible
//   arm NAME          notes a list's row count (and answers it)
//   changed NAME      waits until that count changes; answers the new one
//   ping N            N harmless messages (WM_NULL) sent to the dialog 10 ms
//                     apart: median and worst time to answer in ms, count
//   pingfor MS        the same for MS milliseconds
//   bare              one bare enumeration of the whole cache: entries, ms
//   reactivate        activates a window of this thread, then the dialog
//   press VK          presses and releases the virtual key VK (hex) with one
//                     SendInput: both reach the dialog's queue at once
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CacheSeeder.h"
#include "PluginApi.h"
#include "PluginLibrary.h"
#include "ProcessHandles.h"
#include "UrlCacheRecords.h"

namespace {

constexpr const char *kNameProperty = "NvControl";
constexpr const char *kFormClass = "NvConfForm";
constexpr const char *kEditorClass = "NvKeepSitesForm"; // the sites to keep, over the dialog
constexpr const char *kReadingRow = "Reading the cache...";
constexpr const char *kListNames[] = {"lvCache", "lvCookies", "lvHistory"};

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

HWND Dialog() {
  HWND window = FindWindowA(kFormClass, nullptr);
  return window && IsWindowVisible(window) ? window : nullptr;
}

HWND Editor() {
  HWND window = FindWindowA(kEditorClass, nullptr);
  return window && IsWindowVisible(window) ? window : nullptr;
}

std::string NameOf(HWND window) {
  auto *name = static_cast<const char *>(GetPropA(window, kNameProperty));
  return name ? name : "";
}

std::string TextOf(HWND window) {
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// Every descendant of `parent` that carries a control name.
void Collect(HWND parent, std::vector<HWND> &out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!NameOf(child).empty()) out.push_back(child);
    Collect(child, out);
  }
}

// The named controls of the dialog, then of the editor over it.
std::vector<HWND> AllNamed() {
  std::vector<HWND> all;
  for (HWND form : {Dialog(), Editor()})
    if (form) Collect(form, all);
  return all;
}

HWND Named(const std::string &name) {
  const std::vector<HWND> all = AllNamed();
  for (HWND window : all)
    if (NameOf(window) == name) return window;
  return nullptr;
}

void Dump(std::ostream &out) {
  const std::vector<HWND> all = AllNamed();
  for (HWND window : all) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT *>(&r), 2);
    const LRESULT checked =
        ClassOf(window) == "Button" ? SendMessageA(window, BM_GETCHECK, 0, 0) : 0;
    out << NameOf(window) << '\t' << ClassOf(window) << '\t' << r.left << '\t' << r.top << '\t'
        << (r.right - r.left) << '\t' << (r.bottom - r.top) << '\t'
        << (IsWindowEnabled(window) ? 1 : 0) << '\t' << checked << '\t' << TextOf(window) << '\t'
        << std::hex << GetWindowLongA(window, GWL_STYLE) << std::dec << '\n';
  }
}

void Window(std::ostream &out) {
  HWND dialog = Dialog();
  if (!dialog) return;
  RECT client;
  GetClientRect(dialog, &client);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  RECT frame;
  GetWindowRect(dialog, &frame);
  out << TextOf(dialog) << '\t' << client.right << '\t' << client.bottom << '\t' << origin.x << '\t'
      << origin.y << '\t' << std::hex << GetWindowLongA(dialog, GWL_STYLE) << std::dec << '\t'
      << GetSystemMetrics(SM_CXSCREEN) << '\t' << GetSystemMetrics(SM_CYSCREEN) << '\t'
      << frame.left << '\t' << frame.top << '\t' << frame.right << '\t' << frame.bottom << '\n';
}

// The editor of the sites to keep: its caption, client size, and whether the
// dialog under it is enabled; nothing while it is not shown.
void EditorWindow(std::ostream &out) {
  HWND editor = Editor();
  if (!editor) return;
  RECT client;
  GetClientRect(editor, &client);
  HWND dialog = Dialog();
  out << TextOf(editor) << '\t' << client.right << '\t' << client.bottom << '\t'
      << (dialog && IsWindowEnabled(dialog) ? 1 : 0) << '\n';
}

void Rows(std::ostream &out, const std::string &name) {
  HWND list = Named(name);
  if (!list) return;
  const auto count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT row = 0; row < count; ++row) {
    for (int column = 0; column < 3; ++column) {
      char text[2048] = {};
      LVITEMA item{};
      item.iSubItem = column;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
      out << (column ? "\t" : "") << text;
    }
    out << '\n';
  }
}

void Columns(std::ostream &out, const std::string &name) {
  HWND list = Named(name);
  if (!list) return;
  for (int column = 0;; ++column) {
    char text[256] = {};
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH;
    info.pszText = text;
    info.cchTextMax = sizeof text;
    if (!SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                      reinterpret_cast<LPARAM>(&info)))
      break;
    out << text << '\t' << info.cx << '\n';
  }
  const auto styles = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  out << "style\t" << std::hex << GetWindowLongA(list, GWL_STYLE) << '\t' << styles << std::dec
      << '\n';
}

void Focus(std::ostream &out) {
  HWND dialog = Dialog();
  if (!dialog) return;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  out << NameOf(info.hwndFocus) << '\n';
}

// `text` with its line breaks written as "\n", so that it fits one answer line.
std::string OneLine(const std::string &text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    line += c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return line;
}

BOOL CALLBACK FindErrorBox(HWND window, LPARAM found) {
  if (ClassOf(window) == "#32770" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void ErrorBox(std::ostream &out) {
  HWND box = nullptr;
  HWND dialog = FindWindowA(kFormClass, nullptr);
  if (dialog)
    EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), FindErrorBox,
                      reinterpret_cast<LPARAM>(&box));
  if (!box) {
    out << "none\n";
    return;
  }
  out << "title\t" << TextOf(box) << '\n';
  const HWND owner = GetWindow(box, GW_OWNER);
  const char *ownerName = owner == dialog ? "dialog" : "other";
  if (owner && owner == FindWindowA(kEditorClass, nullptr)) ownerName = "editor";
  out << "owner\t" << ownerName << '\n';
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (ClassOf(child) == "Button")
      out << "button\t" << TextOf(child) << '\n';
    else if ((style & SS_TYPEMASK) == SS_ICON)
      out << "icon\n";
    else if (!TextOf(child).empty())
      out << "text\t" << OneLine(TextOf(child)) << '\n';
  }
}

void CloseBox(std::ostream &out) {
  HWND dialog = Dialog();
  if (!dialog) return;
  RECT frame;
  GetWindowRect(dialog, &frame);
  for (int y = frame.top; y < frame.top + 40; ++y)
    for (int x = frame.right - 1; x > frame.right - 60; --x)
      if (SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
        out << x << '\t' << y << '\n';
        return;
      }
}

void Screen(std::ostream &out, const std::string &name) {
  HWND window = Named(name);
  if (!window) return;
  RECT r;
  GetWindowRect(window, &r);
  out << (r.left + r.right) / 2 << '\t' << (r.top + r.bottom) / 2 << '\n';
}

HWND HostWindow = nullptr;

void Host(std::ostream &out) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(HostWindow, nullptr), &info);
  out << "enabled\t" << (IsWindowEnabled(HostWindow) ? 1 : 0) << '\n';
  out << "active\t" << (info.hwndActive == HostWindow ? 1 : 0) << '\n';
}

// Whether the dialog is visible with the focus on one of its controls (or on
// the error box it owns, which a stored malformed mask opens at once).
bool DialogReady() {
  HWND dialog = Dialog();
  if (!dialog) return false;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  if (!info.hwndFocus) return false;
  if (IsChild(dialog, info.hwndFocus)) return true;
  return GetWindow(GetAncestor(info.hwndFocus, GA_ROOT), GW_OWNER) == dialog;
}

// Waits until the dialog has been ready for a quarter of a second: the
// display's activation events arrive after the window is shown, and the
// focus passes through the form window while they are handled.
void Wait(std::ostream &out) {
  int steady = 0;
  for (int i = 0; i < 600 && steady < 5; ++i) {
    steady = DialogReady() ? steady + 1 : 0;
    Sleep(50);
  }
  out << (steady >= 5 ? "ready" : "timeout") << '\n';
}

void Caret(std::ostream &out, const std::string &name) {
  HWND edit = Named(name);
  if (!edit) return;
  DWORD start = 0, end = 0;
  SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  out << start << '\t' << end << '\t' << GetWindowTextLengthA(edit) << '\n';
}

LRESULT RowCount(HWND list) { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); }

// Whether a list shows the one row of a category still being read.
bool ShowsReadingRow(HWND list) {
  if (RowCount(list) != 1) return false;
  char text[64] = {};
  LVITEMA item{};
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
  return std::string(text) == kReadingRow;
}

// Watches the dialog of the running call from another thread: when it
// became visible, when it took input, when each list held its rows.
class TTimeline {
public:
  void Start() {
    CallStart = TClock::now();
    Watcher = std::thread([this] { Watch(); });
  }
  // Stops watching; the thread is joined.
  void Stop() {
    Stopping = true;
    if (Watcher.joinable()) Watcher.join();
  }
  void Report(std::ostream &out) {
    const std::lock_guard guard(Lock);
    out << "visible\t" << Visible << "\nready\t" << Ready << '\n';
    for (size_t i = 0; i < 3; ++i)
      out << kListNames[i] << '\t' << Filled[i] << '\t' << (ReadingSeen[i] ? 1 : 0) << '\n';
  }

private:
  void Watch() {
    while (!Stopping) {
      Step();
      Sleep(2);
    }
  }
  void Step() {
    HWND dialog = Dialog();
    if (!dialog) return;
    const double now = MillisecondsSince(CallStart);
    const std::lock_guard guard(Lock);
    if (Visible < 0) Visible = now;
    if (Ready < 0 && DialogReady()) Ready = now;
    for (size_t i = 0; i < 3; ++i) {
      if (Filled[i] >= 0) continue;
      HWND list = Named(kListNames[i]);
      if (!list) continue;
      if (ShowsReadingRow(list))
        ReadingSeen[i] = true;
      else
        Filled[i] = MillisecondsSince(CallStart);
    }
  }

  TClock::time_point CallStart;
  std::atomic<bool> Stopping{false};
  std::mutex Lock;
  double Visible = -1, Ready = -1;
  double Filled[3] = {-1, -1, -1};
  bool ReadingSeen[3] = {false, false, false};
  std::thread Watcher;
};

TTimeline *Timeline = nullptr;
LRESULT ArmedCount = -1;

void Changed(std::ostream &out, const std::string &name) {
  HWND list = Named(name);
  if (!list) return;
  const auto start = TClock::now();
  LRESULT count = RowCount(list);
  while (count == ArmedCount && MillisecondsSince(start) < 10000) {
    std::this_thread::yield();
    count = RowCount(list);
  }
  out << count << '\n';
}

// Sends WM_NULL to the dialog every 10 ms, `count` times or, with
// `forMs`, for that long: median and worst time to answer, and how many.
void Ping(std::ostream &out, int count, double forMs = 0) {
  HWND dialog = Dialog();
  if (!dialog) return;
  std::vector<double> times;
  const auto begin = TClock::now();
  for (int i = 0; forMs > 0 ? MillisecondsSince(begin) < forMs : i < count; ++i) {
    const auto start = TClock::now();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    times.push_back(MillisecondsSince(start));
    Sleep(10);
  }
  std::sort(times.begin(), times.end());
  out << times[times.size() / 2] << '\t' << times.back() << '\t' << times.size() << '\n';
}

// The cheapest enumeration of every entry: the platform's listing loop alone.
void Bare(std::ostream &out) {
  const auto start = TClock::now();
  TUrlCacheRecords records(TWin32Api::System(), nullptr);
  size_t entries = 0;
  while (records.Next())
    ++entries;
  out << entries << '\t' << MillisecondsSince(start) << '\n';
}

// Takes the activation away from the dialog and gives it back, as a user
// switching to another window and back does.
void Reactivate(std::ostream &out) {
  HWND dialog = Dialog();
  if (!dialog) return;
  HWND other = CreateWindowExA(WS_EX_TOOLWINDOW, "Static", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50,
                               20, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(other);
  Sleep(100);
  SetForegroundWindow(dialog);
  DestroyWindow(other);
  Sleep(100);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  out << (info.hwndActive == dialog ? "active" : "inactive") << '\n';
}

// Presses and releases a key through the system's input queue, as a
// keyboard driver does: the release is queued with the press, not sent
// later over the display connection as xdotool's keys are.
void Press(std::ostream &out, const std::string &key) {
  const auto vk = static_cast<WORD>(std::strtoul(key.c_str(), nullptr, 16));
  INPUT inputs[2]{};
  for (INPUT &input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  out << SendInput(2, inputs, sizeof(INPUT)) << '\n';
}

// Answers the questions of the test script until stdin closes.
void Inspector() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string command, argument;
    words >> command >> argument;
    std::ostringstream out;
    if (command == "wait")
      Wait(out);
    else if (command == "dump")
      Dump(out);
    else if (command == "window")
      Window(out);
    else if (command == "editor")
      EditorWindow(out);
    else if (command == "rows")
      Rows(out, argument);
    else if (command == "columns")
      Columns(out, argument);
    else if (command == "focus")
      Focus(out);
    else if (command == "errorbox")
      ErrorBox(out);
    else if (command == "closebox")
      CloseBox(out);
    else if (command == "host")
      Host(out);
    else if (command == "screen")
      Screen(out, argument);
    else if (command == "caret")
      Caret(out, argument);
    else if (command == "timeline" && Timeline)
      Timeline->Report(out);
    else if (command == "arm") {
      if (HWND list = Named(argument)) out << (ArmedCount = RowCount(list)) << '\n';
    } else if (command == "changed")
      Changed(out, argument);
    else if (command == "pingfor")
      Ping(out, 0, std::max(10.0, std::atof(argument.c_str())));
    else if (command == "ping")
      Ping(out, std::max(1, std::atoi(argument.c_str())));
    else if (command == "bare")
      Bare(out);
    else if (command == "reactivate")
      Reactivate(out);
    else if (command == "press")
      Press(out, argument);
    else
      out << "unknown command\n";
    std::cout << out.str() << ".\n" << std::flush;
  }
  // The script closes stdin while the last call may still be returning: the
  // thread stays until the process ends, so that call's thread count does
  // not depend on that moment.
  Sleep(INFINITE);
}

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateHostWindow() {
  WNDCLASSA info{};
  info.lpfnWndProc = HostProcedure;
  info.hInstance = GetModuleHandleA(nullptr);
  info.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  info.lpszClassName = "NvGuiHost";
  RegisterClassA(&info);
  HWND window = CreateWindowA("NvGuiHost", "Norvane test host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                              nullptr, nullptr, info.hInstance, nullptr);
  ShowWindow(window, SW_SHOW);
  SetActiveWindow(window);
  return window;
}

// The threads of this process.
size_t ThreadCount() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  size_t count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  CloseHandle(snapshot);
  return count;
}

// Runs GetConfigString `calls` times in turn (a later call finds what the
// system set up once per process in place already); reports each call's
// threads before and after it and the handles that came and went, and the
// last call's text, result and, with `watch`, its timeline. The watching thread talks to the
// dialog's windows, which costs Wine a handle of its own now and then: the
// counts are exact without it.
int Config(const char *dll, const char *ini, const char *section, int calls, bool watch) {
  TPluginLibrary plugin(dll);
  auto configure = plugin.Export<TWorkingProc>("GetConfigString");
  HostWindow = CreateHostWindow();
  std::thread inspector(Inspector);
  inspector.detach();
  std::vector<char> buffer(1 << 16, '\xA5');
  std::ostringstream out;
  bool result = false;
  std::unique_ptr<TTimeline> timeline;
  for (int call = 1; call <= calls; ++call) {
    if (timeline) timeline->Stop();
    timeline = std::make_unique<TTimeline>();
    Timeline = timeline.get();
    if (watch) timeline->Start();
    std::fill(buffer.begin(), buffer.end(), '\xA5');
    char *text = buffer.data();
    const size_t threadsBefore = ThreadCount();
    const auto handlesBefore = ProcessHandles();
    result = configure(ini, section, &text);
    const size_t threadsAfter = ThreadCount();
    const auto handlesAfter = ProcessHandles();
    out << "threads" << call << '\t' << threadsBefore << '\t' << threadsAfter << '\n';
    out << "handles" << call << '\t' << HandleChanges(handlesBefore, handlesAfter) << '\n';
  }
  out << "text\t[" << (buffer[0] == '\xA5' ? "(untouched)" : std::string(buffer.data())) << "]\n";
  out << "result\t" << (result ? "true" : "false") << '\n';
  Host(out);
  timeline->Stop();
  timeline->Report(out);
  std::cout << out.str() << "end\n" << std::flush;
  // The inspector thread may still block on stdin; end without waiting.
  ExitProcess(0);
}

int Seed(const char *file) {
  EmptyUrlCache();
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const size_t tab = line.find('\t');
    const std::string url = line.substr(0, tab);
    const uint32_t size =
        tab == std::string::npos ? 0u : static_cast<uint32_t>(std::stoul(line.substr(tab + 1)));
    SeedEntry(url, size);
  }
  std::cout << "seeded " << ListWholeUrlCache().size() << '\n';
  return 0;
}

int Add(const std::string &url, uint32_t size) {
  SeedEntry(url, size);
  std::cout << (UrlCacheHas(url) ? "added\n" : "not added\n");
  return 0;
}

int SeedMany(unsigned count) {
  EmptyUrlCache();
  for (unsigned i = 0; i < count; ++i)
    SeedEntry("http://host" + std::to_string(i % 50) + ".example.com/page" + std::to_string(i) +
                  ".htm",
              100 + i);
  std::cout << "seeded " << ListWholeUrlCache().size() << '\n';
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  try {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "seed" && argc == 3) return Seed(argv[2]);
    if (command == "seed-many" && argc == 3)
      return SeedMany(static_cast<unsigned>(std::stoul(argv[2])));
    if (command == "config" && argc >= 5 && argc <= 7)
      return Config(argv[2], argv[3], argv[4], argc >= 6 ? std::max(1, std::atoi(argv[5])) : 1,
                    argc == 7 && std::string(argv[6]) == "watch");
    if (command == "add" && argc == 4)
      return Add(argv[2], static_cast<uint32_t>(std::stoul(argv[3])));
  } catch (const std::exception &e) {
    std::cerr << "nvguihost: " << e.what() << '\n';
    return 2;
  }
  std::cerr << "usage: nvguihost seed FILE | seed-many N | add URL SIZE | config DLL INI SECTION "
               "[CALLS [watch]]\n";
  return 2;
}
