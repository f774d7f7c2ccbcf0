#pragma once
// A single-line edit box without a length limit: the user's edits reach the
// control as they are made; the control's text is shown when it sets it.
#include "ControlLink.h"

class TEditLink : public TLinkTo<TEdit> {
public:
  using TLinkTo::TLinkTo;
  std::optional<TWindowKind> TemplateItem(bool afterRadio) const override;
  void Command(WORD code) override;

protected:
  void Attached() override { SendMessageA(Window, EM_SETLIMITTEXT, 0, 0); }
  void ShowState() override;

private:
  bool ShowingText = false; // the window's text is being set from the control
};
