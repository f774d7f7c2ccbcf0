#include "CleanerSettings.h"

#include <stdexcept>

#include "CacheWalk.h"
#include "IniFiles.h"

namespace {

// The row whose `column` holds `field`.
template <typename TField> const TSetting &Find(TField TSetting::*column, TField field) {
  for (const TSetting &setting : kSettings)
    if (setting.*column == field) return setting;
  throw std::logic_error("a field of CleanerSettings without a row in kSettings");
}

// A flag's or a type's default as the number the accessor reads.
int32_t NumberDefault(const TSetting &setting) {
  return ParseIniNumber(setting.Default).value_or(0);
}

void LoadSetting(CleanerSettings &settings, const TSetting &setting, TCustomIniFile &ini,
                 const std::string &section) {
  switch (setting.Kind) {
  case TSettingKind::Flag:
    settings.*setting.Flag = ini.ReadFlag(section, setting.Key, NumberDefault(setting) != 0);
    return;
  case TSettingKind::SweepType:
    settings.*setting.Type =
        SweepTypeOf(ini.ReadNumber(section, setting.Key, NumberDefault(setting)));
    return;
  case TSettingKind::Text:
    settings.*setting.Text = ini.ReadText(section, setting.Key, setting.Default);
    return;
  }
}

void SaveSetting(const CleanerSettings &settings, const TSetting &setting, TCustomIniFile &ini,
                 const std::string &section) {
  switch (setting.Kind) {
  case TSettingKind::Flag: ini.WriteFlag(section, setting.Key, settings.*setting.Flag); return;
  case TSettingKind::SweepType:
    ini.WriteNumber(section, setting.Key, TypeCode(settings.*setting.Type));
    return;
  case TSettingKind::Text: ini.WriteText(section, setting.Key, settings.*setting.Text); return;
  }
}

} // namespace

const TSetting &SettingOf(bool CleanerSettings::*field) { return Find(&TSetting::Flag, field); }
const TSetting &SettingOf(TSweepType CleanerSettings::*field) {
  return Find(&TSetting::Type, field);
}
const TSetting &SettingOf(std::string CleanerSettings::*field) {
  return Find(&TSetting::Text, field);
}

std::string ValueText(const CleanerSettings &settings, const TSetting &setting) {
  switch (setting.Kind) {
  case TSettingKind::Flag: return settings.*setting.Flag ? "1" : "0";
  case TSettingKind::SweepType: return std::to_string(TypeCode(settings.*setting.Type));
  case TSettingKind::Text: break;
  }
  return settings.*setting.Text;
}

bool AtDefault(const CleanerSettings &settings, const TSetting &setting) {
  return ValueText(settings, setting) == setting.Default;
}

bool Used(const CleanerSettings &settings, const TSetting &setting) {
  return setting.Save == TSettingSave::Always || !AtDefault(settings, setting);
}

void CleanerSettings::Load(TCustomIniFile &ini, const std::string &section) {
  for (const TSetting &setting : kSettings)
    LoadSetting(*this, setting, ini, section);
}

void CleanerSettings::Save(TCustomIniFile &ini, const std::string &section) const {
  // An addition that stands already is rewritten, also when back at its
  // default.
  for (const TSetting &setting : kSettings)
    if (Used(*this, setting) || ini.ValueExists(section, setting.Key))
      SaveSetting(*this, setting, ini, section);
}

const std::array<TCategoryFields, 3> &Categories() {
  using S = CleanerSettings;
  static const std::array<TCategoryFields, 3> table{{
      {TCategory::Cache, "cache", &S::DeleteCache, &S::DeleteCacheType, &S::CacheMask},
      {TCategory::Cookies, "cookies", &S::DeleteCookies, &S::DeleteCookiesType, &S::CookiesMask},
      {TCategory::History, "history", &S::DeleteHistory, &S::DeleteHistoryType, &S::HistoryMask},
  }};
  return table;
}

const TCategoryFields &FieldsOf(TCategory category) {
  return Categories()[static_cast<size_t>(category)];
}

std::optional<TCategory> CategoryOf(const TSetting &setting) {
  for (const TCategoryFields &c : Categories())
    if (setting.Flag == c.Flag || setting.Type == c.Type || setting.Text == c.Mask)
      return c.Category;
  return std::nullopt;
}

bool CleanerSettings::Enabled(TCategory category) const { return this->*FieldsOf(category).Flag; }

TSweepType CleanerSettings::TypeOf(TCategory category) const {
  return this->*FieldsOf(category).Type;
}

const std::string &CleanerSettings::MaskOf(TCategory category) const {
  return this->*FieldsOf(category).Mask;
}

std::vector<std::string_view> CleanerSettings::PrefixesOf(TCategory category) const {
  return SweptPrefixes(category, DeleteCacheHttps);
}

std::string SummaryText(const CleanerSettings &settings) {
  std::string summary;
  for (TCategory category : kAllCategories) {
    if (!settings.Enabled(category)) continue;
    for (std::string_view prefix : settings.PrefixesOf(category)) {
      // An earlier pattern has put its own here already.
      if (!summary.empty()) summary += ", ";
      summary.append(prefix).append(settings.MaskOf(category));
    }
  }
  return summary;
}
