#include "CacheSnapshot.h"

#include <algorithm>
#include <utility>

bool TCacheSnapshot::Read(IUrlCache &cache, TCategory category, const TCancelled &cancelled) {
  const auto enumeration = cache.Enumerate(category);
  return Read(*enumeration, category, cancelled);
}

bool TCacheSnapshot::Read(IUrlEnumeration &enumeration, TCategory category,
                          const TCancelled &cancelled) {
  std::vector<TCacheEntry> entries;
  while (const TCacheEntryView *entry = enumeration.Next()) {
    if (cancelled && cancelled()) return false;
    entries.push_back(TCacheEntry::Of(*entry));
  }
  TCategoryEntries &kept = Categories[Index(category)];
  kept.Entries = std::move(entries);
  kept.Read = true;
  return true;
}

namespace {

// The category of `alongside` whose container holds the entry with this
// URL, if any.
std::optional<TCategory> ContainerAmong(const std::vector<TCategory> &alongside, const char *url) {
  const TCategory container = ContainerOfUrl(url);
  if (std::find(alongside.begin(), alongside.end(), container) == alongside.end())
    return std::nullopt;
  return container;
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
    TCacheEntry kept = TCacheEntry::Of(*entry);
    if (container) Categories[Index(*container)].Entries.push_back(kept);
    Categories[Index(TCategory::Cache)].Entries.push_back(std::move(kept));
    previous = container;
  }
  Categories[Index(TCategory::Cache)].Read = true;
  for (TCategory category : alongside)
    Categories[Index(category)].Read = true;
  return true;
}

bool TCacheSnapshot::ReadApartWhenNoneListed(IUrlCache &cache, TCategory category,
                                             const TCancelled &cancelled) {
  return Count(category) > 0 || Read(cache, category, cancelled);
}

void TCacheSnapshot::Append(TCategory category, const TCacheEntryView &entry) {
  TCategoryEntries &kept = Categories[Index(category)];
  kept.Entries.push_back(TCacheEntry::Of(entry));
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
  TEntrySelector selector(pattern, leadBytes);
  Select(selector, visit);
}

void TCacheSnapshot::Select(TEntrySelector &selector,
                            const std::function<void(const TCacheEntryView &)> &visit) const {
  for (const TCacheEntry &entry : Categories[Index(selector.Category())].Entries)
    if (selector.Selects(entry.Url.c_str())) visit(entry.View());
}

void TCacheSnapshot::Each(TCategory category,
                          const std::function<void(const TCacheEntryView &)> &visit) const {
  for (const TCacheEntry &entry : Categories[Index(category)].Entries)
    visit(entry.View());
}

bool TCacheSnapshot::SameAs(const TCacheSnapshot &other, TCategory category) const {
  const TCategoryEntries &mine = Categories[Index(category)];
  const TCategoryEntries &theirs = other.Categories[Index(category)];
  return mine.Read == theirs.Read && mine.Entries == theirs.Entries;
}

namespace {

bool Holds(const std::vector<TCategory> &categories, TCategory category) {
  return std::find(categories.begin(), categories.end(), category) != categories.end();
}

// Reads `category` by its own enumeration and hands it over.
bool ReadApart(IUrlCache &cache, TCategory category, const TCategoryRead &read,
               const TCacheSnapshot::TCancelled &cancelled) {
  TCacheSnapshot entries;
  if (!entries.Read(cache, category, cancelled)) return false;
  read(category, std::move(entries));
  return true;
}

// Reads the content and `withContent`, the categories the platform lists
// with it, from one enumeration; hands over the content when it is wanted.
bool ReadContent(IUrlCache &cache, bool contentWanted, const std::vector<TCategory> &withContent,
                 const TCategoryRead &read, const TCacheSnapshot::TCancelled &cancelled,
                 const TCategoryRead &early) {
  TCacheSnapshot entries;
  const auto content = cache.Enumerate(TCategory::Cache);
  if (!entries.ReadWithContent(*content, withContent, cancelled, [&](TCategory passed) {
        if (early) early(passed, entries.Only(passed));
      }))
    return false;
  for (TCategory category : withContent) {
    if (!entries.ReadApartWhenNoneListed(cache, category, cancelled)) return false;
    read(category, entries.Only(category));
  }
  if (contentWanted) read(TCategory::Cache, std::move(entries).Only(TCategory::Cache));
  return true;
}

} // namespace

bool ReadCategories(IUrlCache &cache, const std::vector<TCategory> &categories,
                    const TCategoryRead &read, const TCacheSnapshot::TCancelled &cancelled,
                    const TCategoryRead &early) {
  std::vector<TCategory> withContent; // wanted, and listed with the content
  for (TCategory category : kReadOrder) {
    if (category == TCategory::Cache || !Holds(categories, category)) continue;
    const auto enumeration = cache.EnumerateSeparately(category);
    if (!enumeration) {
      withContent.push_back(category);
      continue;
    }
    TCacheSnapshot entries;
    if (!entries.Read(*enumeration, category, cancelled)) return false;
    read(category, std::move(entries));
  }
  if (Holds(categories, TCategory::Cache))
    return ReadContent(cache, true, withContent, read, cancelled, early);
  // Without the content, reading it whole for the entries of a small
  // container would cost what the content's size costs.
  for (TCategory category : withContent)
    if (!ReadApart(cache, category, read, cancelled)) return false;
  return true;
}
