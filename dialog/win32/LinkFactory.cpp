#include "LinkFactory.h"

#include "ButtonLink.h"
#include "CheckBoxLink.h"
#include "EditLink.h"
#include "LabelLink.h"
#include "ListViewLink.h"
#include "PanelLink.h"
#include "RadioButtonLink.h"

namespace {

// Makes the link of the kind the control's Accept names.
class TLinkMaker : public IControlVisitor {
public:
  TLinkMaker(IFormWindow &owner, int id) : Owner(owner), Id(id) {}
  void Visit(TPanel &panel) override { Made = std::make_unique<TPanelLink>(Owner, panel, Id); }
  void Visit(TLabel &label) override { Made = std::make_unique<TLabelLink>(Owner, label, Id); }
  void Visit(TCheckBox &box) override { Made = std::make_unique<TCheckBoxLink>(Owner, box, Id); }
  void Visit(TRadioButton &radio) override {
    Made = std::make_unique<TRadioButtonLink>(Owner, radio, Id);
  }
  void Visit(TEdit &edit) override { Made = std::make_unique<TEditLink>(Owner, edit, Id); }
  void Visit(TButton &button) override { Made = std::make_unique<TButtonLink>(Owner, button, Id); }
  void Visit(TListView &list) override { Made = std::make_unique<TListViewLink>(Owner, list, Id); }

  std::unique_ptr<TControlLink> Made;

private:
  IFormWindow &Owner;
  const int Id;
};

} // namespace

std::unique_ptr<TControlLink> MakeControlLink(IFormWindow &owner, TControl &control, int id) {
  TLinkMaker maker(owner, id);
  control.Accept(maker);
  return std::move(maker.Made);
}
