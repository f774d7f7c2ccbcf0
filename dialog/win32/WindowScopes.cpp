#include "WindowScopes.h"

#include "CommonControls.h"

TDialogClass::TDialogClass(const char *name) : Name(name) {
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  info.lpfnWndProc = DefDlgProcA;
  info.cbWndExtra = DLGWINDOWEXTRA;
  info.hInstance = ThisModule();
  info.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
  info.lpszClassName = name;
  Registered = RegisterClassExA(&info) != 0;
}

TDialogClass::~TDialogClass() {
  if (Registered) UnregisterClassA(Name, ThisModule());
}

TDisabledThreadWindows::TDisabledThreadWindows(HWND except) : Except(except) {
  EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
}

TDisabledThreadWindows::~TDisabledThreadWindows() {
  for (HWND window : Disabled)
    if (IsWindow(window)) EnableWindow(window, TRUE);
}

BOOL CALLBACK TDisabledThreadWindows::Collect(HWND window, LPARAM self) {
  auto &me = *reinterpret_cast<TDisabledThreadWindows *>(self);
  if (window != me.Except && IsWindowVisible(window) && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    me.Disabled.push_back(window);
  }
  return TRUE;
}
