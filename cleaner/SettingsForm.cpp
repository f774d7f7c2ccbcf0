#include "SettingsForm.h"

#include <utility>

void PutIntoForm(ISettingsForm &form, const TSetting &setting, const CleanerSettings &settings) {
  switch (setting.Kind) {
  case TSettingKind::Flag: form.SetFlag(setting, settings.*setting.Flag); return;
  case TSettingKind::SweepType: form.SetType(setting, settings.*setting.Type); return;
  case TSettingKind::Text: form.SetText(setting, settings.*setting.Text); return;
  }
}

namespace {

// Takes what the form shows for a setting, when it shows a value.
template <typename TValue>
void Take(std::optional<TValue> shown, TValue CleanerSettings::*field, CleanerSettings &settings) {
  if (shown) settings.*field = std::move(*shown);
}

void TakeFromForm(const ISettingsForm &form, const TSetting &setting, CleanerSettings &settings) {
  switch (setting.Kind) {
  case TSettingKind::Flag: Take(form.Flag(setting), setting.Flag, settings); return;
  case TSettingKind::SweepType: Take(form.Type(setting), setting.Type, settings); return;
  case TSettingKind::Text: Take(form.Text(setting), setting.Text, settings); return;
  }
}

} // namespace

void TakeSettingsFrom(const ISettingsForm &form, CleanerSettings &settings) {
  for (const TSetting &setting : kSettings)
    TakeFromForm(form, setting, settings);
}
