#pragma once
// A check box: the user's click toggles the control's state.
#include "ControlLink.h"

class TCheckBoxLink : public TLinkTo<TCheckBox> {
public:
  using TLinkTo::TLinkTo;
  std::optional<TWindowKind> TemplateItem(bool afterRadio) const override;
  void Command(WORD code) override;

protected:
  void ShowState() override { ShowChecked(Window, Shown.Checked()); }
};
