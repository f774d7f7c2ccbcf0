#pragma once
// What the cleaner needs of a form that shows its settings: the controls of
// each category's section, and a list that a preview fills. The dialog
// implements these; the cleaner knows nothing else of it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "SweepType.h"
#include "UrlCache.h"

// A list of preview rows: URL, file name of the local file, size.
class IPreviewList {
public:
  virtual ~IPreviewList() = default;
  // An update bracket: the list repaints once, when the outermost one closes.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void Clear() = 0;
  virtual void AddRow(std::string_view url, std::string_view fileName, uint64_t size) = 0;
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

// One section per category: a switch, a choice between all entries
// (TSweepType::All) and the mask (ByMask) and the mask's edit box; the
// cache's https switch and the sites to keep.
class ISettingsForm {
public:
  virtual ~ISettingsForm() = default;

  virtual bool Switch(TCategory category) const = 0;
  virtual void SetSwitch(TCategory category, bool on) = 0;

  // All or ByMask by the checked choice; none when neither is checked.
  virtual std::optional<TSweepType> Type(TCategory category) const = 0;
  // All checks "all" and disables the mask box, ByMask checks "mask" and
  // enables it; any other type leaves both alone.
  virtual void SetType(TCategory category, TSweepType type) = 0;

  virtual std::string Mask(TCategory category) const = 0;
  // Sets the mask box's text; a change refreshes the section's list.
  virtual void SetMask(TCategory category, const std::string &mask) = 0;

  // Whether the cache's section also takes the https pages.
  virtual bool CacheHttps() const = 0;
  virtual void SetCacheHttps(bool on) = 0;

  // The sites to keep, as stored text (see TKeepSites).
  virtual std::string KeepSites() const = 0;
  // Sets them; a malformed text is taken as it is and raises
  // EKeepSitesException naming its first malformed item.
  virtual void SetKeepSites(const std::string &text) = 0;

  // Runs `event` as the form's message loop runs an event handler: a failure
  // it raises is caught and reported by the form.
  virtual void HandleEvent(const std::function<void()> &event) = 0;
};
