#pragma once
// What every modal form of the plug-in shares: its caption and size, its
// controls, its modal result and the view that shows it. The options dialog
// (TConfForm) and the editor of the sites to keep (TKeepSitesForm) are forms.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CacheReader.h"
#include "Controls.h"

// The modal results of a form.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

class TForm;

// A window that shows a form. It attaches itself to the form and its
// controls when created and detaches when destroyed. Its thread is the
// form's: work posted to it runs as an event handler there.
class IFormView : public IDialogThread {
public:
  virtual ~IFormView() = default;
  // Shows the form centred and modally: runs the message loop until the
  // form's ModalResult is not mrNone, then hides the form. Calls
  // TForm::Shown once the form is visible.
  virtual void ShowModal() = 0;
  // Shows `message` in a modal message box with an error icon and one OK
  // button.
  virtual void ShowFailure(const std::string &message) = 0;
  // Puts the keyboard focus in `edit`, with the caret after its last
  // character; nothing when the edit box is disabled.
  virtual void FocusAtEnd(TEdit &edit) = 0;
  // A view of the same window system for `form`, which this view's form
  // opens over itself; none where this view cannot show another form.
  virtual std::unique_ptr<IFormView> ViewFor(TForm & /*form*/) { return nullptr; }
};

class TForm {
public:
  // `name`: what tools find the form's window by ("ConfForm").
  TForm(std::string name, std::string caption, int clientWidth, int clientHeight)
      : Name(std::move(name)), Caption(std::move(caption)), ClientWidth(clientWidth),
        ClientHeight(clientHeight) {}
  virtual ~TForm() = default;
  TForm(const TForm &) = delete;
  TForm &operator=(const TForm &) = delete;

  const std::string Name;
  const std::string Caption;
  const int ClientWidth;
  const int ClientHeight;
  const TFontStyle Font;

  // mrNone while the form runs; set by its buttons' handlers and by
  // closing the window (mrCancel).
  int ModalResult = mrNone;

  // Every control, panels before the controls they hold.
  virtual std::vector<TControl *> Controls() = 0;
  // Runs `event` as the message loop runs an event handler: a failure it
  // raises is caught and shown in the view's error box.
  virtual void HandleEvent(const std::function<void()> &event) = 0;
  // Called by the view once the form is visible.
  virtual void Shown() {}
  // Called by the view when the form is activated again.
  virtual void Activated() {}

  // Shows the form modally through its view and returns the modal result.
  // Without a view the form cannot be shown and the result is mrCancel.
  int ShowModal() {
    ModalResult = mrNone;
    if (!View) return ModalResult = mrCancel;
    View->ShowModal();
    return ModalResult;
  }

  // Attaches the view that shows the form; null detaches it.
  void AttachView(IFormView *view) { View = view; }

protected:
  IFormView *View = nullptr;
};
