// nvguihost: a Norvane host for the dialog's GUI tests, run under Wine.
//
//   nvguihost seed FILE               empties the URL cache, then adds the
//                                     entries of FILE ("URL<TAB>SIZE" a line)
//   nvguihost seed-many N             empties the cache, adds N http entries
//   nvguihost config DLL INI SECTION  shows a host window, calls the plug-in's
//                                     GetConfigString, prints what came back
//   nvguihost time DLL N              times a refill of the cache list against
//                                     a bare enumeration (see TimePreview)
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
//   errorbox          the error box, if one is shown: its text and buttons
//   closebox          the screen point of the dialog's close box
//   screen NAME       the screen point at the centre of a control
//   host              whether the host window is enabled and active
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CacheSeeder.h"
#include "PluginApi.h"
#include "PluginLibrary.h"

namespace {

constexpr const char *kNameProperty = "NvControl";
constexpr const char *kFormClass = "NvConfForm";

HWND Dialog() {
  HWND window = FindWindowA(kFormClass, nullptr);
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

HWND Named(const std::string &name) {
  std::vector<HWND> all;
  if (HWND dialog = Dialog()) Collect(dialog, all);
  for (HWND window : all)
    if (NameOf(window) == name) return window;
  return nullptr;
}

void Dump(std::ostream &out) {
  std::vector<HWND> all;
  HWND dialog = Dialog();
  if (!dialog) return;
  Collect(dialog, all);
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
  out << "owner\t" << (GetWindow(box, GW_OWNER) == dialog ? "dialog" : "other") << '\n';
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (ClassOf(child) == "Button")
      out << "button\t" << TextOf(child) << '\n';
    else if ((style & SS_TYPEMASK) == SS_ICON)
      out << "icon\n";
    else if (!TextOf(child).empty())
      out << "text\t" << TextOf(child) << '\n';
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
    else
      out << "unknown command\n";
    std::cout << out.str() << ".\n" << std::flush;
  }
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

int Config(const char *dll, const char *ini, const char *section) {
  TPluginLibrary plugin(dll);
  auto configure = plugin.Export<TWorkingProc>("GetConfigString");
  HostWindow = CreateHostWindow();
  std::thread inspector(Inspector);
  inspector.detach();
  std::vector<char> buffer(1 << 16, '\xA5');
  char *text = buffer.data();
  const bool result = configure(ini, section, &text);
  std::ostringstream out;
  out << "text\t[" << (buffer[0] == '\xA5' ? "(untouched)" : std::string(buffer.data())) << "]\n";
  out << "result\t" << (result ? "true" : "false") << '\n';
  Host(out);
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
    if (command == "config" && argc == 5) return Config(argv[2], argv[3], argv[4]);
  } catch (const std::exception &e) {
    std::cerr << "nvguihost: " << e.what() << '\n';
    return 2;
  }
  std::cerr << "usage: nvguihost seed FILE | seed-many N | config DLL INI SECTION\n";
  return 2;
}
