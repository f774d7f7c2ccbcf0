#include "LabelLink.h"

std::optional<TWindowKind> TLabelLink::TemplateItem(bool) const {
  return TWindowKind{"Static", Shown.Caption(), kChildStyle | SS_LEFT | SS_NOPREFIX};
}

void TLabelLink::Fit() {
  if (!Shown.AutoSize) return;
  HDC dc = GetDC(Window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(Window, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32A(dc, Shown.Caption().c_str(), static_cast<int>(Shown.Caption().size()),
                        &extent);
  SelectObject(dc, old);
  ReleaseDC(Window, dc);
  Shown.Bounds.Width = extent.cx;
}

INT_PTR TLabelLink::StaticColours(HDC dc, HBRUSH background) const {
  SetBkMode(dc, TRANSPARENT);
  const uint32_t color = Shown.Font.Color;
  SetTextColor(dc,
               color == kNoColor ? GetSysColor(COLOR_WINDOWTEXT) : static_cast<COLORREF>(color));
  return reinterpret_cast<INT_PTR>(background);
}

// The label draws on a transparent background: the panel erases the old
// text under it first.
void TLabelLink::ShowState() {
  if (WindowText(Window) == Shown.Caption()) return;
  SetWindowTextA(Window, Shown.Caption().c_str());
  RECT place;
  GetWindowRect(Window, &place);
  HWND parent = GetParent(Window);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&place), 2);
  InvalidateRect(parent, &place, TRUE);
}
