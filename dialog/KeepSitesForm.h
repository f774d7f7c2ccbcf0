#pragma once
// The editor of the sites to keep, opened over the options dialog: on the
// left the sites that have cookies in the cache, on the right the sites
// kept; buttons move a site across, a box takes a typed name. Its OK leaves
// the edited list in Text() for the dialog, which saves it with its own OK.
#include <optional>
#include <string>
#include <vector>

#include "CacheSnapshot.h"
#include "Form.h"
#include "KeepSites.h"

class TKeepSitesForm : public TForm {
public:
  // The editor of the stored list `text`, offering the sites of `cookies`
  // (the cookie entries read; null when none are read yet), their hosts
  // matched in the code page of `leadBytes`. A malformed `text` starts the
  // editor with its well-formed items.
  TKeepSitesForm(const std::string &text, const TCacheSnapshot *cookies,
                 const TLeadByteSet &leadBytes);

  TPanel Panel;
  TLabel lblCookieSites;
  TListView lvCookieSites; // site, cookie count; the sites not kept yet
  TButton btnKeep;         // left to right: keeps the selected site
  TButton btnUnkeep;       // right to left: keeps the selected site no more
  TLabel lblKeptSites;
  TListView lvKeptSites; // the sites kept, as typed
  TButton btnRemove;     // as btnUnkeep
  TLabel lblSite;
  TEdit edtSite;
  TButton btnAdd; // keeps the typed name
  TButton btnOk;
  TButton btnCancel;

  // The handlers. A malformed name raises EKeepSitesException, which the
  // editor shows, staying open.
  void btnKeepClick();
  void btnUnkeepClick();
  void btnAddClick();
  // Keeps a name left typed in the box first (Enter in the box is OK).
  void btnOkClick();
  void btnCancelClick() { ModalResult = mrCancel; }

  // The edited list as stored text.
  const std::string &Text() const { return Current; }

  // A site with cookies in the cache and how many it has.
  struct TCookieSite {
    std::string Host; // as matched: ASCII letters in lower case, no trailing "."
    uint64_t Count = 0;
    std::string AnyUrl; // one of its cookies' URLs
  };
  // Every site with cookies, sorted by name, each once.
  const std::vector<TCookieSite> &CookieSites() const { return Sites; }

  std::vector<TControl *> Controls() override;
  // A failure is shown in the view's error box; the focus then goes to the
  // name box, the caret at its end.
  void HandleEvent(const std::function<void()> &event) override;

private:
  // Takes `text` as the edited list and shows both lists anew.
  void Take(const std::string &text);
  void ShowLists();

  std::string Current;
  std::vector<TCookieSite> Sites;
  std::vector<size_t> Offered; // the Sites shown on the left, by row
};
