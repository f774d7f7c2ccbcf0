#include "ButtonLink.h"

TButtonLink::TButtonLink(IFormWindow &owner, TButton &button, int id)
    : TLinkTo(owner, button, button.Default ? IDOK : (button.Cancel ? IDCANCEL : id)) {}

std::optional<TWindowKind> TButtonLink::TemplateItem(bool) const {
  return TWindowKind{"Button", Shown.Caption,
                     kChildStyle | WS_TABSTOP |
                         (Shown.Default ? DWORD{BS_DEFPUSHBUTTON} : DWORD{BS_PUSHBUTTON})};
}

void TButtonLink::Attached() {
  HIMAGELIST images = Owner.GlyphsFor(Shown);
  if (!images) return;
  BUTTON_IMAGELIST glyphs{images, {4, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
  SendMessageA(Window, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&glyphs));
}

// A click, Enter or Escape; the dialog manager sends Escape's IDCANCEL even
// when Cancel is disabled.
void TButtonLink::Command(WORD code) {
  if (code == BN_CLICKED && Shown.Enabled()) Owner.RunEvent([&] { Shown.Click(); });
}
