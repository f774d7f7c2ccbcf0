#include "CacheSnapshot.h"

#include <cstring>
#include <utility>

#include "CacheWalk.h"
#include "Masks.h"

TCacheSnapshot::TEntry TCacheSnapshot::EntryOf(const TCacheEntryView &view) {
  std::optional<std::string> file;
  if (view.LocalFileName) file = view.LocalFileName;
  return {view.Url, std::move(file), view.Size};
}

bool TCacheSnapshot::Read(IUrlCache &cache, TCategory category, const TCancelled &cancelled) {
  const auto enumeration = cache.Enumerate(category);
  return Read(*enumeration, category, cancelled);
}

bool TCacheSnapshot::Read(IUrlEnumeration &enumeration, TCategory category,
                          const TCancelled &cancelled) {
  std::vector<TEntry> entries;
  while (const TCacheEntryView *entry = enumeration.Next()) {
    if (cancelled && cancelled()) return false;
    entries.push_back(EntryOf(*entry));
  }
  TCategoryEntries &kept = Categories[Index(category)];
  kept.Entries = std::move(entries);
  kept.Read = true;
  return true;
}

namespace {

// The category of `alongside` whose container holds the entry with this
// URL (its prefix begins the URL exactly, as the platform files it), if any.
std::optional<TCategory> ContainerAmong(const std::vector<TCategory> &alongside, const char *url) {
  for (TCategory category : alongside) {
    const char *prefix = CategoryPrefix(category);
    if (std::strncmp(url, prefix, std::strlen(prefix)) == 0) return category;
  }
  return std::nullopt;
}

} // namespace

bool TCacheSnapshot::ReadWithContent(IUrlEnumeration &content,
                                     const std::vector<TCategory> &alongside,
                                     const TCancelled &cancelled,
                                     const std::function<void(TCategory)> &passed) {
  Categories[Index(TCategory::Cache)] = {};
  for (TCategory category : alongside)
    Categories[Index(category)] = {};
  std::optional<TCategory> previous; // of the last entry, when it was one of `alongside`'s
  while (const TCacheEntryView *entry = content.Next()) {
    if (cancelled && cancelled()) return false;
    const std::optional<TCategory> container = ContainerAmong(alongside, entry->Url);
    if (previous && container != previous) {
      TCategoryEntries &left = Categories[Index(*previous)];
      if (!left.Read) {
        left.Read = true;
        if (passed) passed(*previous);
      }
    }
    TEntry kept = EntryOf(*entry);
    if (container) Categories[Index(*container)].Entries.push_back(kept);
    Categories[Index(TCategory::Cache)].Entries.push_back(std::move(kept));
    previous = container;
  }
  Categories[Index(TCategory::Cache)].Read = true;
  for (TCategory category : alongside)
    Categories[Index(category)].Read = true;
  return true;
}

void TCacheSnapshot::Append(TCategory category, const TCacheEntryView &entry) {
  TCategoryEntries &kept = Categories[Index(category)];
  kept.Entries.push_back(EntryOf(entry));
  kept.Read = true;
}

TCacheSnapshot TCacheSnapshot::Only(TCategory category) const & {
  TCacheSnapshot only;
  only.Categories[Index(category)] = Categories[Index(category)];
  return only;
}

TCacheSnapshot TCacheSnapshot::Only(TCategory category) && {
  TCacheSnapshot only;
  only.Categories[Index(category)] = std::move(Categories[Index(category)]);
  return only;
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
