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
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "CommonControls.h"
#include "DialogTemplate.h"
#include "Glyphs.h"
#include "SysUtils.h"

// The form is a dialog built from an in-memory template, each panel a child
// dialog (DS_CONTROL) holding its controls, and the modal loop hands every
// message to IsDialogMessageA: the dialog manager does the keyboard (Tab and
// Shift+Tab, arrows within a radio group, Enter for the focused or default
// button, Escape for Cancel) and keeps the focus across deactivation. What
// stays here is what the system cannot do: pixel placement, the panels'
// bevels and colours, the owner-data lists, mirroring the form's controls,
// and disabling the host's windows while the dialog, which has no owner, runs.

namespace {

constexpr const char *kNameProperty = "NvControl";
constexpr int kFirstControlId = 100;
constexpr int kCellsPerRow = 3; // a list row: its caption and two sub-items
constexpr TTemplateFont kDialogFont{8, "MS Sans Serif"};

// The messages posted to the dialog window, all handled by
// TWin32FormView::OnPostedMessage. Post them to the window, not to the
// thread: a message box's own loop dispatches the first and drops the second.
enum TPostedMessage : UINT {
  kFormShown = WM_APP + 1, // the form is visible: show the failures kept while it was filled
  kWorkPosted,             // another thread posted work for the dialog's thread
};

// The form's own dialog class, so that tools find the dialog by class name.
// A DLL's classes are not unregistered when it is unloaded, so each dialog
// unregisters its own.
class TDialogClass {
public:
  explicit TDialogClass(const char *name) : Name(name) {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    info.lpfnWndProc = DefDlgProcA;
    info.cbWndExtra = DLGWINDOWEXTRA;
    info.hInstance = ThisModule();
    info.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    info.lpszClassName = name;
    Registered = RegisterClassExA(&info) != 0;
  }
  ~TDialogClass() {
    if (Registered) UnregisterClassA(Name, ThisModule());
  }
  TDialogClass(const TDialogClass &) = delete;
  TDialogClass &operator=(const TDialogClass &) = delete;

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

int TextWidth(HWND window, const std::string &text) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return extent.cx;
}

// What a dialog template says of the system control that shows a form's
// control.
struct TWindowKind {
  const char *ClassName;
  std::string Text;
  DWORD Style;
  DWORD ExtendedStyle = 0;
};

// `afterRadio`: the control before this one in tab order is a radio button.
TWindowKind WindowKindOf(const TControl &control, bool afterRadio) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kStop = WS_TABSTOP | WS_GROUP;
  if (auto *label = dynamic_cast<const TLabel *>(&control))
    return {"Static", label->Caption, kChild | SS_LEFT | SS_NOPREFIX};
  if (auto *box = dynamic_cast<const TCheckBox *>(&control))
    return {"Button", box->Caption, kChild | kStop | BS_AUTOCHECKBOX};
  // A group of radio buttons begins at its first; checking one unchecks the
  // others and makes it the group's tab stop (the system does both).
  if (auto *radio = dynamic_cast<const TRadioButton *>(&control))
    return {"Button", radio->Caption, kChild | BS_AUTORADIOBUTTON | (afterRadio ? 0u : WS_GROUP)};
  if (dynamic_cast<const TEdit *>(&control))
    return {"Edit", "", kChild | kStop | ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE};
  if (dynamic_cast<const TListView *>(&control))
    return {WC_LISTVIEWA, "", kChild | kStop | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA,
            WS_EX_CLIENTEDGE};
  if (auto *button = dynamic_cast<const TButton *>(&control))
    return {"Button", button->Caption,
            kChild | WS_TABSTOP | (button->Default ? DWORD{BS_DEFPUSHBUTTON} : BS_PUSHBUTTON)};
  throw Exception("No window for the control " + control.Name);
}

template <typename T>
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class TWin32FormView;

// Shows one control of the form in the system window made for it: copies
// the control's state (enabled, checked, text) into the window and turns
// the window's notifications into the control's events.
class TControlLink : public IControlView {
public:
  TControlLink(TWin32FormView &owner, TControl &control, int id)
      : Owner(owner), Control(control), Id(id), Label(dynamic_cast<TLabel *>(&control)),
        Box(dynamic_cast<TCheckBox *>(&control)), Radio(dynamic_cast<TRadioButton *>(&control)),
        Edit(dynamic_cast<TEdit *>(&control)), Button(dynamic_cast<TButton *>(&control)) {}
  ~TControlLink() override = default;
  TControlLink(const TControlLink &) = delete;
  TControlLink &operator=(const TControlLink &) = delete;

