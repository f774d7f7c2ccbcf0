#include "frmIENorvane.h"

#include <algorithm>
#include <exception>

#include "IENorvaneU.h"
#include "Masks.h"

TConfForm *ConfForm = nullptr;

namespace {

// The places shared by the three sections' controls.
constexpr TBounds kSwitchBounds{10, 10, 161, 17};
constexpr TBounds kHistorySwitchBounds{10, 10, 295, 17};
constexpr TBounds kAllBounds{25, 32, 113, 17};
constexpr TBounds kMaskBounds{152, 32, 121, 17};
constexpr TBounds kPrefixBounds{280, 33, 0, 13};
constexpr TBounds kEditBounds{320, 29, 213, 21};
constexpr TBounds kListBounds{8, 56, 525, 89};

constexpr int kSectionWidth = 542;
constexpr int kSectionHeight = 153;

const char *const kMaskCaption = "Delete on URL-mask:";

std::vector<TListColumn> PreviewColumns() {
  return {{"URL name", 300}, {"Local filename", 150}, {"File size", 50}};
}

TPanel &SectionPanel(TPanel &panel) {
  panel.BevelOuter = TBevel::Raised;
  panel.BevelInner = TBevel::None;
  return panel;
}

TCheckBox &BoldCaption(TCheckBox &box) {
  box.Font.Bold = true;
  return box;
}

} // namespace

TConfForm::TConfForm(IPlatform &platform)
    : Panel11("Panel11", nullptr, {0, 0, 546, 31}, 0),
      Label4("Label4", &Panel11, {10, 8, 0, 16}, "IE Norvane plugin options"),
      Panel1("Panel1", nullptr, {0, 31, 546, 463}, 1),
      Panel2("Panel2", nullptr, {0, 494, 546, 40}, 2),
      BitBtn1("BitBtn1", &Panel2, {281, 8, 75, 25}, 0, "Cancel"),
      BitBtn2("BitBtn2", &Panel2, {190, 8, 75, 25}, 1, "OK"),
      Panel3("Panel3", &Panel1, {2, 308, kSectionWidth, kSectionHeight}, 0),
      cbDeleteHistory("cbDeleteHistory", &Panel3, kHistorySwitchBounds, 0,
                      "Delete visited links and history from IE gournal"),
      rbDeleteHistoryAll("rbDeleteHistoryAll", &Panel3, kAllBounds, 1, "Delete all links"),
      rbDeleteHistoryMask("rbDeleteHistoryMask", &Panel3, kMaskBounds, 2, kMaskCaption),
      edtHistoryMask("edtHistoryMask", &Panel3, kEditBounds, 3),
      lvHistory("lvHistory", &Panel3, kListBounds, 4, PreviewColumns()),
      Panel4("Panel4", &Panel1, {2, 155, kSectionWidth, kSectionHeight}, 1),
      cbDeleteCookies("cbDeleteCookies", &Panel4, kSwitchBounds, 0, "Delete cookies"),
      rbDeleteCookiesAll("rbDeleteCookiesAll", &Panel4, kAllBounds, 1, "Delete all cookies"),
      rbDeleteCookiesMask("rbDeleteCookiesMask", &Panel4, kMaskBounds, 2, kMaskCaption),
      edtCookiesMask("edtCookiesMask", &Panel4, kEditBounds, 3),
      lvCookies("lvCookies", &Panel4, kListBounds, 4, PreviewColumns()),
      Panel5("Panel5", &Panel1, {2, 2, kSectionWidth, kSectionHeight}, 2),
      cbDeleteCache("cbDeleteCache", &Panel5, kSwitchBounds, 0, "Delete http-cache files"),
      rbDeleteCacheAll("rbDeleteCacheAll", &Panel5, kAllBounds, 1, "Delete all files"),
      rbDeleteCacheMask("rbDeleteCacheMask", &Panel5, kMaskBounds, 2, kMaskCaption),
      edtCacheMask("edtCacheMask", &Panel5, kEditBounds, 3),
      lvCache("lvCache", &Panel5, kListBounds, 4, PreviewColumns()),
      Label1("Label1", &Panel5, kPrefixBounds, CategoryPrefix(TCategory::Cache)),
      Label2("Label2", &Panel4, kPrefixBounds, CategoryPrefix(TCategory::Cookies)),
      Label3("Label3", &Panel3, kPrefixBounds, CategoryPrefix(TCategory::History)),
      Platform(platform) {
  Panel11.BevelOuter = TBevel::Lowered;
  Panel11.BevelInner = TBevel::Lowered;
  Panel11.Color = Rgb(60, 85, 108);
  Label4.Font = {13, true, Rgb(255, 251, 240)};
  Panel1.BevelOuter = TBevel::Lowered;
  Panel1.BevelInner = TBevel::Raised;
  Panel2.BevelOuter = TBevel::Raised;
  SectionPanel(Panel3);
  SectionPanel(Panel4);
  SectionPanel(Panel5);
  BoldCaption(cbDeleteHistory);
  BoldCaption(cbDeleteCookies);
  BoldCaption(cbDeleteCache);
  BitBtn2.Default = true;
  BitBtn1.Cancel = true;
  TRadioButton::Pair(rbDeleteCacheAll, rbDeleteCacheMask);
  TRadioButton::Pair(rbDeleteCookiesAll, rbDeleteCookiesMask);
  TRadioButton::Pair(rbDeleteHistoryAll, rbDeleteHistoryMask);
  BindHandlers();
  for (TCategory category : kReadOrder)
    FillList(category); // the reading row: nothing is read yet
}

