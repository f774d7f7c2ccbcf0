#include "Win32FormView.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "CommonControls.h"
#include "ControlLink.h"
#include "Glyphs.h"
#include "LinkFactory.h"
#include "SysUtils.h"
#include "WindowScopes.h"

// The form is a dialog built from an in-memory template, each panel a child
// dialog (DS_CONTROL) holding its controls, and the modal loop hands every
// message to IsDialogMessageA: the dialog manager does the keyboard (Tab and
// Shift+Tab, arrows within a radio group, Enter for the focused or default
// button, Escape for Cancel) and keeps the focus across deactivation. What
// stays here is what the system cannot do: pixel placement, mirroring the
// form's controls through one link per control (the kinds' own work is in
// their links), and disabling the host's windows while the dialog, which has
// no owner, runs.

namespace {

constexpr int kFirstControlId = 100;

// The messages posted to the dialog window, all handled by
// TWin32FormView::OnPostedMessage. Post them to the window, not to the
// thread: a message box's own loop dispatches the first and drops the second.
enum TPostedMessage : UINT {
  kFormShown = WM_APP + 1, // the form is visible: show the failures kept while it was filled
  kWorkPosted,             // another thread posted work for the dialog's thread
};

class TWin32FormView : public IFormView, public IFormWindow {
public:
  explicit TWin32FormView(TForm &form);
  ~TWin32FormView() override;
  TWin32FormView(const TWin32FormView &) = delete;
  TWin32FormView &operator=(const TWin32FormView &) = delete;

  void ShowModal() override;
  void ShowFailure(const std::string &message) override;
  void FocusAtEnd(TEdit &edit) override;
  void Post(std::function<void()> work) override;
  std::unique_ptr<IFormView> ViewFor(TForm &form) override {
    return std::make_unique<TWin32FormView>(form);
  }

  // The form dialog's procedure.
  INT_PTR Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // IFormWindow
  void RunEvent(const std::function<void()> &event) override { Form.HandleEvent(event); }
  HFONT FontFor(const TFontStyle &style) const override;
  HIMAGELIST GlyphsFor(const TButton &button) const override {
    if (button.Default) return Tick.Get();
    return button.Cancel ? Cross.Get() : nullptr;
  }
  TControlLink *LinkOf(int id) const override;
  std::vector<TControlLink *> ChildrenOf(const TPanel *parent) const override;
  void Command(int id, WORD code) override;
  void Notify(NMHDR &header) override;

private:
  // Runs the view's part of a message; a failure of it is shown like a
  // handler's and never unwinds through the system's frames.
  template <typename F> void Guarded(F action) noexcept;
  void MakeLinks();
  void CreateFormWindow();
  void LayOut(const TPanel *parent, HWND parentWindow);
  void PlaceCentred() const;
  void RunMessageLoop();
  void OnPostedMessage(UINT message);
  void RunPostedWork();

  TForm &Form;
  const std::string ClassName; // "Nv" and the form's name
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

TWin32FormView::TWin32FormView(TForm &form)
    : Form(form), ClassName("Nv" + form.Name), FormClass(ClassName.c_str()) {
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
  for (TControl *control : Form.Controls())
    Links.push_back(MakeControlLink(*this, *control, id++));
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
  const TDialogTemplate dialog(kStyle, 0, ClassName.c_str(), Form.Caption, kDialogFont);
  Window.Reset(CreateDialogIndirectParamA(ThisModule(), dialog.Get(), nullptr,
                                          &DialogProcedure<TWin32FormView>,
                                          reinterpret_cast<LPARAM>(this)));
  if (!Window) throw Exception("Cannot create the window of " + Form.Caption);
  SetPropA(Window.Get(), kNameProperty, const_cast<char *>(Form.Name.c_str()));
  PlaceCentred();
}

// Makes or finds each control's window, in tab order, and the windows inside
// a panel's.
void TWin32FormView::LayOut(const TPanel *parent, HWND parentWindow) {
  HWND previous = HWND_TOP;
  for (TControlLink *child : ChildrenOf(parent)) {
    HWND window = child->MakeWindow(parentWindow);
    if (!window) throw Exception("No window for the control " + child->Model().Name);
    child->Attach(window, previous);
    if (const TPanel *inner = child->Container()) LayOut(inner, window);
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
