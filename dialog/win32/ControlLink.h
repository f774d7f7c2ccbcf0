#pragma once
// The link between one of the form's controls and the system window that
// shows it: the part every kind of control shares, and what a link needs of
// the window that holds the form. Each kind's link is in a file of its own
// (LabelLink, CheckBoxLink, ...); MakeControlLink (LinkFactory.h) picks it.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "SystemHeaders.h"

#include "Controls.h"
#include "DialogTemplate.h"

class TControlLink;

// What the links need of the window that holds the form.
class IFormWindow {
public:
  virtual ~IFormWindow() = default;
  // Runs a control's event as the message loop runs an event handler: a
  // failure is shown in the error box.
  virtual void RunEvent(const std::function<void()> &event) = 0;
  // The font a control's style asks for; null for the dialog's own.
  virtual HFONT FontFor(const TFontStyle &style) const = 0;
  // The glyphs of a push button; null for a button without.
  virtual HIMAGELIST GlyphsFor(const TButton &button) const = 0;
  // The link of the control whose window has the id `id`; null for none.
  virtual TControlLink *LinkOf(int id) const = 0;
  // The links of `parent`'s controls (null: the form's own) in tab order,
  // the controls that take no focus last.
  virtual std::vector<TControlLink *> ChildrenOf(const TPanel *parent) const = 0;
  // A notification of the control whose window has the id `id`, from any of
  // the form's dialogs.
  virtual void Command(int id, WORD code) = 0;
  virtual void Notify(NMHDR &header) = 0;
};

// What a dialog template says of the system window that shows a control.
struct TWindowKind {
  const char *ClassName;
  std::string Text;
  DWORD Style;
  DWORD ExtendedStyle = 0;
};

// The font of the form's dialogs.
constexpr TTemplateFont kDialogFont{8, "MS Sans Serif"};

// The window property that holds a control's name, so that tools in the
// same process can find a control by name.
constexpr const char *kNameProperty = "NvControl";

constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE;
// A tab stop that begins a group of its own.
constexpr DWORD kTabStopStyle = WS_TABSTOP | WS_GROUP;

std::string WindowText(HWND window);

// Shows a check box's or radio button's state, and reads it.
void ShowChecked(HWND button, bool checked);
bool ShownChecked(HWND button);

// Shows one control of the form in a system window: copies the control's
// state into the window and turns the window's notifications into the
// control's events. The kinds say what differs.
class TControlLink : public IControlView {
public:
  TControlLink(IFormWindow &owner, TControl &control, int id)
      : Owner(owner), Control(control), Id(id) {}
  TControlLink(const TControlLink &) = delete;
  TControlLink &operator=(const TControlLink &) = delete;

  TControl &Model() const { return Control; }
  HWND Handle() const { return Window; }
  int ControlId() const { return Id; }

  // The control's item in its panel's dialog template; none for a control
  // that is a dialog of its own (a panel). `afterRadio`: the control before
  // it in tab order is a radio button.
  virtual std::optional<TWindowKind> TemplateItem(bool afterRadio) const = 0;
  // Whether the control is a radio button (a group goes on after it).
  virtual bool IsRadio() const { return false; }
  // The control's window in `parentWindow`: by default the one that the
  // parent's template made.
  virtual HWND MakeWindow(HWND parentWindow) { return GetDlgItem(parentWindow, Id); }
  // The panel whose controls lie in this control's window; null but for panels.
  virtual const TPanel *Container() const { return nullptr; }

  // Takes `window` as the control's: names it, gives it its font, places it
  // in pixels (dialog units cannot express the layout) right after
  // `previous` in z-order, which is the tab order, and shows the state.
  void Attach(HWND window, HWND previous);
  // Lets go of the control and of the window.
  virtual void Detach();

  // Shows the control's state now.
  void Refresh() override;
  // A WM_COMMAND notification of the window.
  virtual void Command(WORD /*code*/) {}
  // A WM_NOTIFY notification of the window.
  virtual void Notify(NMHDR & /*header*/) {}
  // The colours of a static window drawn on `background` (the answer to
  // WM_CTLCOLORSTATIC); FALSE keeps the system's.
  virtual INT_PTR StaticColours(HDC /*dc*/, HBRUSH /*background*/) const { return FALSE; }

protected:
  // The window has its font and is about to be placed: fit the control's
  // size to what it shows.
  virtual void Fit() {}
  // The window is attached: set what the template cannot say.
  virtual void Attached() {}
  // Shows the kind's own state (checked, text); enabling is common.
  virtual void ShowState() {}

  IFormWindow &Owner;
  TControl &Control;
  const int Id;
  HWND Window = nullptr;
};

// A kind's link: knows the control it shows as a `T`.
template <typename T> class TLinkTo : public TControlLink {
public:
  TLinkTo(IFormWindow &owner, T &control, int id)
      : TControlLink(owner, control, id), Shown(control) {}

protected:
  T &Shown;
};

// The dialog procedure of the form and of its panels: the object named by
// WM_INITDIALOG's parameter handles the messages.
template <typename T>
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
  auto *self = reinterpret_cast<T *>(GetWindowLongPtrA(window, DWLP_USER));
  return self ? self->Message(window, message, wParam, lParam) : FALSE;
}
