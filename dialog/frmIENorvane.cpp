#include "frmIENorvane.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "AsciiText.h"
#include "IENorvaneU.h"
#include "KeepSitesForm.h"
#include "Masks.h"

TConfForm *ConfForm = nullptr;

namespace {

// The three sections from the top of Panel1 down; the keyboard goes through
// them from the bottom up.
constexpr std::array<TSectionLayout, 3> kSectionLayouts{{
    {TCategory::Cache, "Cache", "Panel5", "Label1", 2, 2, 161, "Delete http-cache files",
     "Delete all files"},
    {TCategory::Cookies, "Cookies", "Panel4", "Label2", 155, 1, 161, "Delete cookies",
     "Delete all cookies"},
    {TCategory::History, "History", "Panel3", "Label3", 308, 0, 295,
     "Delete visited links and history from IE gournal", "Delete all links"},
}};

// The form keeps its sections by category, in this table's order.
constexpr bool InCategoryOrder() {
  for (size_t i = 0; i < kSectionLayouts.size(); ++i)
    if (static_cast<size_t>(kSectionLayouts[i].Category) != i) return false;
  return true;
}
static_assert(InCategoryOrder());

// Where each control of a section stands in its panel.
constexpr TBounds kAllBounds{25, 32, 113, 17};
constexpr TBounds kMaskBounds{152, 32, 121, 17};
constexpr TBounds kPrefixBounds{280, 33, 0, 13};
constexpr TBounds kEditBounds{320, 29, 213, 21};
constexpr TBounds kListBounds{8, 56, 525, 89};
constexpr TBounds kKeptBounds{440, 12, 93, 13};
constexpr int kSectionWidth = 542;
constexpr int kSectionHeight = 153;

const char *const kMaskCaption = "Delete on URL-mask:";

std::vector<TListColumn> PreviewColumns() {
  return {{"URL name", 300}, {"Local filename", 150}, {"File size", 50}};
}

// Holds the reader's read under way for a scope (no reader: nothing).
class TReadHold {
public:
  explicit TReadHold(ICacheReader *reader) : Reader(reader) {
    if (Reader) Reader->Hold();
  }
  ~TReadHold() {
    if (Reader) Reader->Release();
  }
  TReadHold(const TReadHold &) = delete;
  TReadHold &operator=(const TReadHold &) = delete;

private:
  ICacheReader *const Reader;
};

} // namespace

TSection::TSection(const TSectionLayout &layout, TPanel &parent)
    : Category(layout.Category),
      Panel(layout.PanelName, &parent, {2, layout.Top, kSectionWidth, kSectionHeight},
            layout.TabOrder),
      Switch(std::string("cbDelete") + layout.Key, &Panel, {10, 10, layout.SwitchWidth, 17}, 0,
             layout.SwitchCaption),
      All(std::string("rbDelete") + layout.Key + "All", &Panel, kAllBounds, 1, layout.AllCaption),
      ByMask(std::string("rbDelete") + layout.Key + "Mask", &Panel, kMaskBounds, 2, kMaskCaption),
      MaskEdit(std::string("edt") + layout.Key + "Mask", &Panel, kEditBounds, 3),
      List(std::string("lv") + layout.Key, &Panel, kListBounds, 4, PreviewColumns()),
      Prefix(layout.PrefixName, &Panel, kPrefixBounds, CategoryPrefix(layout.Category)),
      Kept(std::string("lbl") + layout.Key + "Kept", &Panel, kKeptBounds, "") {
  Kept.AutoSize = false;
  Panel.BevelOuter = TBevel::Raised;
  Panel.BevelInner = TBevel::None;
  Switch.Font.Bold = true;
  TRadioButton::Pair(All, ByMask);
}

