#include "WalkSweep.h"

#include "AsciiText.h"

void Walk(IPlatform &platform, const std::string &pattern,
          const std::function<void(const TCacheEntryView &)> &visit) {
  TEntrySelector selector(pattern, platform.LeadBytes());
  const auto enumeration = platform.UrlCache().Enumerate(selector.Category());
  while (const TCacheEntryView *entry = enumeration->Next())
    if (selector.Selects(entry->Url)) visit(*entry);
}

void FillFromWalk(IPlatform &platform, IPreviewList &list, const std::string &pattern) {
  TPreviewUpdateBracket bracket(list);
  list.Clear();
  try {
    Walk(platform, pattern, [&list](const TCacheEntryView &entry) {
      const char *file = entry.LocalFileName;
      list.AddRow(entry.Url, file ? FileNameOf(file) : std::string_view(), entry.Size);
    });
  } catch (...) {
    list.Clear();
    throw;
  }
}

CleanerSettings SettingsSweeping(const std::string &pattern) {
  const TCategory category = CategoryOfPattern(pattern);
  const TCategoryFields &fields = FieldsOf(category);
  CleanerSettings settings;
  settings.*fields.Flag = true;
  settings.*fields.Type = TSweepType::ByMask;
  settings.*fields.Mask = pattern.substr(std::string_view(CategoryPrefix(category)).size());
  return settings;
}

TCategoryTotals Sweep(IPlatform &platform, const std::string &pattern,
                      const TSweepObserver &observer) {
  TEntryDeleter deleter(platform.UrlCache(), observer);
  const TCategory category = CategoryOfPattern(pattern);
  Walk(platform, pattern, [&](const TCacheEntryView &entry) { deleter(category, entry); });
  return deleter.Totals(category);
}