void TConfForm::BindHandlers() {
  rbDeleteCacheMask.OnClick = [this] { rbDeleteCacheMaskClick(); };
  rbDeleteCacheAll.OnClick = [this] { rbDeleteCacheAllClick(); };
  rbDeleteCookiesMask.OnClick = [this] { rbDeleteCookiesMaskClick(); };
  rbDeleteCookiesAll.OnClick = [this] { rbDeleteCookiesAllClick(); };
  rbDeleteHistoryAll.OnClick = [this] { rbDeleteHistoryAllClick(); };
  rbDeleteHistoryMask.OnClick = [this] { rbDeleteHistoryMaskClick(); };
  edtCacheMask.OnChange = [this] { edtCacheMaskChange(); };
  edtCookiesMask.OnChange = [this] { edtCookiesMaskChange(); };
  edtHistoryMask.OnChange = [this] { edtHistoryMaskChange(); };
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
}

std::vector<TControl *> TConfForm::Controls() {
  return {&Panel11,
          &Label4,
          &Panel1,
          &Panel2,
          &BitBtn1,
          &BitBtn2,
          &Panel3,
          &cbDeleteHistory,
          &rbDeleteHistoryAll,
          &rbDeleteHistoryMask,
          &edtHistoryMask,
          &lvHistory,
          &Panel4,
          &cbDeleteCookies,
          &rbDeleteCookiesAll,
          &rbDeleteCookiesMask,
          &edtCookiesMask,
          &lvCookies,
          &Panel5,
          &cbDeleteCache,
          &rbDeleteCacheAll,
          &rbDeleteCacheMask,
          &edtCacheMask,
          &lvCache,
          &Label1,
          &Label2,
          &Label3};
}

// A choice switches the mask box and shows what a clean with it deletes.
void TConfForm::rbDeleteCacheMaskClick() {
  edtCacheMask.SetEnabled(true);
  RefreshList(TCategory::Cache);
}
void TConfForm::rbDeleteCacheAllClick() {
  edtCacheMask.SetEnabled(false);
  RefreshList(TCategory::Cache);
}
void TConfForm::rbDeleteCookiesMaskClick() {
  edtCookiesMask.SetEnabled(true);
  RefreshList(TCategory::Cookies);
}
void TConfForm::rbDeleteCookiesAllClick() {
  edtCookiesMask.SetEnabled(false);
  RefreshList(TCategory::Cookies);
}
void TConfForm::rbDeleteHistoryAllClick() {
  edtHistoryMask.SetEnabled(false);
  RefreshList(TCategory::History);
}
void TConfForm::rbDeleteHistoryMaskClick() {
  edtHistoryMask.SetEnabled(true);
  RefreshList(TCategory::History);
}

void TConfForm::edtCacheMaskChange() { RefreshList(TCategory::Cache); }
void TConfForm::edtCookiesMaskChange() { RefreshList(TCategory::Cookies); }
void TConfForm::edtHistoryMaskChange() { RefreshList(TCategory::History); }

