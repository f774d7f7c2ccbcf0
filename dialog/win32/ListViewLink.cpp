#include "ListViewLink.h"

namespace {

constexpr int kCellsPerRow = 3; // a list row: its caption and two sub-items

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

} // namespace

std::optional<TWindowKind> TListViewLink::TemplateItem(bool) const {
  return TWindowKind{WC_LISTVIEWA, "",
                     kChildStyle | kTabStopStyle | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDATA,
                     WS_EX_CLIENTEDGE};
}

void TListViewLink::Attached() {
  Shown.AttachListView(this);
  SendMessageA(Window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  int index = 0;
  for (const TListColumn &column : Shown.Columns) {
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
  Shown.AttachListView(nullptr);
  TControlLink::Detach();
}

void TListViewLink::Refresh() {
  if (ShowRowCount().Count) DrawFrame();
  ShowSelection();
  InvalidateRect(Window, nullptr, TRUE);
  TControlLink::Refresh();
}

// A list view sets its scroll bar's range twice for a new count (Wine), and
// the system draws the scroll bar each time, which costs more than the rows.
// With the list's panel held from drawing while it does so, the caller draws
// the scroll bar once, with the frame, afterwards.
TListViewLink::TCountChange TListViewLink::ShowRowCount() {
  if (Shown.RowCount() == ShownRows) return {};
  ShownRows = Shown.RowCount();
  RECT before, after;
  GetClientRect(Window, &before);
  {
    const TDrawingHeld held(GetParent(Window));
    // The rows are painted by the caller; the list need not invalidate them.
    SendMessageA(Window, LVM_SETITEMCOUNT, static_cast<WPARAM>(ShownRows), LVSICF_NOINVALIDATEALL);
  }
  GetClientRect(Window, &after);
  return {true, before.right != after.right || before.bottom != after.bottom};
}

void TListViewLink::DrawFrame() const {
  if (IsWindowVisible(Window)) SendMessageA(Window, WM_NCPAINT, 1, 0);
}

// Paints the rows now. When the scroll bar came or went, the frame and the
// column header (which took the scroll bar's place, or gave it up) are
// painted with them, in one pass: a frame drawn on its own costs as much as
// the rows. Otherwise the header is left as it is, and the frame is drawn
// only for a new count (the scroll bar's thumb).
void TListViewLink::Paint(TCountChange change) const {
  constexpr UINT kNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN;
  if (change.Resized) {
    RedrawWindow(Window, nullptr, nullptr, kNow | RDW_FRAME);
    return;
  }
  if (change.Count) DrawFrame();
  RECT rows;
  GetClientRect(Window, &rows);
  RECT header;
  if (GetWindowRect(ListView_GetHeader(Window), &header)) rows.top = header.bottom - header.top;
  RedrawWindow(Window, &rows, nullptr, kNow);
}

void TListViewLink::ResumePainting() {
  const TCountChange change = ShowRowCount();
  ShowSelection();
  Paint(change);
}

// Nothing to do for a list whose selection the user alone changes: the
// window shows it already.
void TListViewLink::ShowSelection() {
  if (Shown.Selected() == ShownSelection) return;
  ShownSelection = Shown.Selected();
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  Selecting = true;
  SendMessageA(Window, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (ShownSelection) {
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(Window, LVM_SETITEMSTATE, *ShownSelection, reinterpret_cast<LPARAM>(&state));
    SendMessageA(Window, LVM_ENSUREVISIBLE, *ShownSelection, FALSE);
  }
  Selecting = false;
}

// An owner-data list reports a change of every row as row -1.
void TListViewLink::SelectionChanged(const NMLISTVIEW &change) {
  if (Selecting || !(change.uChanged & LVIF_STATE)) return;
  if (!((change.uOldState ^ change.uNewState) & LVIS_SELECTED)) return;
  std::optional<size_t> row;
  if (change.iItem >= 0 && (change.uNewState & LVIS_SELECTED))
    row = static_cast<size_t>(change.iItem);
  else if (change.iItem >= 0 && ShownSelection != static_cast<size_t>(change.iItem))
    return; // another row lost the selection
  ShownSelection = row;
  Owner.RunEvent([&] { Shown.Select(row); });
}

void TListViewLink::FillCell(LVITEMA &item) const {
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0 || item.iItem < 0 ||
      static_cast<size_t>(item.iItem) >= Shown.RowCount() || item.iSubItem < 0 ||
      item.iSubItem >= kCellsPerRow)
    return;
  lstrcpynA(item.pszText,
            Shown.Cell(static_cast<size_t>(item.iItem), static_cast<size_t>(item.iSubItem)),
            item.cchTextMax);
}

// The panels are ANSI windows, so the list views ask in ANSI.
void TListViewLink::Notify(NMHDR &header) {
  if (header.code == LVN_GETDISPINFOA) FillCell(reinterpret_cast<NMLVDISPINFOA &>(header).item);
  if (header.code == LVN_ITEMCHANGED) SelectionChanged(reinterpret_cast<NMLISTVIEW &>(header));
}
