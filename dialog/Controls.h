#pragma once
// The dialog's controls as plain objects: each holds its own state (caption,
// checked state, text, rows) and fires its event handler. A window system
// shows a control by attaching a view to it; without one (in tests) the
// controls work on their own, with nothing drawn.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SettingsForm.h"

// Position and size of a control within its parent, in pixels at 96 dpi.
struct TBounds {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

// A colour value that means "the system's colour for this place".
constexpr uint32_t kNoColor = 0xFFFFFFFF;

// How a control's text is drawn; the window system picks the nearest font.
struct TFontStyle {
  int HeightPx = 11; // character height: 11 px is 8 point
  bool Bold = false;
  uint32_t Color = kNoColor; // 0x00BBGGRR; kNoColor: the system's window text
};

// 0x00BBGGRR, the byte order of the platform's colour values.
constexpr uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return uint32_t{r} | uint32_t{g} << 8 | uint32_t{b} << 16;
}

// What a control tells the window that shows it. Set by the view; the
// control calls it after each change of its state.
class IControlView {
public:
  virtual ~IControlView() = default;
  // The control's state changed: show it now.
  virtual void Refresh() = 0;
};

class TPanel;
class TLabel;
class TCheckBox;
class TRadioButton;
class TEdit;
class TButton;
class TListView;

// Work that depends on a control's kind: a control's Accept calls the Visit
// of its own class, so that the kind is told once, without casts.
class IControlVisitor {
public:
  virtual ~IControlVisitor() = default;
  virtual void Visit(TPanel &panel) = 0;
  virtual void Visit(TLabel &label) = 0;
  virtual void Visit(TCheckBox &box) = 0;
  virtual void Visit(TRadioButton &radio) = 0;
  virtual void Visit(TEdit &edit) = 0;
  virtual void Visit(TButton &button) = 0;
  virtual void Visit(TListView &list) = 0;
};

// The part common to every control: name, parent, place and tab order.
class TControl {
public:
  TControl(std::string name, TPanel *parent, TBounds bounds, int tabOrder);
  virtual ~TControl() = default;
  TControl(const TControl &) = delete;
  TControl &operator=(const TControl &) = delete;

  const std::string Name; // the member name, e.g. "edtCacheMask"
  TPanel *const Parent;   // null for the form's direct children
  TBounds Bounds;
  int TabOrder; // -1: not a tab stop
  TFontStyle Font;

  bool Enabled() const { return IsEnabled; }
  // Enables or disables the control; a disabled control takes no input.
  void SetEnabled(bool enabled);

  // Attaches the window that shows this control; null detaches it.
  void AttachView(IControlView *view) { View = view; }

  // Calls `visitor`'s Visit for this control's kind.
  virtual void Accept(IControlVisitor &visitor) = 0;

protected:
  void Notify() const {
    if (View) View->Refresh();
  }
  IControlView *View = nullptr;

private:
  bool IsEnabled = true;
};

// A control of kind `T`, which Accept visits as a `T`.
template <typename T> class TControlOf : public TControl {
public:
  using TControl::TControl;
  void Accept(IControlVisitor &visitor) override { visitor.Visit(static_cast<T &>(*this)); }
};

// How a panel's edge is drawn.
enum class TBevel { None, Lowered, Raised };

// A container with up to two bevels and a background colour.
class TPanel : public TControlOf<TPanel> {
public:
  using TControlOf::TControlOf;
  TBevel BevelOuter = TBevel::Raised;
  TBevel BevelInner = TBevel::None;
  uint32_t Color = kNoColor; // kNoColor: the system's button face
};

// A text that takes no input. Its width follows the text when AutoSize is
// set (the view measures it).
class TLabel : public TControlOf<TLabel> {
public:
  TLabel(std::string name, TPanel *parent, TBounds bounds, std::string caption);
  const std::string &Caption() const { return Text; }
  // Shows `caption` instead; a label of fixed width (no AutoSize) keeps its
  // place and size.
  void SetCaption(const std::string &caption);
  bool AutoSize = true;

private:
  std::string Text;
};

// A two-state check box; the user's click toggles it.
class TCheckBox : public TControlOf<TCheckBox> {
public:
  TCheckBox(std::string name, TPanel *parent, TBounds bounds, int tabOrder, std::string caption);
  const std::string Caption;
  // Fired after each change of the checked state.
  std::function<void()> OnClick;
  bool Checked() const { return IsChecked; }
  void SetChecked(bool checked);

private:
  bool IsChecked = false;
};

// A radio button of a group of two. Checking one that was not checked
// unchecks its partner and fires OnClick.
class TRadioButton : public TControlOf<TRadioButton> {
public:
  TRadioButton(std::string name, TPanel *parent, TBounds bounds, int tabOrder, std::string caption);
  const std::string Caption;
  std::function<void()> OnClick;

