#include "Controls.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "AsciiText.h"

TControl::TControl(std::string name, TPanel *parent, TBounds bounds, int tabOrder)
    : Name(std::move(name)), Parent(parent), Bounds(bounds), TabOrder(tabOrder) {}

void TControl::SetEnabled(bool enabled) {
  if (IsEnabled == enabled) return;
  IsEnabled = enabled;
  Notify();
}

TLabel::TLabel(std::string name, TPanel *parent, TBounds bounds, std::string caption)
    : TControlOf(std::move(name), parent, bounds, -1), Text(std::move(caption)) {}

void TLabel::SetCaption(const std::string &caption) {
  if (Text == caption) return;
  Text = caption;
  Notify();
}

TCheckBox::TCheckBox(std::string name, TPanel *parent, TBounds bounds, int tabOrder,
                     std::string caption)
    : TControlOf(std::move(name), parent, bounds, tabOrder), Caption(std::move(caption)) {}

void TCheckBox::SetChecked(bool checked) {
  if (IsChecked == checked) return;
  IsChecked = checked;
  Notify();
  if (OnClick) OnClick();
}

TRadioButton::TRadioButton(std::string name, TPanel *parent, TBounds bounds, int tabOrder,
                           std::string caption)
    : TControlOf(std::move(name), parent, bounds, tabOrder), Caption(std::move(caption)) {}

void TRadioButton::Pair(TRadioButton &a, TRadioButton &b) {
  a.Partner = &b;
  b.Partner = &a;
}

void TRadioButton::SetChecked(bool checked) {
  if (IsChecked == checked) return;
  IsChecked = checked;
  if (checked && Partner) Partner->SetChecked(false);
  Notify();
  if (checked && OnClick) OnClick();
}

void TEdit::SetText(const std::string &text) {
  if (Content == text) return;
  Content = text;
  Notify();
  if (OnChange) OnChange();
}

void TEdit::TextEdited(const std::string &text) {
  Content = text;
  if (OnChange) OnChange();
}

TButton::TButton(std::string name, TPanel *parent, TBounds bounds, int tabOrder,
                 std::string caption)
    : TControlOf(std::move(name), parent, bounds, tabOrder), Caption(std::move(caption)) {}

TListView::TListView(std::string name, TPanel *parent, TBounds bounds, int tabOrder,
                     std::vector<TListColumn> columns)
    : TControlOf(std::move(name), parent, bounds, tabOrder), Columns(std::move(columns)) {}

void TListView::AttachListView(IListViewDisplay *display) {
  Display = display;
  AttachView(display);
}

void TListView::BeginUpdate() {
  if (Updates++ == 0 && Display) Display->SuspendPainting();
}

void TListView::EndUpdate() {
  if (Updates == 0) return;
  if (--Updates > 0) return;
  ++Repaints;
  if (Display) Display->ResumePainting();
}

void TListView::Changed() {
  if (Updates > 0) return;
  ++Repaints;
  Notify();
}

void TListView::Clear() {
  Rows.clear();
  Sources.clear();
  PoolUsed = 0;
  Selection.reset();
  Changed();
}

void TListView::Select(std::optional<size_t> row) {
  if (row && *row >= Rows.size()) row.reset();
  if (Selection == row) return;
  Selection = row;
  Changed();
}

char *TListView::Extend(size_t count) {
  if (PoolCapacity - PoolUsed < count) {
    const size_t capacity = std::max(PoolCapacity * 2, PoolUsed + count + 4096);
    auto grown = std::make_unique_for_overwrite<char[]>(capacity);
    if (PoolUsed) std::memcpy(grown.get(), Pool.get(), PoolUsed);
    Pool = std::move(grown);
    PoolCapacity = capacity;
  }
  char *start = Pool.get() + PoolUsed;
  PoolUsed += count;
  return start;
}

void TListView::AddRow(std::string_view caption, std::string_view subItem1,
                       std::string_view subItem2) {
  // The texts go in back to back, each with its NUL, so that the window can
  // be handed a pointer into the pool.
  char *out = Extend(caption.size() + subItem1.size() + subItem2.size() + 3);
  Rows.push_back({static_cast<size_t>(out - Pool.get()), nullptr, nullptr, 0});
  for (std::string_view text : {caption, subItem1, subItem2}) {
    if (!text.empty()) std::memcpy(out, text.data(), text.size()); // data() may be null
    out += text.size();
    *out++ = '\0';
  }
  Changed();
}

void TListView::AddRow(std::string_view caption, std::string_view subItem1, uint64_t number) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  AddRow(caption, subItem1, std::string_view(digits, static_cast<size_t>(result.ptr - digits)));
}

void TListView::AddRow(const TCacheEntryView &entry,
                       const std::shared_ptr<const TCacheSnapshot> &source) {
  if (Sources.empty() || Sources.back() != source) Sources.push_back(source);
  Rows.push_back({kHeld, entry.Url, entry.LocalFileName, entry.Size});
  Changed();
}

const char *TListView::Cell(size_t row, size_t column) const {
  const TRow &shown = Rows[row];
  if (shown.Offset == kHeld) {
    if (column == 0) return shown.Url;
    // The file name is found when shown: a refill touches no path.
    if (column == 1) return shown.LocalPath ? FileNameOf(shown.LocalPath).data() : "";
    *std::to_chars(Digits, Digits + sizeof Digits - 1, shown.Size).ptr = '\0';
    return Digits;
  }
  const char *text = Pool.get() + shown.Offset;
  for (size_t skip = 0; skip < column; ++skip)
    text += std::char_traits<char>::length(text) + 1;
  return text;
}
