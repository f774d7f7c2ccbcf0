#include "Win32FormView.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "Glyphs.h"
#include "Handles.h"
#include "SysUtils.h"

namespace {

constexpr UINT kShownMessage = WM_APP + 1;
constexpr const char *kPanelClassName = "NvPanel";
constexpr const char *kNameProperty = "NvControl";
constexpr int kFirstControlId = 100;
constexpr int kGlyphSpacing = 4; // between a button's glyph and its caption

// The module this code lives in: the plug-in DLL, or a test program.
HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

// A window class registered for the life of one dialog. A DLL's classes are
// not unregistered when it is unloaded, so each dialog unregisters its own.
class TWindowClass {
public:
  TWindowClass(const char *name, WNDPROC procedure, HBRUSH background) : Name(name) {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    info.lpfnWndProc = procedure;
    info.hInstance = ThisModule();
    info.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    info.hbrBackground = background;
    info.lpszClassName = name;
    Registered = RegisterClassExA(&info) != 0;
  }
  ~TWindowClass() {
    if (Registered) UnregisterClassA(Name, ThisModule());
  }
  TWindowClass(const TWindowClass &) = delete;
  TWindowClass &operator=(const TWindowClass &) = delete;

private:
  const char *Name;
  bool Registered = false;
};

COLORREF ColorOf(uint32_t color, int systemColor) {
  return color == kNoColor ? GetSysColor(systemColor) : static_cast<COLORREF>(color);
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

class TWin32FormView;

// The window of one control. Child windows go with the dialog's window.
class TControlWindow : public IControlView {
public:
  TControlWindow(TWin32FormView &owner, TControl &control) : Owner(owner), Control(control) {}
  HWND Handle() const { return Window; }
  TControl &Model() const { return Control; }

  // Creates the window as a child of `parent`, at the control's place.
  void Create(HWND parent, int id);

  // A WM_COMMAND notification from the window.
  virtual void Command(WORD /*code*/) {}
  // A WM_NOTIFY notification from the window.
  virtual LRESULT Notify(const NMHDR & /*header*/) { return 0; }
  // WM_DRAWITEM for an owner-drawn window.
  virtual void Draw(const DRAWITEMSTRUCT & /*item*/) {}
  // WM_CTLCOLOR*: sets the text colour; true when the window is drawn on
  // its parent's background, false for the system's own look.
  virtual bool DrawsOnParent(HDC dc);

  void Refresh() override { EnableWindow(Window, Control.Enabled()); }

protected:
  virtual const char *ClassName() const = 0;
  virtual DWORD Style() const = 0;
  virtual DWORD ExtendedStyle() const { return 0; }
  virtual std::string Text() const { return {}; }
  virtual void Created() {}

  TWin32FormView &Owner;
  TControl &Control;
  HWND Window = nullptr;
};

class TPanelWindow : public TControlWindow {
public:
  TPanelWindow(TWin32FormView &owner, TPanel &panel)
      : TControlWindow(owner, panel), Panel(panel),
        Background(panel.Color == kNoColor ? nullptr : CreateSolidBrush(panel.Color)) {}
  HBRUSH BackgroundBrush() const {
    return Background ? static_cast<HBRUSH>(Background.Get()) : GetSysColorBrush(COLOR_BTNFACE);
  }
  void Paint();
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
  const char *ClassName() const override { return kPanelClassName; }
  DWORD Style() const override { return WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN; }
  DWORD ExtendedStyle() const override { return WS_EX_CONTROLPARENT; }

private:
  TPanel &Panel;
  TGdiObject Background;
};

class TLabelWindow : public TControlWindow {
public:
  TLabelWindow(TWin32FormView &owner, TLabel &label) : TControlWindow(owner, label), Label(label) {}

protected:
  const char *ClassName() const override { return "STATIC"; }
  DWORD Style() const override { return WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX; }
  std::string Text() const override { return Label.Caption; }
  void Created() override;

private:
  TLabel &Label;
};

class TCheckBoxWindow : public TControlWindow {
public:
  TCheckBoxWindow(TWin32FormView &owner, TCheckBox &box) : TControlWindow(owner, box), Box(box) {}
  void Refresh() override {
    SendMessageA(Window, BM_SETCHECK, Box.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    TControlWindow::Refresh();
  }
  void Command(WORD code) override;

protected:
  const char *ClassName() const override { return "BUTTON"; }
  DWORD Style() const override {
    return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX;
  }
  std::string Text() const override { return Box.Caption; }

private:
  TCheckBox &Box;
};

class TRadioButtonWindow : public TControlWindow {
public:
  TRadioButtonWindow(TWin32FormView &owner, TRadioButton &button, bool firstOfGroup)
      : TControlWindow(owner, button), Button(button), FirstOfGroup(firstOfGroup) {}
  void Refresh() override;
  void Command(WORD code) override;

protected:
  const char *ClassName() const override { return "BUTTON"; }
  DWORD Style() const override {
    return WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON | (FirstOfGroup ? WS_GROUP : 0u);
  }
  std::string Text() const override { return Button.Caption; }

private:
  TRadioButton &Button;
  bool FirstOfGroup;
};

class TEditWindow : public TControlWindow {
public:
  TEditWindow(TWin32FormView &owner, TEdit &edit) : TControlWindow(owner, edit), Edit(edit) {}
  void Refresh() override;
  void Command(WORD code) override;
  bool DrawsOnParent(HDC) override { return false; }

protected:
  const char *ClassName() const override { return "EDIT"; }
  DWORD Style() const override {
    return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL | ES_LEFT;
  }
  DWORD ExtendedStyle() const override { return WS_EX_CLIENTEDGE; }
  void Created() override { SendMessageA(Window, EM_SETLIMITTEXT, 0, 0); }

private:
  TEdit &Edit;
  bool Applying = false; // the window's text is being set from the control
};

class TListViewWindow : public TControlWindow, public IListViewDisplay {
public:
  TListViewWindow(TWin32FormView &owner, TListView &list)
      : TControlWindow(owner, list), List(list) {}
  void Refresh() override;
  void SuspendPainting() override { SendMessageA(Window, WM_SETREDRAW, FALSE, 0); }
  void ResumePainting() override;
  LRESULT Notify(const NMHDR &header) override;
  bool DrawsOnParent(HDC) override { return false; }

protected:
  const char *ClassName() const override { return WC_LISTVIEWA; }
  DWORD Style() const override {
    return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SINGLESEL |
           LVS_OWNERDATA;
  }
  DWORD ExtendedStyle() const override { return WS_EX_CLIENTEDGE; }
  void Created() override;

private:
  void ShowRowCount() const {
    SendMessageA(Window, LVM_SETITEMCOUNT, static_cast<WPARAM>(List.RowCount()), 0);
  }
  TListView &List;
};

class TButtonWindow : public TControlWindow {
public:
  TButtonWindow(TWin32FormView &owner, TButton &button, TGlyphImage glyph)
      : TControlWindow(owner, button), Button(button), Glyph(glyph) {}
  void Command(WORD code) override;
  void Draw(const DRAWITEMSTRUCT &item) override;

protected:
  const char *ClassName() const override { return "BUTTON"; }
  DWORD Style() const override { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW; }
  std::string Text() const override { return Button.Caption; }

private:
  void DrawGlyph(HDC dc, int left, int top, bool disabled) const;
  TButton &Button;
  TGlyphImage Glyph;
};

// Disables the thread's other visible, enabled top-level windows for a
// scope, as a modal dialog does, and enables them again on every path.
class TDisabledThreadWindows {
public:
  explicit TDisabledThreadWindows(HWND except) : Except(except) {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
  }
  ~TDisabledThreadWindows() {
    for (HWND window : Disabled)
      if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  TDisabledThreadWindows(const TDisabledThreadWindows &) = delete;
  TDisabledThreadWindows &operator=(const TDisabledThreadWindows &) = delete;

private:
  static BOOL CALLBACK Collect(HWND window, LPARAM self) {
    auto &me = *reinterpret_cast<TDisabledThreadWindows *>(self);
    if (window != me.Except && IsWindowVisible(window) && IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      me.Disabled.push_back(window);
    }
    return TRUE;
  }
  HWND Except;
  std::vector<HWND> Disabled;
};

class TWin32FormView : public IFormView {
public:
  explicit TWin32FormView(TConfForm &form);
  ~TWin32FormView() override;
  TWin32FormView(const TWin32FormView &) = delete;
  TWin32FormView &operator=(const TWin32FormView &) = delete;

  void ShowModal() override;
  void ShowFailure(const std::string &message) override;

  // Runs a control's event as the message loop does (failures shown in the
  // error box).
  void RunEvent(const std::function<void()> &event) { Form.HandleEvent(event); }
  // The font a control's style asks for.
  HFONT FontFor(const TFontStyle &style) const;
  // WM_COMMAND, WM_NOTIFY, WM_DRAWITEM and WM_CTLCOLOR* sent to a panel or
  // to the form by one of the controls.
  bool ChildMessage(HBRUSH background, UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result);
  // Runs `message` for one of the windows; a failure of the window code is
  // shown like a handler's and never unwinds through the system's frames.
  template <typename F> LRESULT Guarded(F message) noexcept;

private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT FormMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateWindows();
  void CreateChildren(TPanel *parent, HWND parentWindow);
  TControlWindow *MakeWindow(TControl &control);
  TControlWindow *WindowOf(HWND window) const;
  void ClickButton(TButton &button);
  void RunMessageLoop();
  void Centre() const;

  TConfForm &Form;
  TWindowClass FormClass;
  TWindowClass PanelClass;
  TGdiObject RegularFont, BoldFont, CaptionFont;
  std::vector<std::unique_ptr<TControlWindow>> Windows;
  std::map<HWND, TControlWindow *> ByHandle;
  std::map<const TControl *, TControlWindow *> ByControl;
  TWindowHandle Window;
  HWND FocusedControl = nullptr; // where the focus returns on activation
};

// ---- TControlWindow and its kinds ----

void TControlWindow::Create(HWND parent, int id) {
  const TBounds &b = Control.Bounds;
  Window = CreateWindowExA(ExtendedStyle(), ClassName(), Text().c_str(), Style(), b.Left, b.Top,
                           b.Width, b.Height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), this);
  if (!Window) throw Exception("Cannot create the window of " + Control.Name);
  SetPropA(Window, kNameProperty, const_cast<char *>(Control.Name.c_str()));
  // Windows are created in tab order: each goes to the bottom of its parent's
  // z-order, which is the order Tab follows.
  SetWindowPos(Window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageA(Window, WM_SETFONT, reinterpret_cast<WPARAM>(Owner.FontFor(Control.Font)), FALSE);
  Created();
  Refresh();
}

bool TControlWindow::DrawsOnParent(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorOf(Control.Font.Color, COLOR_WINDOWTEXT));
  return true;
}

void TPanelWindow::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Window, &paint);
  RECT area;
  GetClientRect(Window, &area);
  FillRect(dc, &area, BackgroundBrush());
  auto bevel = [&](TBevel kind) {
    if (kind == TBevel::None) return;
    DrawEdge(dc, &area, kind == TBevel::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER,
             BF_RECT | BF_ADJUST);
  };
  bevel(Panel.BevelOuter);
  bevel(Panel.BevelInner);
  EndPaint(Window, &paint);
}

void TLabelWindow::Created() {
  if (!Label.AutoSize) return;
  // The width follows the text in the label's font.
  HDC dc = GetDC(Window);
  HGDIOBJ old = SelectObject(dc, Owner.FontFor(Label.Font));
  SIZE extent{};
  GetTextExtentPoint32A(dc, Label.Caption.c_str(), static_cast<int>(Label.Caption.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(Window, dc);
  Label.Bounds.Width = extent.cx;
  SetWindowPos(Window, nullptr, 0, 0, extent.cx, Label.Bounds.Height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCheckBoxWindow::Command(WORD code) {
  if (code != BN_CLICKED) return;
  const bool checked = SendMessageA(Window, BM_GETCHECK, 0, 0) == BST_CHECKED;
  Owner.RunEvent([&] { Box.SetChecked(checked); });
}

void TRadioButtonWindow::Refresh() {
  SendMessageA(Window, BM_SETCHECK, Button.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
  // Only the checked button of a group is a tab stop; the arrow keys move
  // within the group.
  LONG_PTR style = GetWindowLongPtrA(Window, GWL_STYLE);
  style = Button.Checked() ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
  SetWindowLongPtrA(Window, GWL_STYLE, style);
  TControlWindow::Refresh();
}

void TRadioButtonWindow::Command(WORD code) {
  if (code != BN_CLICKED) return;
  Owner.RunEvent([&] { Button.SetChecked(true); });
}

void TEditWindow::Refresh() {
  if (WindowText(Window) != Edit.Text()) {
    Applying = true;
    SetWindowTextA(Window, Edit.Text().c_str());
    Applying = false;
  }
  TControlWindow::Refresh();
}

void TEditWindow::Command(WORD code) {
  if (code != EN_CHANGE || Applying) return;
  const std::string text = WindowText(Window);
  Owner.RunEvent([&] { Edit.TextEdited(text); });
}

void TListViewWindow::Created() {
  List.AttachListView(this);
  SendMessageA(Window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  int index = 0;
  for (const TListColumn &column : List.Columns) {
    LVCOLUMNA info{};
    info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    info.cx = column.Width;
    info.pszText = const_cast<char *>(column.Caption.c_str());
    info.iSubItem = index;
    SendMessageA(Window, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&info));
    ++index;
  }
}

void TListViewWindow::Refresh() {
  ShowRowCount();
  InvalidateRect(Window, nullptr, TRUE);
  TControlWindow::Refresh();
}

void TListViewWindow::ResumePainting() {
  ShowRowCount();
  SendMessageA(Window, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(Window, nullptr, nullptr,
               RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LRESULT TListViewWindow::Notify(const NMHDR &header) {
  // The rows live in the control; the window asks for each cell it shows.
  if (header.code == LVN_GETDISPINFOA) {
    auto &item = reinterpret_cast<NMLVDISPINFOA &>(const_cast<NMHDR &>(header)).item;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && item.iItem >= 0 &&
        static_cast<size_t>(item.iItem) < List.RowCount() && item.iSubItem >= 0 &&
        item.iSubItem < 3)
      lstrcpynA(item.pszText,
                List.Cell(static_cast<size_t>(item.iItem), static_cast<size_t>(item.iSubItem)),
                item.cchTextMax);
  } else if (header.code == LVN_GETDISPINFOW) {
    auto &item = reinterpret_cast<NMLVDISPINFOW &>(const_cast<NMHDR &>(header)).item;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0 && item.iItem >= 0 &&
        static_cast<size_t>(item.iItem) < List.RowCount() && item.iSubItem >= 0 &&
        item.iSubItem < 3) {
      const char *cell =
          List.Cell(static_cast<size_t>(item.iItem), static_cast<size_t>(item.iSubItem));
      if (!MultiByteToWideChar(CP_ACP, 0, cell, -1, item.pszText, item.cchTextMax))
        item.pszText[item.cchTextMax - 1] = L'\0';
    }
  }
  return 0;
}

void TButtonWindow::Command(WORD code) {
  if (code == BN_CLICKED) Owner.RunEvent([&] { Button.Click(); });
}

void TButtonWindow::DrawGlyph(HDC dc, int left, int top, bool disabled) const {
  const int offset = disabled ? kGlyphSize : 0;
  for (int y = 0; y < kGlyphSize; ++y)
    for (int x = 0; x < kGlyphSize; ++x) {
      const uint8_t index = Glyph.At(offset + x, y);
      if (index != kGlyphTransparent) SetPixelV(dc, left + x, top + y, kGlyphPalette[index]);
    }
}

void TButtonWindow::Draw(const DRAWITEMSTRUCT &item) {
  HDC dc = item.hDC;
  RECT frame = item.rcItem;
  const bool pushed = item.itemState & ODS_SELECTED;
  const bool disabled = item.itemState & ODS_DISABLED;
  if (Button.Default) {
    FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&frame, -1, -1);
  }
  const UINT look = DFCS_BUTTONPUSH | (pushed ? UINT{DFCS_PUSHED} : 0u);
  DrawFrameControl(dc, &frame, DFC_BUTTON, look);

  HGDIOBJ oldFont = SelectObject(dc, Owner.FontFor(Button.Font));
  SIZE text{};
  GetTextExtentPoint32A(dc, Button.Caption.c_str(), static_cast<int>(Button.Caption.size()), &text);
  const int shift = pushed ? 1 : 0;
  const int width = kGlyphSize + kGlyphSpacing + text.cx;
  const int left = (item.rcItem.left + item.rcItem.right - width) / 2 + shift;
  const int middle = (item.rcItem.top + item.rcItem.bottom) / 2 + shift;
  DrawGlyph(dc, left, middle - kGlyphSize / 2, disabled);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  TextOutA(dc, left + kGlyphSize + kGlyphSpacing, middle - text.cy / 2, Button.Caption.c_str(),
           static_cast<int>(Button.Caption.size()));
  SelectObject(dc, oldFont);

  if (item.itemState & ODS_FOCUS) {
    RECT focus = frame;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

// ---- TWin32FormView ----

template <typename F> LRESULT TWin32FormView::Guarded(F message) noexcept {
  try {
    return message();
  } catch (const std::exception &failure) {
    ShowFailure(failure.what());
  } catch (...) {
    ShowFailure("Unexpected failure in the options dialog");
  }
  return 0;
}

LRESULT CALLBACK TPanelWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto *create = reinterpret_cast<CREATESTRUCTA *>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto *panel = reinterpret_cast<TPanelWindow *>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!panel) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
  case WM_PAINT: panel->Paint(); return 0;
  case WM_ERASEBKGND: return 1;
  default:
    return panel->Owner.Guarded([&] {
      LRESULT result = 0;
      if (panel->Owner.ChildMessage(panel->BackgroundBrush(), message, wParam, lParam, result))
        return result;
      return DefWindowProcA(window, message, wParam, lParam);
    });
  }
}

TWin32FormView::TWin32FormView(TConfForm &form)
    : Form(form), FormClass(kConfFormClassName, &Procedure, GetSysColorBrush(COLOR_BTNFACE)),
      PanelClass(kPanelClassName, &TPanelWindow::Procedure, nullptr) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  auto font = [](int height, bool bold) {
    return TGdiObject(CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif"));
  };
  RegularFont = font(11, false);
  BoldFont = font(11, true);
  CaptionFont = font(13, true);
  CreateWindows();
  Form.AttachView(this);
}

TWin32FormView::~TWin32FormView() {
  Form.AttachView(nullptr);
  for (const auto &window : Windows) {
    window->Model().AttachView(nullptr);
    if (auto *list = dynamic_cast<TListView *>(&window->Model())) list->AttachListView(nullptr);
  }
  Window.Reset();
}

HFONT TWin32FormView::FontFor(const TFontStyle &style) const {
  const TGdiObject &font =
      style.HeightPx > 11 ? CaptionFont : (style.Bold ? BoldFont : RegularFont);
  return static_cast<HFONT>(font.Get());
}

void TWin32FormView::CreateWindows() {
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD extended = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  RECT outer{0, 0, Form.ClientWidth, Form.ClientHeight};
  AdjustWindowRectEx(&outer, style, FALSE, extended);
  Window.Reset(CreateWindowExA(extended, kConfFormClassName, Form.Caption.c_str(), style, 0, 0,
                               outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                               ThisModule(), this));
  if (!Window) throw Exception("Cannot create the options dialog's window");
  SetPropA(Window.Get(), kNameProperty, const_cast<char *>("ConfForm"));
  SendMessageA(Window.Get(), WM_SETFONT, reinterpret_cast<WPARAM>(RegularFont.Get()), FALSE);
  CreateChildren(nullptr, Window.Get());
}

void TWin32FormView::CreateChildren(TPanel *parent, HWND parentWindow) {
  std::vector<TControl *> children;
  for (TControl *control : Form.Controls())
    if (control->Parent == parent) children.push_back(control);
  // Tab order first; controls that take no focus after them.
  std::stable_sort(children.begin(), children.end(), [](TControl *a, TControl *b) {
    const int ta = a->TabOrder < 0 ? 1000 : a->TabOrder;
    const int tb = b->TabOrder < 0 ? 1000 : b->TabOrder;
    return ta < tb;
  });
  for (TControl *control : children) {
    TControlWindow *window = MakeWindow(*control);
    int id = kFirstControlId + static_cast<int>(Windows.size());
    if (control == &Form.BitBtn2) id = IDOK;
    if (control == &Form.BitBtn1) id = IDCANCEL;
    window->Create(parentWindow, id);
    ByHandle[window->Handle()] = window;
    ByControl[control] = window;
    if (auto *panel = dynamic_cast<TPanel *>(control)) CreateChildren(panel, window->Handle());
  }
}

TControlWindow *TWin32FormView::MakeWindow(TControl &control) {
  std::unique_ptr<TControlWindow> window;
  if (auto *panel = dynamic_cast<TPanel *>(&control))
    window = std::make_unique<TPanelWindow>(*this, *panel);
  else if (auto *label = dynamic_cast<TLabel *>(&control))
    window = std::make_unique<TLabelWindow>(*this, *label);
  else if (auto *box = dynamic_cast<TCheckBox *>(&control))
    window = std::make_unique<TCheckBoxWindow>(*this, *box);
  else if (auto *radio = dynamic_cast<TRadioButton *>(&control)) {
    const bool first = radio == &Form.rbDeleteCacheAll || radio == &Form.rbDeleteCookiesAll ||
                       radio == &Form.rbDeleteHistoryAll;
    window = std::make_unique<TRadioButtonWindow>(*this, *radio, first);
  } else if (auto *edit = dynamic_cast<TEdit *>(&control))
    window = std::make_unique<TEditWindow>(*this, *edit);
  else if (auto *list = dynamic_cast<TListView *>(&control))
    window = std::make_unique<TListViewWindow>(*this, *list);
  else if (auto *button = dynamic_cast<TButton *>(&control))
    window = std::make_unique<TButtonWindow>(*this, *button,
                                             button->Default ? TickGlyph() : CrossGlyph());
  else
    throw Exception("No window for the control " + control.Name);
  control.AttachView(window.get());
  Windows.push_back(std::move(window));
  return Windows.back().get();
}

TControlWindow *TWin32FormView::WindowOf(HWND window) const {
  auto found = ByHandle.find(window);
  return found == ByHandle.end() ? nullptr : found->second;
}

bool TWin32FormView::ChildMessage(HBRUSH background, UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT &result) {
  switch (message) {
  case WM_COMMAND:
    if (TControlWindow *child = WindowOf(reinterpret_cast<HWND>(lParam))) {
      child->Command(HIWORD(wParam));
      result = 0;
      return true;
    }
    return false;
  case WM_NOTIFY: {
    const auto &header = *reinterpret_cast<const NMHDR *>(lParam);
    if (TControlWindow *child = WindowOf(header.hwndFrom)) {
      result = child->Notify(header);
      return true;
    }
    return false;
  }
  case WM_DRAWITEM: {
    const auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
    if (TControlWindow *child = WindowOf(item.hwndItem)) {
      child->Draw(item);
      result = TRUE;
      return true;
    }
    return false;
  }
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORBTN: {
    TControlWindow *child = WindowOf(reinterpret_cast<HWND>(lParam));
    if (!child || !child->DrawsOnParent(reinterpret_cast<HDC>(wParam))) return false;
    result = reinterpret_cast<LRESULT>(background);
    return true;
  }
  default: return false;
  }
}

void TWin32FormView::ClickButton(TButton &button) {
  if (button.Enabled()) RunEvent([&] { button.Click(); });
}

LRESULT CALLBACK TWin32FormView::Procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto *create = reinterpret_cast<CREATESTRUCTA *>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto *view = reinterpret_cast<TWin32FormView *>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!view || !view->Window) return DefWindowProcA(window, message, wParam, lParam);
  return view->Guarded([&] { return view->FormMessage(message, wParam, lParam); });
}

LRESULT TWin32FormView::FormMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = Window.Get();
  LRESULT result = 0;
  switch (message) {
  case WM_COMMAND:
    if (ChildMessage(GetSysColorBrush(COLOR_BTNFACE), message, wParam, lParam, result))
      return result;
    // Enter and Escape, sent by the dialog manager.
    if (LOWORD(wParam) == IDOK) ClickButton(Form.BitBtn2);
    if (LOWORD(wParam) == IDCANCEL) ClickButton(Form.BitBtn1);
    return 0;
  case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);
  case WM_CLOSE: Form.ModalResult = mrCancel; return 0;
  case WM_ACTIVATE:
    // Keep the focus on a control across activation, as a dialog does; the
    // default would put it on the form window itself.
    if (LOWORD(wParam) == WA_INACTIVE) {
      if (HWND focus = GetFocus(); focus && IsChild(window, focus)) FocusedControl = focus;
    } else if (FocusedControl) {
      SetFocus(FocusedControl);
    }
    return 0;
  case WM_SETFOCUS:
    if (FocusedControl) SetFocus(FocusedControl);
    return 0;
  case kShownMessage: Form.Shown(); return 0;
  default:
    if (ChildMessage(GetSysColorBrush(COLOR_BTNFACE), message, wParam, lParam, result))
      return result;
    return DefWindowProcA(window, message, wParam, lParam);
  }
}

void TWin32FormView::Centre() const {
  RECT frame;
  GetWindowRect(Window.Get(), &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(Window.Get(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32FormView::RunMessageLoop() {
  HWND window = Window.Get();
  HWND cancel = ByControl.at(&Form.BitBtn1)->Handle();
  MSG message;
  while (Form.ModalResult == mrNone) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) { // WM_QUIT: pass it on to the host's loop
      PostQuitMessage(static_cast<int>(message.wParam));
      Form.ModalResult = mrCancel;
      break;
    }
    if (got < 0) {
      Form.ModalResult = mrCancel;
      break;
    }
    // Enter on the focused Cancel button presses Cancel, not the default.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && GetFocus() == cancel) {
      ClickButton(Form.BitBtn1);
      continue;
    }
    if (IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void TWin32FormView::ShowModal() {
  HWND window = Window.Get();
  HWND previous = GetActiveWindow();
  {
    TDisabledThreadWindows disabled(window);
    Centre();
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    FocusedControl = ByControl.at(&Form.cbDeleteHistory)->Handle();
    SetFocus(FocusedControl);
    UpdateWindow(window);
    PostMessageA(window, kShownMessage, 0, 0);
    RunMessageLoop();
  }
  // The host's windows are enabled again before the dialog goes, so that
  // activation returns to them.
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (previous && IsWindow(previous)) SetActiveWindow(previous);
}

void TWin32FormView::ShowFailure(const std::string &message) {
  MessageBoxA(Window.Get(), message.c_str(), kFailureBoxTitle, MB_OK | MB_ICONERROR);
}

} // namespace

std::unique_ptr<IFormView> CreateWin32FormView(TConfForm &form) {
  return std::make_unique<TWin32FormView>(form);
}
