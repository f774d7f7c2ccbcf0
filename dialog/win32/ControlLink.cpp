#include "ControlLink.h"

#include <algorithm>

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

void ShowChecked(HWND button, bool checked) {
  SendMessageA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool ShownChecked(HWND button) { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TControlLink::Attach(HWND window, HWND previous) {
  Window = window;
  SetPropA(window, kNameProperty, const_cast<char *>(Control.Name.c_str()));
  if (HFONT font = Owner.FontFor(Control.Font))
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  Fit();
  const TBounds &b = Control.Bounds;
  SetWindowPos(window, previous, b.Left, b.Top, b.Width, b.Height, SWP_NOACTIVATE);
  Control.AttachView(this);
  Attached();
  Refresh();
}

void TControlLink::Detach() {
  Control.AttachView(nullptr);
  if (Window) RemovePropA(Window, kNameProperty);
}

void TControlLink::Refresh() {
  ShowState();
  EnableWindow(Window, Control.Enabled());
}
