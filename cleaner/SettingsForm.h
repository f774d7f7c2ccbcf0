#pragma once
// What the cleaner needs of a form that shows its settings: the controls of
// each category's section, and a list that a preview fills. The dialog
// implements these; the cleaner knows nothing else of it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "CleanerSettings.h"
#include "SweepType.h"
#include "UrlCache.h"

class TCacheSnapshot;

// A list of preview rows: URL, file name of the local file, size.
class IPreviewList {
public:
  virtual ~IPreviewList() = default;
  // An update bracket: the list repaints once, when the outermost one closes.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void Clear() = 0;
  // Appends a row of copies of the texts.
  virtual void AddRow(std::string_view url, std::string_view fileName, uint64_t size) = 0;
  // Appends a row showing `entry` (the file name of its local file), whose
  // texts `source` holds: the list keeps `source` while it shows the row,
  // and copies nothing.
  virtual void AddRow(const TCacheEntryView &entry,
                      const std::shared_ptr<const TCacheSnapshot> &source) = 0;
};

// Holds a list's update bracket open for a scope: closes it on every path.
class TPreviewUpdateBracket {
public:
  explicit TPreviewUpdateBracket(IPreviewList &list) : List(list) { List.BeginUpdate(); }
  ~TPreviewUpdateBracket() { List.EndUpdate(); }
  TPreviewUpdateBracket(const TPreviewUpdateBracket &) = delete;
  TPreviewUpdateBracket &operator=(const TPreviewUpdateBracket &) = delete;

private:
  IPreviewList &List;
};

// The controls that show the settings, each found by its row of kSettings:
// a check box for a flag, a choice between all entries (TSweepType::All)
// and the mask (ByMask) for a sweep type, an edit box or the sites to keep
// for a text. A form without a control for a setting ignores its value and
// shows none.
class ISettingsForm {
public:
  virtual ~ISettingsForm() = default;

  // The value shown; none when the form shows none (for a type: neither
  // choice checked), and the setting then keeps its value.
  virtual std::optional<bool> Flag(const TSetting &setting) const = 0;
  virtual std::optional<TSweepType> Type(const TSetting &setting) const = 0;
  virtual std::optional<std::string> Text(const TSetting &setting) const = 0;

  virtual void SetFlag(const TSetting &setting, bool on) = 0;
  // All checks "all" and disables the mask box, ByMask checks "mask" and
  // enables it; any other type leaves both alone.
  virtual void SetType(const TSetting &setting, TSweepType type) = 0;
  // A mask's change refreshes its section's list; a malformed keep list is
  // taken as it is and raises EKeepSitesException naming its first
  // malformed item.
  virtual void SetText(const TSetting &setting, const std::string &text) = 0;

  // Runs `event` as the form's message loop runs an event handler: a failure
  // it raises is caught and reported by the form.
  virtual void HandleEvent(const std::function<void()> &event) = 0;
};

// Puts `setting` of `settings` into the form's control for it.
void PutIntoForm(ISettingsForm &form, const TSetting &setting, const CleanerSettings &settings);
// Takes every setting the form shows into `settings`; one it shows no value
// for (a type with neither choice checked) stays as it is.
void TakeSettingsFrom(const ISettingsForm &form, CleanerSettings &settings);
