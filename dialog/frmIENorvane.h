#pragma once
// The options dialog: its controls and their layout, the event handlers, the
// modal result, and the configuration run of a configuring call. The form
// logic works on the plain controls of Controls.h; a window system shows it
// through an IFormView (the Win32 one in the Windows build, a scripted one in
// tests).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Controls.h"
#include "Platform.h"
#include "SettingsForm.h"

class TIENorvane;

// The modal results of the dialog.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

// A window that shows a TConfForm. It attaches itself to the form and its
// controls when created and detaches when destroyed.
class IFormView {
public:
  virtual ~IFormView() = default;
  // Shows the form centred and modally: runs the message loop until the
  // form's ModalResult is not mrNone, then hides the form. Calls
  // TConfForm::Shown once the form is visible.
  virtual void ShowModal() = 0;
  // Shows `message` in a modal message box with an error icon and one OK
  // button.
  virtual void ShowFailure(const std::string &message) = 0;
};

// The controls of one category's section.
struct TSectionControls {
  TCheckBox &Switch;
  TRadioButton &All;
  TRadioButton &ByMask;
  TEdit &MaskEdit;
  TListView &List;
};

class TConfForm : public ISettingsForm {
public:
  // A form laid out and hidden, with nothing checked and every edit box
  // enabled; its mask handlers fill the lists from `platform`'s cache, which
  // must outlive the form.
  explicit TConfForm(IPlatform &platform);
  TConfForm(const TConfForm &) = delete;
  TConfForm &operator=(const TConfForm &) = delete;

  const std::string Caption = "IE Norvane plugin";
  const int ClientWidth = 546;
  const int ClientHeight = 534;
  const TFontStyle Font;

  TPanel Panel11;
  TLabel Label4;
  TPanel Panel1;
  TPanel Panel2;
  TButton BitBtn1; // Cancel
  TButton BitBtn2; // OK
  TPanel Panel3;   // visited history
  TCheckBox cbDeleteHistory;
  TRadioButton rbDeleteHistoryAll;
  TRadioButton rbDeleteHistoryMask;
  TEdit edtHistoryMask;
  TListView lvHistory;
  TPanel Panel4; // cookies
  TCheckBox cbDeleteCookies;
  TRadioButton rbDeleteCookiesAll;
  TRadioButton rbDeleteCookiesMask;
  TEdit edtCookiesMask;
  TListView lvCookies;
  TPanel Panel5; // http cache files
  TCheckBox cbDeleteCache;
  TRadioButton rbDeleteCacheAll;
  TRadioButton rbDeleteCacheMask;
  TEdit edtCacheMask;
  TListView lvCache;
  TLabel Label1;
  TLabel Label2;
  TLabel Label3;

  // The event handlers, bound to their controls by the constructor.
  void rbDeleteCacheMaskClick();
  void rbDeleteCacheAllClick();
  void rbDeleteCookiesMaskClick();
  void rbDeleteCookiesAllClick();
  void rbDeleteHistoryAllClick();
  void rbDeleteHistoryMaskClick();
  void edtCacheMaskChange();
  void edtCookiesMaskChange();
  void edtHistoryMaskChange();
  void BitBtn2Click();
  void BitBtn1Click();

  // mrNone while the dialog runs; set by the buttons' handlers and by
  // closing the window (mrCancel).
  int ModalResult = mrNone;

  // Every control, in declared order.
  std::vector<TControl *> Controls();

  // The controls of `category`'s section.
  TSectionControls Section(TCategory category);
  const TSectionControls Section(TCategory category) const;

  // ISettingsForm
  bool Switch(TCategory category) const override;
  void SetSwitch(TCategory category, bool on) override;
  std::optional<int32_t> Type(TCategory category) const override;
  void SetType(TCategory category, int32_t type) override;
  std::string Mask(TCategory category) const override;
  void SetMask(TCategory category, const std::string &mask) override;
  IPreviewList &PreviewList(TCategory category) override;

  // Shows the form modally through its view and returns the modal result.
  // Without a view the form cannot be shown and the result is mrCancel.
  int ShowModal();

  // Runs `event` as the message loop runs an event handler: a failure it
  // raises is caught and shown in the view's error box. Before the form is
  // visible the failure is kept (once per message) and shown by Shown.
  void HandleEvent(const std::function<void()> &event) override;

  // Called by the view once the form is visible: shows the failures kept
  // while the form was being filled.
  void Shown();

  // Attaches the view that shows the form; null detaches it.
  void AttachView(IFormView *view) { View = view; }

  // The failures kept until the form is visible.
  const std::vector<std::string> &PendingFailures() const { return Pending; }

private:
  void BindHandlers();
  void ShowFailure(const std::string &message);
  void RefreshList(TCategory category);

  IPlatform &Platform;
  IFormView *View = nullptr;
  bool Visible = false;
  std::vector<std::string> Pending;
};

// The dialog of the running configuring call; null when none runs.
extern TConfForm *ConfForm;

// Makes the view that shows a form; called once the form is laid out.
using TFormViewFactory = std::function<std::unique_ptr<IFormView>(TConfForm &)>;

// The configuration run of a configuring call, on a cleaner whose settings
// are loaded: creates the dialog (held in ConfForm while it lives), puts the
// settings into it, shows it modally and, on OK, reads the settings back,
// saves them to `section` of `iniFile` and returns the summary text. Returns
// nothing on Cancel. A malformed stored mask does not stop the dialog: it is
// reported in the error box once the dialog is visible. Raises
// EIniFileException when the save is refused. The dialog is destroyed and
// ConfForm reset on every path.
std::optional<std::string> RunConfiguration(TIENorvane &cleaner, const std::string &iniFile,
                                            const std::string &section,
                                            const TFormViewFactory &makeView);

// The one-line summary of the switched-on categories with their masks, e.g.
// "http://*.*, Cookie:*.*, Visited:*.*"; empty when all are off.
std::string SummaryText(const TIENorvane &cleaner);
