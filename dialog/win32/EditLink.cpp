#include "EditLink.h"

std::optional<TWindowKind> TEditLink::TemplateItem(bool) const {
  return TWindowKind{"Edit", "", kChildStyle | kTabStopStyle | ES_AUTOHSCROLL | ES_LEFT,
                     WS_EX_CLIENTEDGE};
}

void TEditLink::ShowState() {
  if (WindowText(Window) == Shown.Text()) return;
  ShowingText = true;
  SetWindowTextA(Window, Shown.Text().c_str());
  ShowingText = false;
}

void TEditLink::Command(WORD code) {
  if (code != EN_CHANGE || ShowingText) return;
  const std::string text = WindowText(Window);
  Owner.RunEvent([&] { Shown.TextEdited(text); });
}
