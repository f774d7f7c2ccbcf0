#pragma once
// The options dialog: its controls and their layout, the event handlers, the
// modal result, and the configuration run of a configuring call. The form
// logic works on the plain controls of Controls.h; a window system shows it
// through an IFormView (the Win32 one in the Windows build, a scripted one in
// tests).
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CacheReader.h"
#include "CacheSnapshot.h"
#include "Controls.h"
#include "Form.h"
#include "KeepSites.h"
#include "Platform.h"
#include "SettingsForm.h"

class TIENorvane;

// The one row a list shows while its category's entries are being read.
constexpr const char *kReadingRow = "Reading the cache...";

// What sets one category's section apart; the rest of a section (where its
// controls stand, the radio buttons' group, the list's columns) is the same
// for the three.
struct TSectionLayout {
  TCategory Category;
  const char *Key;        // in the control names: cbDelete<Key>, rbDelete<Key>All, ...
  const char *PanelName;  // the section's panel
  const char *PrefixName; // the label that shows the category's prefix
  int Top;                // of the panel in its parent
  int TabOrder;           // of the panel in its parent
  int SwitchWidth;
  const char *SwitchCaption;
  const char *AllCaption;
};

// One category's section: a panel holding the category switch, the choice
// between all entries and the mask, the mask's edit box, its prefix and the
// preview list, and how many of the entries it lists a site to keep holds
// back.
class TSection {
public:
  // The section laid out by `layout` in `parent`, nothing checked.
  TSection(const TSectionLayout &layout, TPanel &parent);
  TSection(const TSection &) = delete;
  TSection &operator=(const TSection &) = delete;

  const TCategory Category;
  TPanel Panel;
  TCheckBox Switch;
  TRadioButton All;
  TRadioButton ByMask;
  TEdit MaskEdit;
  TListView List;
  TLabel Prefix;
  TLabel Kept; // "12 kept"; empty when no entry is held back
};

class TConfForm : public TForm, public ISettingsForm, public ICacheReadSink {
public:
  // A form laid out and hidden, with nothing checked, every edit box enabled
  // and every list showing kReadingRow. Its lists are filled from the cache
  // entries a reader hands over (CategoryRead), matched in the code page of
  // `platform`, which must outlive the form.
  explicit TConfForm(IPlatform &platform);
  TConfForm(const TConfForm &) = delete;
  TConfForm &operator=(const TConfForm &) = delete;

  TPanel Panel11;
  TLabel Label4;
  TPanel Panel1;
  TPanel Panel2;
  TButton BitBtn1;      // Cancel
  TButton BitBtn2;      // OK
  TButton btnKeepSites; // opens the editor of the sites to keep
  // Whether a clean also wipes the traces of what it deleted.
  TCheckBox cbWipeTraces;

private:
  std::array<TSection, 3> Sections; // by TCategory: cache, cookies, history

public:
  // In the cache section: whether its list and clean take the https pages too.
  TCheckBox cbDeleteCacheHttps;

  // The sections' controls under their own names.
  TPanel &Panel5 = Sections[0].Panel, &Panel4 = Sections[1].Panel, &Panel3 = Sections[2].Panel;
  TCheckBox &cbDeleteCache = Sections[0].Switch, &cbDeleteCookies = Sections[1].Switch,
            &cbDeleteHistory = Sections[2].Switch;
  TRadioButton &rbDeleteCacheAll = Sections[0].All, &rbDeleteCookiesAll = Sections[1].All,
               &rbDeleteHistoryAll = Sections[2].All;
  TRadioButton &rbDeleteCacheMask = Sections[0].ByMask, &rbDeleteCookiesMask = Sections[1].ByMask,
               &rbDeleteHistoryMask = Sections[2].ByMask;
  TEdit &edtCacheMask = Sections[0].MaskEdit, &edtCookiesMask = Sections[1].MaskEdit,
        &edtHistoryMask = Sections[2].MaskEdit;
  TListView &lvCache = Sections[0].List, &lvCookies = Sections[1].List,
            &lvHistory = Sections[2].List;
  TLabel &Label1 = Sections[0].Prefix, &Label2 = Sections[1].Prefix, &Label3 = Sections[2].Prefix;
  TLabel &lblCacheKept = Sections[0].Kept, &lblCookiesKept = Sections[1].Kept,
         &lblHistoryKept = Sections[2].Kept;