std::string TConfForm::ListPattern(TCategory category) const {
  // Neither choice checked: a type that no clean sweeps.
  return PreviewPattern(category, Type(category).value_or(SweepTypeOf(-1)), Mask(category));
}

void TConfForm::FillList(TCategory category) {
  TListView &list = Section(category).List;
  const std::shared_ptr<const TCacheSnapshot> &entries = Entries[static_cast<size_t>(category)];
  if (!entries) {
    const TPreviewUpdateBracket bracket(list);
    list.Clear();
    list.AddRow(kReadingRow, "", "");
    return;
  }
  try {
    TIENorvane::FillPreviewList(*entries, Platform.LeadBytes(), list, ListPattern(category));
  } catch (const EMaskException &) {
    FailedMask = category;
    throw;
  }
}

void TConfForm::RefreshList(TCategory category) {
  // A category not read yet shows the reading row; its read is coming.
  if (Entries[static_cast<size_t>(category)]) RequestRead();
  FillList(category);
}

void TConfForm::RequestRead() {
  if (Reader) LastRequest = Reader->Request();
}

void TConfForm::AttachReader(ICacheReader *reader) {
  Reader = reader;
  LastEnded = LastRequest;
  if (!Reader) return;
  RequestRead();
  FirstRequest = LastRequest;
}

void TConfForm::Activated() {
  if (!ReadingCache()) RequestRead();
}

void TConfForm::CategoryRead(TCategory category, std::shared_ptr<const TCacheSnapshot> entries) {
  std::shared_ptr<const TCacheSnapshot> &kept = Entries[static_cast<size_t>(category)];
  const bool first = !kept;
  kept = std::move(entries);
  if (first) {
    RunEvent([&] { FillList(category); }, true);
    return;
  }
  // The error box answers a change the user made; a refresh the cache made
  // leaves a malformed mask's list empty.
  try {
    FillList(category);
  } catch (const EMaskException &) {
  }
}

void TConfForm::ReadEnded(uint64_t request) {
  LastEnded = request;
  if (request >= FirstRequest && !FirstReadEnded) {
    FirstReadEnded = true;
    ShowPending();
  }
}

void TConfForm::ReadFailed(const std::string &message) {
  Pending.push_back({message, std::nullopt, false});
  ShowPending();
}

TSectionControls TConfForm::Section(TCategory category) {
  switch (category) {
  case TCategory::Cookies:
    return {cbDeleteCookies, rbDeleteCookiesAll, rbDeleteCookiesMask, edtCookiesMask, lvCookies};
  case TCategory::History:
    return {cbDeleteHistory, rbDeleteHistoryAll, rbDeleteHistoryMask, edtHistoryMask, lvHistory};
  case TCategory::Cache: break;
  }
  return {cbDeleteCache, rbDeleteCacheAll, rbDeleteCacheMask, edtCacheMask, lvCache};
}

const TSectionControls TConfForm::Section(TCategory category) const {
  return const_cast<TConfForm *>(this)->Section(category);
}

bool TConfForm::Switch(TCategory category) const { return Section(category).Switch.Checked(); }

void TConfForm::SetSwitch(TCategory category, bool on) { Section(category).Switch.SetChecked(on); }

std::optional<TSweepType> TConfForm::Type(TCategory category) const {
  const TSectionControls section = Section(category);
  if (section.ByMask.Checked()) return TSweepType::ByMask;
  if (section.All.Checked()) return TSweepType::All;
  return std::nullopt;
}

void TConfForm::SetType(TCategory category, TSweepType type) {
  const TSectionControls section = Section(category);
  if (type == TSweepType::All) {
    section.All.SetChecked(true);
    section.MaskEdit.SetEnabled(false);
  } else if (type == TSweepType::ByMask) {
    section.ByMask.SetChecked(true);
    section.MaskEdit.SetEnabled(true);
  }
}

std::string TConfForm::Mask(TCategory category) const { return Section(category).MaskEdit.Text(); }

void TConfForm::SetMask(TCategory category, const std::string &mask) {
  Section(category).MaskEdit.SetText(mask);
}

