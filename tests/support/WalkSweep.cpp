#include "WalkSweep.h"

TCategoryTotals Sweep(IPlatform &platform, const std::string &pattern,
                      const TSweepObserver &observer) {
  TEntryDeleter deleter(platform.UrlCache(), observer);
  const TCategory category = CategoryOfPattern(pattern);
  Walk(platform, pattern, [&](const TCacheEntryView &entry) { deleter(category, entry); });
  return deleter.Totals(category);
}