  // The event handlers. The constructor binds each section's choices and
  // mask box to ChoiceClick and MaskChange; the named handlers are those
  // two for one section each.
  void rbDeleteCacheMaskClick() { ChoiceClick(TCategory::Cache, true); }
  void rbDeleteCacheAllClick() { ChoiceClick(TCategory::Cache, false); }
  void rbDeleteCookiesMaskClick() { ChoiceClick(TCategory::Cookies, true); }
  void rbDeleteCookiesAllClick() { ChoiceClick(TCategory::Cookies, false); }
  void rbDeleteHistoryAllClick() { ChoiceClick(TCategory::History, false); }
  void rbDeleteHistoryMaskClick() { ChoiceClick(TCategory::History, true); }
  void edtCacheMaskChange() { MaskChange(TCategory::Cache); }
  void edtCookiesMaskChange() { MaskChange(TCategory::Cookies); }
  void edtHistoryMaskChange() { MaskChange(TCategory::History); }
  void BitBtn2Click();
  void BitBtn1Click();
  // Opens the editor of the sites to keep over the dialog; its OK puts the
  // edited list into the dialog (saved with the dialog's OK).
  void btnKeepSitesClick();
  void cbDeleteCacheHttpsClick() { RefreshList(TCategory::Cache); }

  // A choice of `category`'s section became checked (`byMask`: the mask's):
  // switches the mask box and shows what a clean with that choice deletes.
  void ChoiceClick(TCategory category, bool byMask);
  // `category`'s mask box changed: refreshes its list with the new text.
  void MaskChange(TCategory category);

  // Run by OK before the dialog closes (the configuring call saves the
  // settings here). A failure it raises is shown and the dialog stays open
  // with everything as the user left it.
  std::function<void()> OnAccept;

  // Every control: the form's own, then the sections' in tab order (history
  // first), then the sections' prefix and kept labels.
  std::vector<TControl *> Controls() override;

  // `category`'s section.
  TSection &Section(TCategory category) { return Sections[static_cast<size_t>(category)]; }
  const TSection &Section(TCategory category) const {
    return Sections[static_cast<size_t>(category)];
  }

  // ISettingsForm: a category's flag, type and mask are its section's
  // switch, choices and mask box; DeleteCacheHttps is cbDeleteCacheHttps,
  // WipeTraces cbWipeTraces, KeepSites the sites to keep.
  std::optional<bool> Flag(const TSetting &setting) const override;
  std::optional<TSweepType> Type(const TSetting &setting) const override;
  std::optional<std::string> Text(const TSetting &setting) const override;
  void SetFlag(const TSetting &setting, bool on) override;
  void SetType(const TSetting &setting, TSweepType type) override;
  void SetText(const TSetting &setting, const std::string &text) override;

  // The checked choice of `category`'s section; none when neither is.
  std::optional<TSweepType> Type(TCategory category) const;
  std::string Mask(TCategory category) const { return Section(category).MaskEdit.Text(); }
  std::string KeepSites() const { return KeepText; }
  // Takes `text` as the sites to keep and refreshes the three lists. A
  // malformed text is kept as it is (OK saves it back unchanged) and raises
  // EKeepSitesException naming its first malformed item; the lists then
  // show nothing, since a clean with it deletes nothing.
  void SetKeepSites(const std::string &text);

  // The settings `category`'s list shows the selection of: the controls'
  // settings with the category switched on and, when neither choice is
  // checked, swept by its mask.
  CleanerSettings ListSettings(TCategory category) const;

  // The entries read last, per category; null before the first read.
  const TCategorySnapshots &ReadEntries() const { return Entries; }
  std::shared_ptr<const TCacheSnapshot> CookieEntries() const {
    return Entries[static_cast<size_t>(TCategory::Cookies)];
  }