  TControl &Model() const { return Control; }
  HWND Handle() const { return Window; }
  int ControlId() const { return Id; }
  bool IsLabel() const { return Label != nullptr; }

  // Takes `window` as the control's: names it, gives it its font, places it
  // in pixels (dialog units cannot express the layout) right after
  // `previous` in z-order, which is the tab order, and shows the state.
  void Attach(HWND window, HWND previous);
  // Lets go of the control and of the window.
  virtual void Detach();

  void Refresh() override;
  // A WM_COMMAND notification of the window.
  void Command(WORD code);
  // A WM_NOTIFY notification of the window.
  virtual void Notify(NMHDR & /*header*/) {}

protected:
  // The control's window is attached: set what the template cannot say.
  virtual void Attached();

  TWin32FormView &Owner;
  TControl &Control;
  const int Id;
  HWND Window = nullptr;

private:
  void ShowChecked(bool checked) const {
    SendMessageA(Window, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  void ShowText(const std::string &text);

  TLabel *const Label;
  TCheckBox *const Box;
  TRadioButton *const Radio;
  TEdit *const Edit;
  TButton *const Button;
  bool ShowingText = false; // the edit box's text is being set from the control
};

// A list view in owner-data mode: the rows stay in the control's storage and
// the list view asks for each cell it shows. The window learns of a refill
// only when its bracket closes, so nothing needs to stop it painting
// meanwhile; the bracket's end then paints the list once, at once.
class TListViewLink : public TControlLink, public IListViewDisplay {
public:
  TListViewLink(TWin32FormView &owner, TListView &list, int id)
      : TControlLink(owner, list, id), List(list) {}
  void Detach() override;
  void Refresh() override;
  void SuspendPainting() override {}
  void ResumePainting() override;
  void Notify(NMHDR &header) override;

protected:
  void Attached() override;

private:
  // Tells the window a row count that changed, and draws its frame and
  // scroll bar anew.
  void ShowRowCount();
  void PaintRows() const;
  void FillCell(LVITEMA &item) const;

  TListView &List;
  size_t ShownRows = 0;
};

// Keeps a window and its children from drawing for a scope without hiding
// them: WS_VISIBLE is cleared from its style and set again, as WM_SETREDRAW
// does, but without the style change reaching the children.
class TDrawingHeld {
public:
  explicit TDrawingHeld(HWND window) : Window(window), Style(GetWindowLongPtrA(window, GWL_STYLE)) {
    SetWindowLongPtrA(Window, GWL_STYLE, Style & ~LONG_PTR{WS_VISIBLE});
  }
  ~TDrawingHeld() { SetWindowLongPtrA(Window, GWL_STYLE, Style); }
  TDrawingHeld(const TDrawingHeld &) = delete;
  TDrawingHeld &operator=(const TDrawingHeld &) = delete;

private:
  HWND Window;
  LONG_PTR Style;
};

// A panel: a child dialog that holds the panel's controls, draws its bevels
// and background colour, and passes its controls' notifications to the form.
class TPanelView : public TControlLink {
public:
  TPanelView(TWin32FormView &owner, TPanel &panel, int id)
      : TControlLink(owner, panel, id), Panel(panel),
        Brush(panel.Color == kNoColor ? nullptr : CreateSolidBrush(panel.Color)) {}
  TPanel &Container() const { return Panel; }
  INT_PTR Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
  HBRUSH Background() const {
    return Brush ? static_cast<HBRUSH>(Brush.Get()) : GetSysColorBrush(COLOR_BTNFACE);
  }
  void PaintBevels(HWND window) const;
  INT_PTR LabelColours(HDC dc, HWND label) const;

  TPanel &Panel;
  TGdiObject Brush;
};

// Disables the thread's other visible, enabled top-level windows for a
// scope and enables them again on every path. The system disables only a
// dialog's owner, and this dialog has none.
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
  void FocusAtEnd(TEdit &edit) override;
  void Post(std::function<void()> work) override;

  INT_PTR Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Notifications of the control with id `id`, from any of the dialogs.
  void Command(int id, WORD code);
  void Notify(NMHDR &header);

  // Runs a control's event as the message loop does: a failure is shown in
  // the error box.
  void RunEvent(const std::function<void()> &event) { Form.HandleEvent(event); }
  // The font a control's style asks for; null for the dialog's own.
  HFONT FontFor(const TFontStyle &style) const;
  // The glyphs of a push button.
  HIMAGELIST GlyphsFor(const TButton &button) const {
    return (button.Default ? Tick : Cross).Get();
  }
  TControlLink *LinkOf(int id) const;

private:
  // Runs the view's part of a message; a failure of it is shown like a
  // handler's and never unwinds through the system's frames.
  template <typename F> void Guarded(F action) noexcept;
  void MakeLinks();
  void CreateFormWindow();
  HWND CreatePanel(TPanelView &panel, HWND parentWindow);
  void LayOut(TPanel *parent, HWND parentWindow);
  std::vector<TControlLink *> ChildrenOf(const TPanel *parent) const;
  void PlaceCentred() const;
  void RunMessageLoop();
  void OnPostedMessage(UINT message);
  void RunPostedWork();

  TConfForm &Form;
  TDialogClass FormClass;
  TGdiObject BoldFont, CaptionFont;
  TImageList Tick, Cross;
  std::vector<std::unique_ptr<TControlLink>> Links;
  TWindowHandle Window;

  // Work other threads posted, run on the dialog's thread by kWorkPosted.
  std::mutex PostedLock;
  std::deque<std::function<void()>> Posted; // guarded by PostedLock
  bool WakePosted = false;                  // guarded by PostedLock
};

// The dialog procedure of the form and of its panels: the object named by
// WM_INITDIALOG's parameter handles the messages.
template <typename T>
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
  auto *self = reinterpret_cast<T *>(GetWindowLongPtrA(window, DWLP_USER));
  return self ? self->Message(window, message, wParam, lParam) : FALSE;
}