  // Makes `a` and `b` the two buttons of one exclusive group.
  static void Pair(TRadioButton &a, TRadioButton &b);

  bool Checked() const { return IsChecked; }
  // Checking fires OnClick (after the partner is unchecked) when the button
  // was not checked; unchecking fires nothing.
  void SetChecked(bool checked);

private:
  bool IsChecked = false;
  TRadioButton *Partner = nullptr;
};

// A single-line edit box without a length limit. Every change of its text
// fires OnChange.
class TEdit : public TControlOf<TEdit> {
public:
  using TControlOf::TControlOf;
  std::function<void()> OnChange;

  const std::string &Text() const { return Content; }
  // Sets the text; fires OnChange when it differs from the current one.
  void SetText(const std::string &text);
  // The user edited the text (the view already shows it): stores it and
  // fires OnChange, even when the edit left it as it was.
  void TextEdited(const std::string &text);

private:
  std::string Content;
};

// A push button. A click fires OnClick.
class TButton : public TControlOf<TButton> {
public:
  TButton(std::string name, TPanel *parent, TBounds bounds, int tabOrder, std::string caption);
  const std::string Caption;
  bool Default = false; // Enter presses it
  bool Cancel = false;  // Escape presses it
  std::function<void()> OnClick;
  void Click() {
    if (OnClick) OnClick();
  }
};

// A column of a list view in report mode.
struct TListColumn {
  std::string Caption;
  int Width;
};

// What a list view tells the window that shows it, besides Refresh (which
// it calls after a change made outside an update bracket).
class IListViewDisplay : public IControlView {
public:
  // The outermost update bracket opened: stop repainting.
  virtual void SuspendPainting() = 0;
  // The outermost update bracket closed: show the rows and repaint once.
  virtual void ResumePainting() = 0;
};

// A read-only report-mode list view: a caption and two sub-items per row.
// A row of a cache entry points into the snapshot that holds the entry,
// which the list keeps while it shows the row; other rows' texts are copied
// into one pool, so that a refill costs no allocation per row once the pool
// has grown.
class TListView : public TControlOf<TListView>, public IPreviewList {
public:
  TListView(std::string name, TPanel *parent, TBounds bounds, int tabOrder,
            std::vector<TListColumn> columns);
  const std::vector<TListColumn> Columns;

  // Attaches the window that shows the list; null detaches it.
  void AttachListView(IListViewDisplay *display);

  // Opens an update bracket: nothing is repainted until the outermost one
  // closes. Brackets nest.
  void BeginUpdate() override;
  // Closes a bracket; closing the outermost one repaints once.
  void EndUpdate() override;
  int UpdateCount() const { return Updates; }
  // How often the list has repainted (or would have, without a window).
  uint64_t RepaintCount() const { return Repaints; }

  // Removes every row and lets go of the snapshots they pointed into.
  void Clear() override;
  // Appends a row: its caption and the texts of the two sub-items.
  void AddRow(std::string_view caption, std::string_view subItem1, std::string_view subItem2);
  // Appends a row whose second sub-item is `number` in decimal.
  void AddRow(std::string_view caption, std::string_view subItem1, uint64_t number) override;
  // Appends the row of `entry`: its URL, its local file's name and its size.
  void AddRow(const TCacheEntryView &entry,
              const std::shared_ptr<const TCacheSnapshot> &source) override;

  size_t RowCount() const { return Rows.size(); }

  // The selected row; none when no row is selected. Clear unselects.
  std::optional<size_t> Selected() const { return Selection; }
  // Selects `row` (none: no row); a row past the last selects none.
  void Select(std::optional<size_t> row);

  // Column `column` (0: caption, 1 and 2: sub-items) of row `row`,
  // NUL-terminated. Valid until the next change of the rows; a size written
  // in decimal, only until the next call.
  const char *Cell(size_t row, size_t column) const;

private:
  // A row's texts: in the pool from Offset on (caption, then the two
  // sub-items, each ended by a NUL), or, for an entry's row (Offset is
  // kHeld), its URL and local file's path (or null) where its snapshot
  // keeps them, and its size.
  struct TRow {
    size_t Offset;
    const char *Url;
    const char *LocalPath;
    uint64_t Size;
  };
  static constexpr size_t kHeld = ~size_t{0};

  void Changed();

  // Room for `count` more bytes at the end of the pool; returns where they
  // begin. The pool grows by doubling and keeps its size across Clear.
  char *Extend(size_t count);

  std::vector<TRow> Rows;
  std::unique_ptr<char[]> Pool;
  size_t PoolUsed = 0;
  size_t PoolCapacity = 0;
  // The snapshots the entries' rows point into.
  std::vector<std::shared_ptr<const TCacheSnapshot>> Sources;
  mutable char Digits[24] = {};
  IListViewDisplay *Display = nullptr;
  std::optional<size_t> Selection;
  int Updates = 0;
  uint64_t Repaints = 0;
};