TConfForm::TConfForm(IPlatform &platform)
    : TForm("ConfForm", "IE Norvane plugin", 546, 534),
      Panel11("Panel11", nullptr, {0, 0, 546, 31}, 0),
      Label4("Label4", &Panel11, {10, 8, 0, 16}, "IE Norvane plugin options"),
      Panel1("Panel1", nullptr, {0, 31, 546, 463}, 1),
      Panel2("Panel2", nullptr, {0, 494, 546, 40}, 2),
      BitBtn1("BitBtn1", &Panel2, {281, 8, 75, 25}, 0, "Cancel"),
      BitBtn2("BitBtn2", &Panel2, {190, 8, 75, 25}, 1, "OK"),
      btnKeepSites("btnKeepSites", &Panel2, {8, 8, 100, 25}, 2, "Sites to keep..."),
      // Right of Cancel, the one place in the panel its caption fits.
      cbWipeTraces("cbWipeTraces", &Panel2, {362, 12, 182, 17}, 3,
                   "Wipe the traces of deleted entries"),
      Sections{{TSection(kSectionLayouts[0], Panel1), TSection(kSectionLayouts[1], Panel1),
                TSection(kSectionLayouts[2], Panel1)}},
      cbDeleteCacheHttps("cbDeleteCacheHttps", &Sections[0].Panel, {200, 10, 130, 17}, 1,
                         "Also https:// pages"),
      Platform(platform), Keep(TKeepSites()) {
  // The https box follows the cache switch in the keyboard's order.
  for (TControl *later : std::initializer_list<TControl *>{&rbDeleteCacheAll, &rbDeleteCacheMask,
                                                           &edtCacheMask, &lvCache})
    ++later->TabOrder;
  Panel11.BevelOuter = TBevel::Lowered;
  Panel11.BevelInner = TBevel::Lowered;
  Panel11.Color = Rgb(60, 85, 108);
  Label4.Font = {13, true, Rgb(255, 251, 240)};
  Panel1.BevelOuter = TBevel::Lowered;
  Panel1.BevelInner = TBevel::Raised;
  Panel2.BevelOuter = TBevel::Raised;
  BitBtn2.Default = true;
  BitBtn1.Cancel = true;
  BitBtn2.OnClick = [this] { BitBtn2Click(); };
  BitBtn1.OnClick = [this] { BitBtn1Click(); };
  btnKeepSites.OnClick = [this] { btnKeepSitesClick(); };
  cbDeleteCacheHttps.OnClick = [this] { cbDeleteCacheHttpsClick(); };
  for (TSection &section : Sections) {
    const TCategory category = section.Category;
    section.All.OnClick = [this, category] { ChoiceClick(category, false); };
    section.ByMask.OnClick = [this, category] { ChoiceClick(category, true); };
    section.MaskEdit.OnChange = [this, category] { MaskChange(category); };
  }
  for (TCategory category : kReadOrder)
    FillList(category); // the reading row: nothing is read yet
}

std::vector<TControl *> TConfForm::Controls() {
  std::vector<TControl *> controls{&Panel11, &Label4,  &Panel1,       &Panel2,
                                   &BitBtn1, &BitBtn2, &btnKeepSites, &cbWipeTraces};
  for (auto s = Sections.rbegin(); s != Sections.rend(); ++s) {
    controls.insert(controls.end(), {&s->Panel, &s->Switch});
    if (s->Category == TCategory::Cache) controls.push_back(&cbDeleteCacheHttps);
    controls.insert(controls.end(), {&s->All, &s->ByMask, &s->MaskEdit, &s->List});
  }
  for (TSection &section : Sections)
    controls.insert(controls.end(), {&section.Prefix, &section.Kept});
  return controls;
}

void TConfForm::ChoiceClick(TCategory category, bool byMask) {
  Section(category).MaskEdit.SetEnabled(byMask);
  RefreshList(category);
}

void TConfForm::MaskChange(TCategory category) { RefreshList(category); }

void TConfForm::FillList(TCategory category) {
  TSection &section = Section(category);
  TListView &list = section.List;
  const std::shared_ptr<const TCacheSnapshot> &entries = Entries[static_cast<size_t>(category)];
  section.Kept.SetCaption("");
  if (!entries) {
    const TPreviewUpdateBracket bracket(list);
    list.Clear();
    list.AddRow(kReadingRow, "", "");
    return;
  }
  TKeptTotals kept;
  try {
    kept = TIENorvane::FillPreviewList(list, ListSettings(category), category, Entries,
                                       Platform.LeadBytes(), Keep ? &*Keep : nullptr);
  } catch (const EMaskException &) {
    FailedMask = category;
    throw;
  }
  if (kept.Count) section.Kept.SetCaption(std::to_string(kept.Count) + " kept");
}

CleanerSettings TConfForm::ListSettings(TCategory category) const {
  CleanerSettings shown;
  TakeSettingsFrom(*this, shown);
  // A list shows what its section selects, switched on or not; with neither
  // choice checked, what its prefix and mask select.
  const TCategoryFields &fields = FieldsOf(category);
  shown.*fields.Flag = true;
  shown.*fields.Type = Type(category).value_or(TSweepType::ByMask);
  return shown;
}

