#pragma once
// A list view in owner-data mode: the rows stay in the control's storage and
// the list view asks for each cell it shows. The window learns of a refill
// only when its bracket closes, so nothing needs to stop it painting
// meanwhile; the bracket's end then paints the list once, at once.
#include "ControlLink.h"

class TListViewLink : public TLinkTo<TListView>, public IListViewDisplay {
public:
  using TLinkTo::TLinkTo;
  std::optional<TWindowKind> TemplateItem(bool afterRadio) const override;
  void Detach() override;
  void Refresh() override;
  void SuspendPainting() override {}
  void ResumePainting() override;
  void Notify(NMHDR &header) override;

protected:
  void Attached() override;

private:
  // What a new row count changed in the window.
  struct TCountChange {
    bool Count = false;   // the count was new to the window
    bool Resized = false; // and the client area changed size with it
  };
  // Tells the window a row count that changed, without drawing its frame.
  TCountChange ShowRowCount();
  // Draws the frame and its scroll bar anew.
  void DrawFrame() const;
  void Paint(TCountChange change) const;
  void FillCell(LVITEMA &item) const;
  // Shows the control's selected row when the window shows another.
  void ShowSelection();
  // The window's selection changed: the control takes it.
  void SelectionChanged(const NMLISTVIEW &change);

  size_t ShownRows = 0;
  std::optional<size_t> ShownSelection;
  bool Selecting = false; // the link itself is changing the window's selection
};
