#pragma once
// A push button with a glyph: a click, or Enter and Escape for the default
// and cancel buttons, runs the control's click handler.
#include "ControlLink.h"

class TButtonLink : public TLinkTo<TButton> {
public:
  // The default and cancel buttons take the dialog manager's ids for Enter
  // and Escape; others `id`.
  TButtonLink(IFormWindow &owner, TButton &button, int id);
  std::optional<TWindowKind> TemplateItem(bool afterRadio) const override;
  void Command(WORD code) override;

protected:
  void Attached() override;
};
