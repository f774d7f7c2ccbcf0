#include "KeepSitesForm.h"

#include <exception>
#include <map>

#include "AsciiText.h"

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 290;

// The well-formed items of a stored list, joined again: what the editor
// starts from when the stored list is malformed.
std::string WellFormedItems(const std::string &text) {
  std::string kept;
  size_t begin = 0;
  while (begin <= text.size()) {
    size_t end = text.find(';', begin);
    if (end == std::string::npos) end = text.size();
    const std::string_view item =
        Trim(std::string_view(text).substr(begin, end - begin), kSpaceAndTab);
    if (!item.empty() && !TKeepSites::ValidateName(item))
      kept += (kept.empty() ? "" : ";") + std::string(item);
    begin = end + 1;
  }
  return kept;
}

// A host as the keep list matches it: ASCII letters in lower case, one
// trailing "." dropped.
std::string MatchedHost(std::string_view host) {
  if (!host.empty() && host.back() == '.') host.remove_suffix(1);
  std::string matched(host);
  for (char &c : matched)
    c = LowerAscii(c);
  return matched;
}

std::vector<TKeepSitesForm::TCookieSite> SitesOf(const TCacheSnapshot *cookies,
                                                 const TLeadByteSet &leadBytes) {
  std::map<std::string, TKeepSitesForm::TCookieSite> byHost;
  if (cookies)
    cookies->Select(std::string(CategoryPrefix(TCategory::Cookies)) + "*", leadBytes,
                    [&](const TCacheEntryView &entry) {
                      const std::string host = MatchedHost(TKeepSites::EntryHost(entry.Url));
                      if (host.empty()) return;
                      TKeepSitesForm::TCookieSite &site = byHost[host];
                      if (site.Count++ == 0) site = {host, 1, entry.Url};
                    });
  std::vector<TKeepSitesForm::TCookieSite> sites;
  for (auto &[host, site] : byHost)
    sites.push_back(std::move(site));
  return sites;
}

} // namespace

TKeepSitesForm::TKeepSitesForm(const std::string &text, const TCacheSnapshot *cookies,
                               const TLeadByteSet &leadBytes)
    : TForm("KeepSitesForm", "Sites to keep", kWidth, kHeight),
      Panel("Panel", nullptr, {0, 0, kWidth, kHeight}, 0),
      lblCookieSites("lblCookieSites", &Panel, {8, 8, 0, 13}, "Sites with cookies:"),
      lvCookieSites("lvCookieSites", &Panel, {8, 24, 170, 190}, 0,
                    {{"Site", 110}, {"Cookies", 52}}),
      btnKeep("btnKeep", &Panel, {186, 80, 48, 25}, 1, ">"),
      btnUnkeep("btnUnkeep", &Panel, {186, 112, 48, 25}, 2, "<"),
      lblKeptSites("lblKeptSites", &Panel, {242, 8, 0, 13}, "Sites to keep:"),
      lvKeptSites("lvKeptSites", &Panel, {242, 24, 170, 190}, 3, {{"Site", 162}}),
      btnRemove("btnRemove", &Panel, {337, 220, 75, 25}, 4, "Remove"),
      lblSite("lblSite", &Panel, {8, 226, 0, 13}, "Site:"),
      edtSite("edtSite", &Panel, {40, 222, 138, 21}, 5),
      btnAdd("btnAdd", &Panel, {186, 220, 48, 25}, 6, "Add"),
      btnOk("btnOk", &Panel, {250, 257, 75, 25}, 7, "OK"),
      btnCancel("btnCancel", &Panel, {337, 257, 75, 25}, 8, "Cancel"),
      Sites(SitesOf(cookies, leadBytes)) {
  btnOk.Default = true;
  btnCancel.Cancel = true;
  btnKeep.OnClick = [this] { btnKeepClick(); };
  btnUnkeep.OnClick = [this] { btnUnkeepClick(); };
  btnRemove.OnClick = [this] { btnUnkeepClick(); };
  btnAdd.OnClick = [this] { btnAddClick(); };
  btnOk.OnClick = [this] { btnOkClick(); };
  btnCancel.OnClick = [this] { btnCancelClick(); };
  Take(TKeepSites::Validate(text) ? WellFormedItems(text) : text);
}

std::vector<TControl *> TKeepSitesForm::Controls() {
  return {&Panel,        &lblCookieSites, &lvCookieSites, &btnKeep, &btnUnkeep,
          &lblKeptSites, &lvKeptSites,    &btnRemove,     &lblSite, &edtSite,
          &btnAdd,       &btnOk,          &btnCancel};
}

void TKeepSitesForm::Take(const std::string &text) {
  Current = TKeepSites::Parse(text).Join();
  ShowLists();
}

void TKeepSitesForm::ShowLists() {
  const TKeepSites kept = TKeepSites::Parse(Current);
  {
    const TPreviewUpdateBracket bracket(lvCookieSites);
    lvCookieSites.Clear();
    Offered.clear();
    for (size_t i = 0; i < Sites.size(); ++i) {
      if (kept.Keeps(Sites[i].AnyUrl)) continue;
      Offered.push_back(i);
      lvCookieSites.AddRow(Sites[i].Host, std::to_string(Sites[i].Count), "");
    }
  }
  const TPreviewUpdateBracket bracket(lvKeptSites);
  lvKeptSites.Clear();
  for (const TKeepSite &site : kept.Items())
    lvKeptSites.AddRow(site.Typed, "", "");
}

void TKeepSitesForm::btnKeepClick() {
  const std::optional<size_t> row = lvCookieSites.Selected();
  if (!row) return;
  Take(TKeepSites::Parse(Current).Add(Sites[Offered[*row]].Host));
}

void TKeepSitesForm::btnUnkeepClick() {
  const std::optional<size_t> row = lvKeptSites.Selected();
  if (!row) return;
  const TKeepSites kept = TKeepSites::Parse(Current);
  Take(kept.Remove(kept.Items()[*row].Typed));
}

void TKeepSitesForm::btnAddClick() {
  Take(TKeepSites::Parse(Current).Add(edtSite.Text()));
  edtSite.SetText("");
}

void TKeepSitesForm::btnOkClick() {
  if (!Trim(edtSite.Text(), kSpaceAndTab).empty()) btnAddClick();
  ModalResult = mrOk;
}

void TKeepSitesForm::HandleEvent(const std::function<void()> &event) {
  try {
    event();
  } catch (const std::exception &failure) {
    if (!View) return;
    View->ShowFailure(failure.what());
    View->FocusAtEnd(edtSite);
  }
}