IPreviewList &TConfForm::PreviewList(TCategory category) { return Section(category).List; }

void TConfForm::BitBtn2Click() {
  if (OnAccept) OnAccept(); // a refused save leaves the dialog open
  ModalResult = mrOk;
}
void TConfForm::BitBtn1Click() { ModalResult = mrCancel; }

int TConfForm::ShowModal() {
  ModalResult = mrNone;
  if (!View) return ModalResult = mrCancel;
  View->ShowModal();
  Visible = false;
  return ModalResult;
}

void TConfForm::HandleEvent(const std::function<void()> &event) { RunEvent(event, false); }

void TConfForm::RunEvent(const std::function<void()> &event, bool firstFill) {
  FailedMask.reset();
  try {
    event();
  } catch (const std::exception &failure) {
    const std::string message = failure.what();
    // The same failure twice before a box shows it: one mention is enough.
    const bool known = std::any_of(Pending.begin(), Pending.end(),
                                   [&](const TFailure &f) { return f.Message == message; });
    if (!known) Pending.push_back({message, FailedMask, firstFill});
    ShowPending();
  }
}

std::vector<std::string> TConfForm::PendingFailures() const {
  std::vector<std::string> messages;
  for (const TFailure &failure : Pending)
    messages.push_back(failure.Message);
  return messages;
}

void TConfForm::ShowPending() {
  if (!Visible || !View || ShowingBox || Pending.empty() || ModalResult != mrNone) return;
  const bool holding =
      std::any_of(Pending.begin(), Pending.end(), [](const TFailure &f) { return f.FirstFill; });
  if (holding && !FirstReadEnded) return;
  std::vector<TFailure> shown;
  shown.swap(Pending);
  // The stored masks' failures first, in the sections' order (the reads
  // hand the categories over in another).
  const auto rank = [](const TFailure &f) {
    return f.FirstFill && f.Mask ? static_cast<int>(*f.Mask) : 3;
  };
  std::stable_sort(shown.begin(), shown.end(),
                   [&](const TFailure &a, const TFailure &b) { return rank(a) < rank(b); });
  std::string text;
  std::optional<TCategory> focus;
  for (const TFailure &failure : shown) {
    text += (text.empty() ? "" : "\n") + failure.Message;
    if (!focus) focus = failure.Mask;
  }
  ShowingBox = true;
  try {
    View->ShowFailure(text);
  } catch (...) {
    ShowingBox = false;
    throw;
  }
  ShowingBox = false;
  // Back in the mask box, the caret at the end: the next keys correct it.
  if (focus) View->FocusAtEnd(Section(*focus).MaskEdit);
  ShowPending(); // what failed while the box was shown
}

void TConfForm::Shown() {
  Visible = true;
  ShowPending();
}

namespace {

// Holds the running configuring call's dialog in ConfForm for a scope.
class TConfFormSlot {
public:
  explicit TConfFormSlot(TConfForm &form) { ConfForm = &form; }
  ~TConfFormSlot() { ConfForm = nullptr; }
  TConfFormSlot(const TConfFormSlot &) = delete;
  TConfFormSlot &operator=(const TConfFormSlot &) = delete;
};

} // namespace

std::optional<std::string> RunConfiguration(TIENorvane &cleaner, const std::string &iniFile,
                                            const std::string &section,
                                            const TFormViewFactory &makeView,
                                            std::chrono::milliseconds readPause) {
  auto form = std::make_unique<TConfForm>(cleaner.Platform());
  TConfFormSlot slot(*form);
  std::unique_ptr<IFormView> view = makeView ? makeView(*form) : nullptr;
  // Declared after the view it posts to: stopped and joined before it goes.
  std::optional<TBackgroundReader> reader;
  if (view) reader.emplace(cleaner.Platform().UrlCache(), *view, *form, readPause);
  form->AttachReader(reader ? &*reader : nullptr);
  form->OnAccept = [&] {
    cleaner.ReadFromForm(*form);
    cleaner.SaveSettings(iniFile, section);
  };
  cleaner.WriteToForm(*form);
  const int result = form->ShowModal();
  form->AttachReader(nullptr);
  reader.reset(); // the dialog has closed: cancel the read under way
  if (result != mrOk) return std::nullopt;
  return SummaryText(cleaner);
}
