#include "PanelLink.h"

#include "CommonControls.h"
#include "DialogTemplate.h"
#include "SysUtils.h"

TPanelLink::TPanelLink(IFormWindow &owner, TPanel &panel, int id)
    : TLinkTo(owner, panel, id),
      Brush(panel.Color == kNoColor ? nullptr : CreateSolidBrush(panel.Color)) {}

HBRUSH TPanelLink::Background() const {
  return Brush ? static_cast<HBRUSH>(Brush.Get()) : GetSysColorBrush(COLOR_BTNFACE);
}

HWND TPanelLink::MakeWindow(HWND parentWindow) {
  constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | DS_CONTROL;
  TDialogTemplate dialog(kStyle, WS_EX_CONTROLPARENT, "", "", kDialogFont);
  bool afterRadio = false;
  for (TControlLink *child : Owner.ChildrenOf(&Shown)) {
    const std::optional<TWindowKind> kind = child->TemplateItem(afterRadio);
    if (!kind) continue; // a dialog of its own
    dialog.AddItem(kind->ClassName, kind->Text, child->ControlId(), kind->Style,
                   kind->ExtendedStyle);
    afterRadio = child->IsRadio();
  }
  HWND window =
      CreateDialogIndirectParamA(ThisModule(), dialog.Get(), parentWindow,
                                 &DialogProcedure<TPanelLink>, reinterpret_cast<LPARAM>(this));
  if (!window) throw Exception("Cannot create the window of " + Shown.Name);
  return window;
}

INT_PTR TPanelLink::Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG: return FALSE; // the focus is the form's to set
  case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(Background());
  case WM_CTLCOLORSTATIC:
    return ChildColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
  case WM_PAINT: PaintBevels(window); return TRUE;
  case WM_COMMAND: Owner.Command(LOWORD(wParam), HIWORD(wParam)); return TRUE;
  case WM_NOTIFY: Owner.Notify(*reinterpret_cast<NMHDR *>(lParam)); return TRUE;
  default: return FALSE;
  }
}

void TPanelLink::PaintBevels(HWND window) const {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT area;
  GetClientRect(window, &area);
  for (TBevel bevel : {Shown.BevelOuter, Shown.BevelInner})
    if (bevel != TBevel::None)
      DrawEdge(dc, &area, bevel == TBevel::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER,
               BF_RECT | BF_ADJUST);
  EndPaint(window, &paint);
}

// Each static window's link says its colours on the panel's background
// (labels: their font's); other controls keep the system's.
INT_PTR TPanelLink::ChildColours(HDC dc, HWND child) const {
  const TControlLink *link = Owner.LinkOf(GetDlgCtrlID(child));
  return link ? link->StaticColours(dc, Background()) : FALSE;
}
