#include "IENorvaneU.h"

#include <cstring>
#include <functional>
#include <string_view>

#include "IniFiles.h"

TCategoryTotals &TCleanTotals::Of(TCategory category) {
  switch (category) {
  case TCategory::Cookies: return Cookies;
  case TCategory::History: return History;
  case TCategory::Cache: break;
  }
  return Cache;
}

const TCategoryTotals &TCleanTotals::Of(TCategory category) const {
  return const_cast<TCleanTotals *>(this)->Of(category);
}

TIENorvane::TIENorvane(IPlatform &platform) : System(platform) {}

const std::array<TCategoryFields, 3> &TIENorvane::Categories() {
  static const std::array<TCategoryFields, 3> table{{
      {TCategory::Cache, &TIENorvane::DeleteCache, &TIENorvane::DeleteCacheType,
       &TIENorvane::CacheMask, "DeleteCache", "DeleteCacheType", "CacheMask"},
      {TCategory::Cookies, &TIENorvane::DeleteCookies, &TIENorvane::DeleteCookiesType,
       &TIENorvane::CookiesMask, "DeleteCookies", "DeleteCookiesType", "CookiesMask"},
      {TCategory::History, &TIENorvane::DeleteHistory, &TIENorvane::DeleteHistoryType,
       &TIENorvane::HistoryMask, "DeleteHistory", "DeleteHistoryType", "HistoryMask"},
  }};
  return table;
}

const TCategoryFields &TIENorvane::FieldsOf(TCategory category) {
  return Categories()[static_cast<size_t>(category)];
}

void TIENorvane::LoadSettings(const std::string &iniFile, const std::string &section) {
  TIniFile ini(System.Profiles(), iniFile);
  for (const TCategoryFields &c : Categories()) {
    this->*c.Flag = ini.ReadFlag(section, c.FlagKey, true);
    this->*c.Type = ini.ReadNumber(section, c.TypeKey, 0);
    this->*c.Mask = ini.ReadText(section, c.MaskKey, "*.*");
  }
}

void TIENorvane::SaveSettings(const std::string &iniFile, const std::string &section) {
  TIniFile ini(System.Profiles(), iniFile);
  for (const TCategoryFields &c : Categories()) {
    ini.WriteFlag(section, c.FlagKey, this->*c.Flag);
    ini.WriteNumber(section, c.TypeKey, this->*c.Type);
    ini.WriteText(section, c.MaskKey, this->*c.Mask);
  }
}

std::optional<std::string> TIENorvane::SweepPatternOf(TCategory category) const {
  if (!Enabled(category)) return std::nullopt;
  return SweepPattern(category, TypeOf(category), MaskOf(category));
}

TCleanTotals TIENorvane::Clean(const TSweepObserver &observer) {
  TCleanTotals totals;
  // The cookie and history entries that the platform listed with the http
  // content (Wine lists every container there), kept by the http sweep for
  // the sweeps after it, so that no entry is listed twice.
  TCacheSnapshot listedWithContent;
  const auto cookies = SweepPatternOf(TCategory::Cookies);
  const auto history = SweepPatternOf(TCategory::History);
  if (const auto pattern = SweepPatternOf(TCategory::Cache)) {
    TPassedOver keep;
    if (cookies || history)
      keep = [&](const TCacheEntryView &entry) {
        const TCategory category = CategoryOfPattern(entry.Url);
        if (category == TCategory::Cookies ? cookies.has_value() : history.has_value())
          listedWithContent.Append(category, entry);
      };
    totals.Cache = Sweep(System, *pattern, observer, keep);
  }
  if (cookies)
    totals.Cookies = SweepCategory(TCategory::Cookies, *cookies, observer, listedWithContent);
  if (history)
    totals.History = SweepCategory(TCategory::History, *history, observer, listedWithContent);
  // The history store is emptied whatever the history type: a mask only
  // narrows the sweep of the "Visited:" entries before it.
  if (DeleteHistory) totals.HistoryStore = System.History().Clear();
  return totals;
}

TCategoryTotals TIENorvane::SweepCategory(TCategory category, const std::string &pattern,
                                          const TSweepObserver &observer,
                                          const TCacheSnapshot &listedWithContent) {
  if (const auto own = System.UrlCache().EnumerateSeparately(category))
    return Sweep(System, *own, pattern, observer);
  // Listed with the content: the entries the http sweep kept, in the
  // platform's order. When it kept none (or did not run), the category's
  // own enumeration is asked, which costs little when it holds none.
  if (listedWithContent.Count(category) == 0) return Sweep(System, pattern, observer);
  TEntryDeleter deleter(System.UrlCache(), category, observer);
  listedWithContent.Select(pattern, System.LeadBytes(), std::ref(deleter));
  return deleter.Totals();
}

// ---- The options dialog's side: the form and its preview lists ----

namespace {

// The part of `path` after its last backslash (byte 92); only the backslash
// separates. One pass over the path: it runs for every row of a fill.
std::string_view FileNameOf(const char *path) {
  const char *slash = std::strrchr(path, '\\');
  return slash ? slash + 1 : path;
}

} // namespace

void TIENorvane::WriteToForm(ISettingsForm &form) {
  for (const TCategoryFields &c : Categories())
    form.SetSwitch(c.Category, this->*c.Flag);
  for (const TCategoryFields &c : Categories())
    form.HandleEvent([&] {
      form.SetType(c.Category, this->*c.Type);
      form.SetMask(c.Category, this->*c.Mask);
    });
}

void TIENorvane::ReadFromForm(const ISettingsForm &form) {
  for (const TCategoryFields &c : Categories()) {
    this->*c.Flag = form.Switch(c.Category);
    this->*c.Type = form.Type(c.Category).value_or(this->*c.Type);
    this->*c.Mask = form.Mask(c.Category);
  }
}

namespace {

// Empties `list` and lets `select` add its rows, repainting once. The bracket
// closes on every path, also when the matcher raises: the list then repaints
// once, empty.
template <typename TSelect> void FillRows(IPreviewList &list, const TSelect &select) {
  TPreviewUpdateBracket bracket(list);
  list.Clear();
  select([&list](const TCacheEntryView &entry) {
    const std::string_view fileName =
        entry.LocalFileName ? FileNameOf(entry.LocalFileName) : std::string_view();
    list.AddRow(entry.Url, fileName, entry.Size);
  });
}

} // namespace

void TIENorvane::FillPreviewList(IPlatform &platform, IPreviewList &list,
                                 const std::string &pattern) {
  FillRows(list, [&](const auto &addRow) { Walk(platform, pattern, addRow); });
}

void TIENorvane::FillPreviewList(const TCacheSnapshot &snapshot, const TLeadByteSet &leadBytes,
                                 IPreviewList &list, const std::string &pattern) {
  FillRows(list, [&](const auto &addRow) { snapshot.Select(pattern, leadBytes, addRow); });
}

std::string TIENorvane::FileNameOfPath(const std::string &path) {
  return std::string(FileNameOf(path.c_str()));
}
