#pragma once
// CleanerSettings: the cleaner's whole configuration as one plain value, and
// kSettings, the one table of its settings. Load, save, the command line's
// report of them and the options dialog all go through the table, so a new
// setting is a field and a row.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SweepType.h"
#include "UrlCache.h"

class TCustomIniFile;

// The settings, in the table's order. A new value holds false, 0 and empty
// texts; a load gives each setting its default instead.
struct CleanerSettings {
  bool DeleteCache = false;
  TSweepType DeleteCacheType = TSweepType::All;
  std::string CacheMask;
  bool DeleteCookies = false;
  TSweepType DeleteCookiesType = TSweepType::All;
  std::string CookiesMask;
  bool DeleteHistory = false;
  TSweepType DeleteHistoryType = TSweepType::All;
  std::string HistoryMask;
  // The sites whose entries no clean deletes, as typed ("a.com;b.org"; see
  // TKeepSites).
  std::string KeepSites;
  // Whether the cache category also sweeps the content's secure half.
  bool DeleteCacheHttps = false;
  // Whether a clean also overwrites what it deleted: the index records the
  // platform keeps of deleted entries and the bytes of their local files.
  bool WipeTraces = false;

  bool operator==(const CleanerSettings &) const = default;

  bool Enabled(TCategory category) const;
  TSweepType TypeOf(TCategory category) const;
  const std::string &MaskOf(TCategory category) const;
  // The prefixes `category` is swept and shown with: its own, and for the
  // cache with DeleteCacheHttps the https one after it.
  std::vector<std::string_view> PrefixesOf(TCategory category) const;

  // Reads every setting of the table from `section`; a missing key, or for a
  // flag or type a text that does not parse, gives the row's default.
  void Load(TCustomIniFile &ini, const std::string &section);
  // Writes the settings in the table's order, those written once used only
  // when set or already present. Raises as the accessor's writes do.
  void Save(TCustomIniFile &ini, const std::string &section) const;
};

enum class TSettingKind { Flag, SweepType, Text };

// Whether a save always writes a setting, or only once it is used: when it
// differs from its default or its key already stands in the section. So a
// section without such an addition saves exactly as before it existed.
enum class TSettingSave { Always, OnceUsed };

// One row of the table: the INI key, the kind and its field (the field of
// the other kinds is null), the default as the INI file holds it ("1", "0",
// "*.*", ""), and when a save writes it.
struct TSetting {
  const char *Key;
  TSettingKind Kind;
  bool CleanerSettings::*Flag;
  TSweepType CleanerSettings::*Type;
  std::string CleanerSettings::*Text;
  const char *Default;
  TSettingSave Save;
};

// A flag reads as the accessor's ReadFlag does (a number, not 0 is true).
constexpr TSetting FlagSetting(const char *key, bool CleanerSettings::*field, const char *byDefault,
                               TSettingSave save = TSettingSave::Always) {
  return {key, TSettingKind::Flag, field, nullptr, nullptr, byDefault, save};
}

// A sweep type reads as a number, any value kept as it is.
constexpr TSetting TypeSetting(const char *key, TSweepType CleanerSettings::*field,
                               const char *byDefault, TSettingSave save = TSettingSave::Always) {
  return {key, TSettingKind::SweepType, nullptr, field, nullptr, byDefault, save};
}

// A text reads as stored, unchecked.
constexpr TSetting TextSetting(const char *key, std::string CleanerSettings::*field,
                               const char *byDefault, TSettingSave save = TSettingSave::Always) {
  return {key, TSettingKind::Text, nullptr, nullptr, field, byDefault, save};
}

// The settings in the order they are read and saved: the nine of the three
// categories, then the additions.
inline constexpr auto kSettings = std::to_array<TSetting>({
    FlagSetting("DeleteCache", &CleanerSettings::DeleteCache, "1"),
    TypeSetting("DeleteCacheType", &CleanerSettings::DeleteCacheType, "0"),
    TextSetting("CacheMask", &CleanerSettings::CacheMask, "*.*"),
    FlagSetting("DeleteCookies", &CleanerSettings::DeleteCookies, "1"),
    TypeSetting("DeleteCookiesType", &CleanerSettings::DeleteCookiesType, "0"),
    TextSetting("CookiesMask", &CleanerSettings::CookiesMask, "*.*"),
    FlagSetting("DeleteHistory", &CleanerSettings::DeleteHistory, "1"),
    TypeSetting("DeleteHistoryType", &CleanerSettings::DeleteHistoryType, "0"),
    TextSetting("HistoryMask", &CleanerSettings::HistoryMask, "*.*"),
    TextSetting("KeepSites", &CleanerSettings::KeepSites, "", TSettingSave::OnceUsed),
    FlagSetting("DeleteCacheHttps", &CleanerSettings::DeleteCacheHttps, "0",
                TSettingSave::OnceUsed),
    FlagSetting("WipeTraces", &CleanerSettings::WipeTraces, "0", TSettingSave::OnceUsed),
});

// The row of a field; every field has one.
const TSetting &SettingOf(bool CleanerSettings::*field);
const TSetting &SettingOf(TSweepType CleanerSettings::*field);
const TSetting &SettingOf(std::string CleanerSettings::*field);

// The setting's value as the INI file holds it: "1" or "0", a type in signed
// decimal, a text as it is.
std::string ValueText(const CleanerSettings &settings, const TSetting &setting);
// Whether the setting holds its default.
bool AtDefault(const CleanerSettings &settings, const TSetting &setting);
// Whether the setting is used: always, or once used when off its default.
// Saves and reports of the settings name only the used ones (a save
// also rewrites one whose key stands already).
bool Used(const CleanerSettings &settings, const TSetting &setting);

// The three settings of a category and its name.
struct TCategoryFields {
  TCategory Category;
  const char *Name; // "cache", "cookies" or "history"
  bool CleanerSettings::*Flag;
  TSweepType CleanerSettings::*Type;
  std::string CleanerSettings::*Mask;
};

// The categories in the order cache, cookies, history.
const std::array<TCategoryFields, 3> &Categories();
const TCategoryFields &FieldsOf(TCategory category);
// The category whose flag, type or mask `setting` is; none for the others.
std::optional<TCategory> CategoryOf(const TSetting &setting);

// The one-line summary of the switched-on categories with their masks, e.g.
// "http://*.*, Cookie:*.*, Visited:*.*" ("http://*.*, https://*.*, ..." when
// the cache's secure half is swept too); empty when all are off.
std::string SummaryText(const CleanerSettings &settings);
