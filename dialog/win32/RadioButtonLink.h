#pragma once
// A radio button of a group: the system checks it and unchecks the others
// of its group; the control's click handler runs when it becomes checked.
#include "ControlLink.h"

class TRadioButtonLink : public TLinkTo<TRadioButton> {
public:
  using TLinkTo::TLinkTo;
  std::optional<TWindowKind> TemplateItem(bool afterRadio) const override;
  bool IsRadio() const override { return true; }
  void Command(WORD code) override;

protected:
  void ShowState() override { ShowChecked(Window, Shown.Checked()); }
};
