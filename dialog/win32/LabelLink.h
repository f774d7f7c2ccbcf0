#pragma once
// A label: a static text as wide as its caption (when it sizes itself),
// drawn in its font's colour on its panel's background.
#include "ControlLink.h"

class TLabelLink : public TLinkTo<TLabel> {
public:
  using TLinkTo::TLinkTo;
  std::optional<TWindowKind> TemplateItem(bool afterRadio) const override;
  INT_PTR StaticColours(HDC dc, HBRUSH background) const override;

protected:
  void Fit() override;
  void ShowState() override;
};