// ---- TControlLink and its kinds ----

void TControlLink::Attach(HWND window, HWND previous) {
  Window = window;
  SetPropA(window, kNameProperty, const_cast<char *>(Control.Name.c_str()));
  if (HFONT font = Owner.FontFor(Control.Font))
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (Label && Label->AutoSize) Label->Bounds.Width = TextWidth(window, Label->Caption);
  const TBounds &b = Control.Bounds;
  SetWindowPos(window, previous, b.Left, b.Top, b.Width, b.Height, SWP_NOACTIVATE);
  Control.AttachView(this);
  Attached();
  Refresh();
}

void TControlLink::Attached() {
  if (Edit) SendMessageA(Window, EM_SETLIMITTEXT, 0, 0); // no length limit
  if (Button) {
    BUTTON_IMAGELIST glyphs{Owner.GlyphsFor(*Button), {4, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    SendMessageA(Window, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&glyphs));
  }
}

void TControlLink::Detach() {
  Control.AttachView(nullptr);
  if (Window) RemovePropA(Window, kNameProperty);
}

void TControlLink::Refresh() {
  if (Box) ShowChecked(Box->Checked());
  if (Radio) ShowChecked(Radio->Checked());
  if (Edit) ShowText(Edit->Text());
  EnableWindow(Window, Control.Enabled());
}

void TControlLink::ShowText(const std::string &text) {
  if (WindowText(Window) == text) return;
  ShowingText = true;
  SetWindowTextA(Window, text.c_str());
  ShowingText = false;
}

void TControlLink::Command(WORD code) {
  if (Edit && code == EN_CHANGE && !ShowingText) {
    const std::string text = WindowText(Window);
    Owner.RunEvent([&] { Edit->TextEdited(text); });
    return;
  }
  if (code != BN_CLICKED) return;
  const bool checked = (Box || Radio) && SendMessageA(Window, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (Box) Owner.RunEvent([&] { Box->SetChecked(checked); });
  if (Radio && checked) Owner.RunEvent([&] { Radio->SetChecked(true); });
  // A click, Enter or Escape; the dialog manager sends Escape's IDCANCEL
  // even when Cancel is disabled.
  if (Button && Button->Enabled()) Owner.RunEvent([&] { Button->Click(); });
}

void TListViewLink::Attached() {
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

void TListViewLink::Detach() {
  List.AttachListView(nullptr);
  TControlLink::Detach();
}

void TListViewLink::Refresh() {
  ShowRowCount();
  InvalidateRect(Window, nullptr, TRUE);
  TControlLink::Refresh();
}

// A list view sets its scroll bar's range twice for a new count (Wine), and
// the system draws the scroll bar each time, which costs more than the rows.
// With the list's panel held from drawing while it does so, the scroll bar
// is drawn once, with the frame, afterwards.
void TListViewLink::ShowRowCount() {
  if (List.RowCount() == ShownRows) return;
  ShownRows = List.RowCount();
  {
    const TDrawingHeld held(GetParent(Window));
    // The rows are painted by the caller; the list need not invalidate them.
    SendMessageA(Window, LVM_SETITEMCOUNT, static_cast<WPARAM>(ShownRows), LVSICF_NOINVALIDATEALL);
  }
  SendMessageA(Window, WM_NCPAINT, 1, 0);
}

// Paints the rows now. Not the column header, which a refill does not
// change and which costs as much as the rows to paint, unless it has
// something to paint (its width followed the scroll bar).
void TListViewLink::PaintRows() const {
  RECT rows;
  GetClientRect(Window, &rows);
  RECT header;
  if (GetWindowRect(ListView_GetHeader(Window), &header)) rows.top = header.bottom - header.top;
  RedrawWindow(Window, &rows, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TListViewLink::ResumePainting() {
  ShowRowCount();
  PaintRows();
}

void TListViewLink::FillCell(LVITEMA &item) const {
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0 || item.iItem < 0 ||
      static_cast<size_t>(item.iItem) >= List.RowCount() || item.iSubItem < 0 ||
      item.iSubItem >= kCellsPerRow)
    return;
  lstrcpynA(item.pszText,
            List.Cell(static_cast<size_t>(item.iItem), static_cast<size_t>(item.iSubItem)),
            item.cchTextMax);
}

// The panels are ANSI windows, so the list views ask in ANSI.
void TListViewLink::Notify(NMHDR &header) {
  if (header.code == LVN_GETDISPINFOA) FillCell(reinterpret_cast<NMLVDISPINFOA &>(header).item);
}

INT_PTR TPanelView::Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG: return FALSE; // the focus is the form's to set
  case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(Background());
  case WM_CTLCOLORSTATIC:
    return LabelColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
  case WM_PAINT: PaintBevels(window); return TRUE;
  case WM_COMMAND: Owner.Command(LOWORD(wParam), HIWORD(wParam)); return TRUE;
  case WM_NOTIFY: Owner.Notify(*reinterpret_cast<NMHDR *>(lParam)); return TRUE;
  default: return FALSE;
  }
}

void TPanelView::PaintBevels(HWND window) const {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT area;
  GetClientRect(window, &area);
  for (TBevel bevel : {Panel.BevelOuter, Panel.BevelInner})
    if (bevel != TBevel::None)
      DrawEdge(dc, &area, bevel == TBevel::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER,
               BF_RECT | BF_ADJUST);
  EndPaint(window, &paint);
}

// Labels are drawn in their font's colour on the panel's background; other
// controls keep the system's colours.
INT_PTR TPanelView::LabelColours(HDC dc, HWND label) const {
  const TControlLink *link = Owner.LinkOf(GetDlgCtrlID(label));
  if (!link || !link->IsLabel()) return FALSE;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorOf(link->Model().Font.Color, COLOR_WINDOWTEXT));
  return reinterpret_cast<INT_PTR>(Background());
}

// ---- TWin32FormView ----

TWin32FormView::TWin32FormView(TConfForm &form) : Form(form), FormClass(kConfFormClassName) {
  // The windows keep their classes once created; the context is needed only
  // while they are made.
  const TActivationContext commonControls = CommonControlsContext();
  const TActivation activation(commonControls);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  auto font = [](int height) {
    return TGdiObject(CreateFontA(-height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, kDialogFont.Face));
  };
  BoldFont = font(11);
  CaptionFont = font(13);
  Tick.Reset(CreateButtonGlyphs(TickGlyph()));
  Cross.Reset(CreateButtonGlyphs(CrossGlyph()));
  MakeLinks();
  CreateFormWindow();
  LayOut(nullptr, Window.Get());
  Form.AttachView(this);
}

TWin32FormView::~TWin32FormView() {
  Form.AttachView(nullptr);
  for (const auto &link : Links)
    link->Detach();
  RemovePropA(Window.Get(), kNameProperty);
  Window.Reset();
}

template <typename F> void TWin32FormView::Guarded(F action) noexcept {
  try {
    action();
  } catch (const std::exception &failure) {
    ShowFailure(failure.what());
  } catch (...) {
    ShowFailure("Unexpected failure in the options dialog");
  }
}

void TWin32FormView::MakeLinks() {
  int id = kFirstControlId;
  for (TControl *control : Form.Controls()) {
    if (auto *panel = dynamic_cast<TPanel *>(control))
      Links.push_back(std::make_unique<TPanelView>(*this, *panel, id));
    else if (auto *list = dynamic_cast<TListView *>(control))
      Links.push_back(std::make_unique<TListViewLink>(*this, *list, id));
    else if (auto *button = dynamic_cast<TButton *>(control))
      // The dialog manager's ids for Enter and Escape.
      Links.push_back(std::make_unique<TControlLink>(
          *this, *button, button->Default ? IDOK : (button->Cancel ? IDCANCEL : id)));
    else
      Links.push_back(std::make_unique<TControlLink>(*this, *control, id));
    ++id;
  }
}

TControlLink *TWin32FormView::LinkOf(int id) const {
  for (const auto &link : Links)
    if (link->ControlId() == id) return link.get();
  return nullptr;
}

std::vector<TControlLink *> TWin32FormView::ChildrenOf(const TPanel *parent) const {
  std::vector<TControlLink *> children;
  for (const auto &link : Links)
    if (link->Model().Parent == parent) children.push_back(link.get());
  // Tab order first; controls that take no focus after them.
  std::stable_sort(children.begin(), children.end(), [](TControlLink *a, TControlLink *b) {
    const int ta = a->Model().TabOrder < 0 ? 1000 : a->Model().TabOrder;
    const int tb = b->Model().TabOrder < 0 ? 1000 : b->Model().TabOrder;
    return ta < tb;
  });
  return children;
}

void TWin32FormView::CreateFormWindow() {
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
  const TDialogTemplate dialog(kStyle, 0, kConfFormClassName, Form.Caption, kDialogFont);
  Window.Reset(CreateDialogIndirectParamA(ThisModule(), dialog.Get(), nullptr,
                                          &DialogProcedure<TWin32FormView>,
                                          reinterpret_cast<LPARAM>(this)));
  if (!Window) throw Exception("Cannot create the options dialog's window");
  SetPropA(Window.Get(), kNameProperty, const_cast<char *>("ConfForm"));
  PlaceCentred();
}

HWND TWin32FormView::CreatePanel(TPanelView &panel, HWND parentWindow) {
  constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | DS_CONTROL;
  TDialogTemplate dialog(kStyle, WS_EX_CONTROLPARENT, "", "", kDialogFont);
  bool afterRadio = false;
  for (TControlLink *child : ChildrenOf(&panel.Container())) {
    if (dynamic_cast<TPanelView *>(child)) continue; // a child dialog of its own
    const TWindowKind kind = WindowKindOf(child->Model(), afterRadio);
    dialog.AddItem(kind.ClassName, kind.Text, child->ControlId(), kind.Style, kind.ExtendedStyle);
    afterRadio = dynamic_cast<TRadioButton *>(&child->Model()) != nullptr;
  }
  HWND window =
      CreateDialogIndirectParamA(ThisModule(), dialog.Get(), parentWindow,
                                 &DialogProcedure<TPanelView>, reinterpret_cast<LPARAM>(&panel));
  if (!window) throw Exception("Cannot create the window of " + panel.Container().Name);
  return window;
}

void TWin32FormView::LayOut(TPanel *parent, HWND parentWindow) {
  HWND previous = HWND_TOP;
  for (TControlLink *child : ChildrenOf(parent)) {
    auto *panel = dynamic_cast<TPanelView *>(child);
    HWND window =
        panel ? CreatePanel(*panel, parentWindow) : GetDlgItem(parentWindow, child->ControlId());
    if (!window) throw Exception("No window for the control " + child->Model().Name);
    child->Attach(window, previous);
    if (panel) LayOut(&panel->Container(), window);
    previous = window;
  }
}

// The template's dialog units cannot express the client size in pixels: the
// window is sized to it and centred on the screen.
void TWin32FormView::PlaceCentred() const {
  HWND window = Window.Get();
  RECT frame{0, 0, Form.ClientWidth, Form.ClientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT TWin32FormView::FontFor(const TFontStyle &style) const {
  if (style.HeightPx > 11) return static_cast<HFONT>(CaptionFont.Get());
  return style.Bold ? static_cast<HFONT>(BoldFont.Get()) : nullptr;
}

INT_PTR TWin32FormView::Message(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  // The form is hidden until ShowModal; the dialog manager sets the focus
  // when it is activated (setting it now would activate the hidden form).
  case WM_INITDIALOG: return FALSE;
  case WM_COMMAND: Command(LOWORD(wParam), HIWORD(wParam)); return TRUE;
  case WM_NOTIFY: Notify(*reinterpret_cast<NMHDR *>(lParam)); return TRUE;
  // Activated again (after another window had the focus): the cache may have
  // changed meanwhile. The dialog manager restores the focus itself.
  case WM_ACTIVATE:
    if (LOWORD(wParam) != WA_INACTIVE) Guarded([&] { RunEvent([&] { Form.Activated(); }); });
    return FALSE;
  default:
    if (message < WM_APP || message > 0xBFFF) return FALSE;
    OnPostedMessage(message);
    return TRUE;
  }
}

void TWin32FormView::Command(int id, WORD code) {
  if (TControlLink *link = LinkOf(id)) Guarded([&] { link->Command(code); });
}

void TWin32FormView::Notify(NMHDR &header) {
  if (TControlLink *link = LinkOf(static_cast<int>(header.idFrom)))
    Guarded([&] { link->Notify(header); });
}

// Every message posted to the dialog window comes here, from the modal loop
// or from a message box's loop while one is shown. Each runs as an event
// handler: a failure is shown in the error box and the dialog goes on.
void TWin32FormView::OnPostedMessage(UINT message) {
  Guarded([&] {
    RunEvent([&] {
      switch (message) {
      case kFormShown: Form.Shown(); break;
      case kWorkPosted: RunPostedWork(); break;
      default: break;
      }
    });
  });
}

void TWin32FormView::Post(std::function<void()> work) {
  const std::lock_guard guard(PostedLock);
  Posted.push_back(std::move(work));
  // One wake-up for a batch: the message queue never fills with them.
  if (!WakePosted) WakePosted = PostMessageA(Window.Get(), kWorkPosted, 0, 0) != FALSE;
}

// Each piece of work runs as its own event; a failure of one is shown and
// the others still run. The dialog may close meanwhile: the rest is dropped.
void TWin32FormView::RunPostedWork() {
  std::deque<std::function<void()>> batch;
  {
    const std::lock_guard guard(PostedLock);
    batch.swap(Posted);
    WakePosted = false;
  }
  for (const auto &work : batch) {
    if (Form.ModalResult != mrNone) break;
    RunEvent(work);
  }
}

void TWin32FormView::RunMessageLoop() {
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
    if (IsDialogMessageA(Window.Get(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void TWin32FormView::ShowModal() {
  HWND window = Window.Get();
  HWND previous = GetActiveWindow();
  {
    const TDisabledThreadWindows disabled(window);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    PostMessageA(window, kFormShown, 0, 0);
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

void TWin32FormView::FocusAtEnd(TEdit &edit) {
  for (const auto &link : Links) {
    if (&link->Model() != &edit) continue;
    HWND window = link->Handle();
    if (!IsWindowEnabled(window)) return;
    SetFocus(window);
    const auto end = static_cast<WPARAM>(GetWindowTextLengthA(window));
    SendMessageA(window, EM_SETSEL, end, static_cast<LPARAM>(end));
    return;
  }
}

} // namespace

std::unique_ptr<IFormView> CreateWin32FormView(TConfForm &form) {
  return std::make_unique<TWin32FormView>(form);
}
