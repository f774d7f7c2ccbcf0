#include "CheckBoxLink.h"

std::optional<TWindowKind> TCheckBoxLink::TemplateItem(bool) const {
  return TWindowKind{"Button", Shown.Caption, kChildStyle | kTabStopStyle | BS_AUTOCHECKBOX};
}

void TCheckBoxLink::Command(WORD code) {
  if (code != BN_CLICKED) return;
  const bool checked = ShownChecked(Window);
  Owner.RunEvent([&] { Shown.SetChecked(checked); });
}