  // Attaches the reader that reads the cache for the form (null detaches
  // it) and asks it for the first read.
  void AttachReader(ICacheReader *reader);
  // The dialog was activated again: asks for a new read, unless one is
  // under way.
  void Activated() override;
  // Whether a read asked for has not ended yet.
  bool ReadingCache() const { return LastRequest != LastEnded; }

  // ICacheReadSink: the first entries of a category fill its list as the
  // user's edit would (a malformed mask is reported once every category's
  // first read has ended); later ones refresh it quietly: a malformed mask
  // leaves the list empty without a new error box.
  void CategoryRead(TCategory category, std::shared_ptr<const TCacheSnapshot> entries) override;
  void ReadEnded(uint64_t request) override;
  void ReadFailed(const std::string &message) override;

  // Shows the form modally through its view and returns the modal result.
  // Without a view the form cannot be shown and the result is mrCancel.
  int ShowModal();

  // Runs `event` as the message loop runs an event handler: a failure it
  // raises is caught and shown in the view's error box. Failures wait (once
  // per message) while the form is not visible or a box is shown, and are
  // then shown together in one box. After a box for a malformed mask the
  // focus goes to that mask's box, the caret at its end.
  void HandleEvent(const std::function<void()> &event) override;

  // Called by the view once the form is visible: shows the failures kept
  // while the form was being filled.
  void Shown() override;

  // The messages of the failures not shown yet.
  std::vector<std::string> PendingFailures() const;

private:
  // A failure waiting for the error box. `Mask`: the section whose mask it
  // is about. `FirstFill`: raised by a list's first fill or before the form
  // was shown, shown once every category's first read has ended (so that one
  // box names every malformed stored setting).
  struct TFailure {
    std::string Message;
    std::optional<TCategory> Mask;
    bool FirstFill = false;
  };

  void RunEvent(const std::function<void()> &event, bool firstFill);
  void ShowPending();
  // Fills `category`'s list from its entries (kReadingRow until they are
  // read). Raises EMaskException as a walk would.
  void FillList(TCategory category);
  // A fill the user caused (an edit, a radio button): then asks for a new
  // read, so that the list follows the cache.
  void RefreshList(TCategory category);
  // Fills every list again, as a cache refresh does (a malformed mask
  // leaves its list empty without a new error box).
  void RefillQuietly();
  void RequestRead();
  // The check box that shows a flag; null for a flag the form does not show.
  TCheckBox *CheckBoxOf(const TSetting &setting);
  const TCheckBox *CheckBoxOf(const TSetting &setting) const;

  IPlatform &Platform;
  std::string KeepText;
  std::optional<TKeepSites> Keep; // none while KeepText is malformed
  ICacheReader *Reader = nullptr;
  bool Visible = false;
  bool ShowingBox = false;
  bool FirstReadEnded = false;
  uint64_t FirstRequest = 0, LastRequest = 0, LastEnded = 0;
  TCategorySnapshots Entries;
  std::optional<TCategory> FailedMask; // set by a fill that raised
  std::vector<TFailure> Pending;
};

// The dialog of the running configuring call; null when none runs.
extern TConfForm *ConfForm;

// Makes the view that shows a form; called once the form is laid out.
using TFormViewFactory = std::function<std::unique_ptr<IFormView>(TConfForm &)>;

// The configuration run of a configuring call, on a cleaner whose settings
// are loaded: creates the dialog (held in ConfForm while it lives) and a
// background reader of the cache for it, puts the settings into it, shows it
// modally and returns the summary text once OK has read the settings back
// and saved them to `section` of `iniFile`. Returns nothing on Cancel. A
// malformed stored mask does not stop the dialog: it is reported in the error
// box once the dialog is visible. A save the store refuses is reported in the
// error box and the dialog stays open. The reader is stopped, and the dialog
// destroyed and ConfForm reset, on every path.
// `readPause`: how long the user's edits must pause before the cache is read
// again (tests shorten it).
std::optional<std::string> RunConfiguration(TIENorvane &cleaner, const std::string &iniFile,
                                            const std::string &section,
                                            const TFormViewFactory &makeView,
                                            std::chrono::milliseconds readPause = kTypingPause);