void TConfForm::RefillQuietly() {
  for (TCategory category : kReadOrder)
    try {
      FillList(category);
    } catch (const EMaskException &) {
    }
}

void TConfForm::SetKeepSites(const std::string &text) {
  KeepText = text;
  const std::optional<TKeepSiteFault> fault = TKeepSites::Validate(text);
  Keep = fault ? std::nullopt : std::optional(TKeepSites::Parse(text));
  RefillQuietly();
  if (fault) throw EKeepSitesException(*fault);
}

void TConfForm::btnKeepSitesClick() {
  if (!View) return;
  TKeepSitesForm editor(KeepText, CookieEntries().get(), Platform.LeadBytes());
  const std::unique_ptr<IFormView> view = View->ViewFor(editor);
  if (!view || editor.ShowModal() != mrOk) return;
  SetKeepSites(editor.Text());
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

const TCheckBox *TConfForm::CheckBoxOf(const TSetting &setting) const {
  if (const std::optional<TCategory> category = CategoryOf(setting))
    return &Section(*category).Switch;
  if (setting.Flag == &CleanerSettings::DeleteCacheHttps) return &cbDeleteCacheHttps;
  if (setting.Flag == &CleanerSettings::WipeTraces) return &cbWipeTraces;
  return nullptr;
}

TCheckBox *TConfForm::CheckBoxOf(const TSetting &setting) {
  return const_cast<TCheckBox *>(std::as_const(*this).CheckBoxOf(setting));
}

std::optional<bool> TConfForm::Flag(const TSetting &setting) const {
  const TCheckBox *box = CheckBoxOf(setting);
  return box ? std::optional(box->Checked()) : std::nullopt;
}

void TConfForm::SetFlag(const TSetting &setting, bool on) {
  if (TCheckBox *box = CheckBoxOf(setting)) box->SetChecked(on);
}

std::optional<TSweepType> TConfForm::Type(const TSetting &setting) const {
  const std::optional<TCategory> category = CategoryOf(setting);
  return category ? Type(*category) : std::nullopt;
}

std::optional<TSweepType> TConfForm::Type(TCategory category) const {
  const TSection &section = Section(category);
  if (section.ByMask.Checked()) return TSweepType::ByMask;
  if (section.All.Checked()) return TSweepType::All;
  return std::nullopt;
}

void TConfForm::SetType(const TSetting &setting, TSweepType type) {
  const std::optional<TCategory> category = CategoryOf(setting);
  if (!category) return;
  TSection &section = Section(*category);
  if (type == TSweepType::All) {
    section.All.SetChecked(true);
    section.MaskEdit.SetEnabled(false);
  } else if (type == TSweepType::ByMask) {
    section.ByMask.SetChecked(true);
    section.MaskEdit.SetEnabled(true);
  }
}

std::optional<std::string> TConfForm::Text(const TSetting &setting) const {
  if (const std::optional<TCategory> category = CategoryOf(setting)) return Mask(*category);
  if (setting.Text == &CleanerSettings::KeepSites) return KeepText;
  return std::nullopt;
}

void TConfForm::SetText(const TSetting &setting, const std::string &text) {
  if (const std::optional<TCategory> category = CategoryOf(setting))
    Section(*category).MaskEdit.SetText(text);
  else if (setting.Text == &CleanerSettings::KeepSites)
    SetKeepSites(text);
}

void TConfForm::BitBtn2Click() {
  if (OnAccept) OnAccept(); // a refused save leaves the dialog open
  ModalResult = mrOk;
}
void TConfForm::BitBtn1Click() { ModalResult = mrCancel; }

int TConfForm::ShowModal() {
  const int result = TForm::ShowModal();
  Visible = false;
  return result;
}

void TConfForm::HandleEvent(const std::function<void()> &event) { RunEvent(event, false); }

void TConfForm::RunEvent(const std::function<void()> &event, bool firstFill) {
  FailedMask.reset();
  try {
    const TReadHold hold(Reader); // released before an error box shows
    event();
  } catch (const std::exception &failure) {
    const std::string message = failure.what();
    // The same failure twice before a box shows it: one mention is enough.
    const bool known = std::any_of(Pending.begin(), Pending.end(),
                                   [&](const TFailure &f) { return f.Message == message; });
    // A failure met while the form is being filled (a malformed stored keep
    // list) waits with the first fills' to share their box.
    if (!known) Pending.push_back({message, FailedMask, firstFill || !Visible});
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
  return SummaryText(cleaner.Settings);
}
