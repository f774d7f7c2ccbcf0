#pragma once
// What the form's window holds for its lifetime or its modal run: its own
// window class, and the thread's other windows disabled.
#include <vector>

#include "SystemHeaders.h"

// The form's own dialog class, so that tools find the dialog by class name.
// A DLL's classes are not unregistered when it is unloaded, so each dialog
// unregisters its own.
class TDialogClass {
public:
  explicit TDialogClass(const char *name);
  ~TDialogClass();
  TDialogClass(const TDialogClass &) = delete;
  TDialogClass &operator=(const TDialogClass &) = delete;

private:
  const char *Name;
  bool Registered = false;
};

// Disables the thread's other visible, enabled top-level windows for a
// scope and enables them again on every path. The system disables only a
// dialog's owner, and this dialog has none.
class TDisabledThreadWindows {
public:
  explicit TDisabledThreadWindows(HWND except);
  ~TDisabledThreadWindows();
  TDisabledThreadWindows(const TDisabledThreadWindows &) = delete;
  TDisabledThreadWindows &operator=(const TDisabledThreadWindows &) = delete;

private:
  static BOOL CALLBACK Collect(HWND window, LPARAM self);
  HWND Except;
  std::vector<HWND> Disabled;
};
