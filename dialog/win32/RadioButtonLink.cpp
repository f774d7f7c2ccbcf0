#include "RadioButtonLink.h"

// A group begins at its first button; checking one makes it the group's tab
// stop (the system does both).
std::optional<TWindowKind> TRadioButtonLink::TemplateItem(bool afterRadio) const {
  return TWindowKind{"Button", Shown.Caption,
                     kChildStyle | BS_AUTORADIOBUTTON | (afterRadio ? 0u : DWORD{WS_GROUP})};
}

void TRadioButtonLink::Command(WORD code) {
  if (code == BN_CLICKED && ShownChecked(Window)) Owner.RunEvent([&] { Shown.SetChecked(true); });
}
