#include "CacheSnapshot.h"

#include "CacheWalk.h"
#include "Masks.h"

bool TCacheSnapshot::Read(IUrlCache &cache, TCategory category, const TCancelled &cancelled) {
  std::vector<TEntry> entries;
  const auto enumeration = cache.Enumerate(category);
  while (const TCacheEntryView *entry = enumeration->Next()) {
    if (cancelled && cancelled()) return false;
    std::optional<std::string> file;
    if (entry->LocalFileName) file = entry->LocalFileName;
    entries.push_back({entry->Url, std::move(file), entry->Size});
  }
  TCategoryEntries &kept = Categories[Index(category)];
  kept.Entries = std::move(entries);
  kept.Read = true;
  return true;
}

void TCacheSnapshot::Select(const std::string &pattern, const TLeadByteSet &leadBytes,
                            const std::function<void(const TCacheEntryView &)> &visit) const {
  std::optional<TMask> mask; // compiled when the first entry reaches the match
  for (const TEntry &entry : Categories[Index(CategoryOfPattern(pattern))].Entries) {
    if (!PassesCategoryFilter(pattern, entry.Url.c_str())) continue;
    if (!mask) mask.emplace(pattern, leadBytes);
    if (!mask->Matches(entry.Url)) continue;
    visit({entry.Url.c_str(), entry.LocalFileName ? entry.LocalFileName->c_str() : nullptr,
           entry.Size});
  }
}

bool TCacheSnapshot::SameAs(const TCacheSnapshot &other, TCategory category) const {
  const TCategoryEntries &mine = Categories[Index(category)];
  const TCategoryEntries &theirs = other.Categories[Index(category)];
  return mine.Read == theirs.Read && mine.Entries == theirs.Entries;
}
