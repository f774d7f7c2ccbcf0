#pragma once
// A panel: a child dialog (DS_CONTROL) holding the panel's controls, made
// from a template of their windows. It draws its bevels and background
// colour and passes its controls' notifications to the form's window.
#include "ControlLink.h"
#include "Handles.h"

class TPanelLink : public TLinkTo<TPanel> {
public:
  TPanelLink(IFormWindow &owner, TPanel &panel, int id);
  std::optional<TWindowKind> TemplateItem(bool /*afterRadio*/) const override {
    return std::nullopt;
  }
  HWND MakeWindow(HWND parentWindow) override;
  const TPanel *Container() const override { return &Shown; }
  // The panel dialog's procedure.
  INT_PTR Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
  HBRUSH Background() const;
  void PaintBevels(HWND window) const;
  INT_PTR ChildColours(HDC dc, HWND child) const;

  TGdiObject Brush;
};
