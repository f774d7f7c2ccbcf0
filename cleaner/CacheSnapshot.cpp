#include "CacheSnapshot.h"

#include <algorithm>
#include <utility>

// What an earlier read kept of one category, walked alongside a new read of
// it: the platform lists an unchanged cache in the same order, so an entry
// met again is looked for just after the last one found, a few places on
// (past entries gone since). Entries added since are not found, and copied.
class TCacheSnapshot::TEarlierEntries {
public:
  TEarlierEntries(const TCacheSnapshot *earlier, TCategory category)
      : Earlier(earlier),
        Entries(earlier ? &earlier->Categories[Index(category)].Entries : nullptr) {}

  // The earlier view of `entry`; null when there is none.
  const TCacheEntryView *Find(const TCacheEntryView &entry) {
    if (!Entries) return nullptr;
    const size_t end = std::min(Entries->size(), Next + kLookAhead);
    for (size_t i = Next; i < end; ++i)
      if (SameEntry((*Entries)[i], entry)) {
        Next = i + 1;
        return &(*Entries)[i];
      }
    return nullptr;
  }
  // The earlier snapshot the first time it is asked for, null after: the
  // texts of its entries are shared once one of them is found.
  const TCacheSnapshot *TakeToShare() { return std::exchange(Earlier, nullptr); }

private:
  static constexpr size_t kLookAhead = 8;
  const TCacheSnapshot *Earlier;
  const std::vector<TCacheEntryView> *Entries;
  size_t Next = 0;
};

TEntryTexts &TCacheSnapshot::OwnTexts() {
  if (!Texts) Texts = std::make_shared<TEntryTexts>();
  return *Texts;
}

TCacheEntryView TCacheSnapshot::Keep(const TCacheEntryView &entry, TEarlierEntries &earlier) {
  const TCacheEntryView *known = earlier.Find(entry);
  if (!known) return OwnTexts().Keep(entry);
  if (const TCacheSnapshot *first = earlier.TakeToShare()) ShareTextsOf(*first);
  return *known;
}

void TCacheSnapshot::ShareTextsOf(const TCacheSnapshot &other) {
  const auto share = [this](std::shared_ptr<const TEntryTexts> texts) {
    if (texts && std::find(SharedTexts.begin(), SharedTexts.end(), texts) == SharedTexts.end() &&
        texts != Texts)
      SharedTexts.push_back(std::move(texts));
  };
  share(other.Texts);
  for (const std::shared_ptr<const TEntryTexts> &texts : other.SharedTexts)
    share(texts);
}

size_t TCacheSnapshot::TextBytes() const {
  size_t bytes = Texts ? Texts->Bytes() : 0;
  for (const std::shared_ptr<const TEntryTexts> &texts : SharedTexts)
    bytes += texts->Bytes();
  return bytes;
}

bool TCacheSnapshot::Read(IUrlCache &cache, TCategory category, const TCancelled &cancelled,
                          const TCacheSnapshot *earlier) {
  const auto enumeration = cache.Enumerate(category);
  return Read(*enumeration, category, cancelled, earlier);
}

bool TCacheSnapshot::Read(IUrlEnumeration &enumeration, TCategory category,
                          const TCancelled &cancelled, const TCacheSnapshot *earlier) {
  TEarlierEntries known(earlier, category);
  std::vector<TCacheEntryView> entries;
  while (const TCacheEntryView *entry = enumeration.Next()) {
    if (cancelled && cancelled()) return false;
    entries.push_back(Keep(*entry, known));
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
                                     const std::function<void(TCategory)> &passed,
                                     const TCacheSnapshot *earlier) {
  TEarlierEntries known(earlier, TCategory::Cache);
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
    const TCacheEntryView kept = Keep(*entry, known);
    if (container) Categories[Index(*container)].Entries.push_back(kept);
    Categories[Index(TCategory::Cache)].Entries.push_back(kept);
    previous = container;
  }
  Categories[Index(TCategory::Cache)].Read = true;
  for (TCategory category : alongside)
    Categories[Index(category)].Read = true;
  return true;
}

bool TCacheSnapshot::ReadApartWhenNoneListed(IUrlCache &cache, TCategory category,
                                             const TCancelled &cancelled,
                                             const TCacheSnapshot *earlier) {
  return Count(category) > 0 || Read(cache, category, cancelled, earlier);
}

void TCacheSnapshot::Append(TCategory category, const TCacheEntryView &entry) {
  TCategoryEntries &kept = Categories[Index(category)];
  kept.Entries.push_back(OwnTexts().Keep(entry));
  kept.Read = true;
}

TCacheSnapshot TCacheSnapshot::Only(TCategory category) const & {
  TCacheSnapshot only;
  only.Categories[Index(category)] = Categories[Index(category)];
  only.ShareTextsOf(*this);
  return only;
}

TCacheSnapshot TCacheSnapshot::Only(TCategory category) && {
  TCacheSnapshot only;
  only.Categories[Index(category)] = std::move(Categories[Index(category)]);
  only.Texts = std::move(Texts);
  only.SharedTexts = std::move(SharedTexts);
  return only;
}

void TCacheSnapshot::Select(const std::string &pattern, const TLeadByteSet &leadBytes,
                            const std::function<void(const TCacheEntryView &)> &visit) const {
  TEntrySelector selector(pattern, leadBytes);
  Select(selector, visit);
}

void TCacheSnapshot::Select(TEntrySelector &selector,
                            const std::function<void(const TCacheEntryView &)> &visit) const {
  for (const TCacheEntryView &entry : Categories[Index(selector.Category())].Entries)
    if (selector.Selects(entry.Url)) visit(entry);
}

void TCacheSnapshot::Each(TCategory category,
                          const std::function<void(const TCacheEntryView &)> &visit) const {
  for (const TCacheEntryView &entry : Categories[Index(category)].Entries)
    visit(entry);
}

bool TCacheSnapshot::SameAs(const TCacheSnapshot &other, TCategory category) const {
  const TCategoryEntries &mine = Categories[Index(category)];
  const TCategoryEntries &theirs = other.Categories[Index(category)];
  return mine.Read == theirs.Read &&
         std::equal(mine.Entries.begin(), mine.Entries.end(), theirs.Entries.begin(),
                    theirs.Entries.end(), SameEntry);
}

namespace {

bool Holds(const std::vector<TCategory> &categories, TCategory category) {
  return std::find(categories.begin(), categories.end(), category) != categories.end();
}

// What `earlier` holds of `category`; null when it holds nothing.
const TCacheSnapshot *EarlierOf(const TCategorySnapshots *earlier, TCategory category) {
  return earlier ? (*earlier)[static_cast<size_t>(category)].get() : nullptr;
}

// Reads `category` by its own enumeration and hands it over.
bool ReadApart(IUrlCache &cache, TCategory category, const TCategoryRead &read,
               const TCacheSnapshot::TCancelled &cancelled, const TCacheSnapshot *earlier) {
  TCacheSnapshot entries;
  if (!entries.Read(cache, category, cancelled, earlier)) return false;
  read(category, std::move(entries));
  return true;
}

// Reads the content and `withContent`, the categories the platform lists
// with it, from one enumeration; hands over the content when it is wanted.
bool ReadContent(IUrlCache &cache, bool contentWanted, const std::vector<TCategory> &withContent,
                 const TCategoryRead &read, const TCacheSnapshot::TCancelled &cancelled,
                 const TCategoryRead &early, const TCategorySnapshots *earlier) {
  TCacheSnapshot entries;
  const auto content = cache.Enumerate(TCategory::Cache);
  const auto handEarly = [&](TCategory passed) {
    if (early) early(passed, entries.Only(passed));
  };
  if (!entries.ReadWithContent(*content, withContent, cancelled, handEarly,
                               EarlierOf(earlier, TCategory::Cache)))
    return false;
  for (TCategory category : withContent) {
    if (!entries.ReadApartWhenNoneListed(cache, category, cancelled, EarlierOf(earlier, category)))
      return false;
    read(category, entries.Only(category));
  }
  if (contentWanted) read(TCategory::Cache, std::move(entries).Only(TCategory::Cache));
  return true;
}

} // namespace

bool ReadCategories(IUrlCache &cache, const std::vector<TCategory> &categories,
                    const TCategoryRead &read, const TCacheSnapshot::TCancelled &cancelled,
                    const TCategoryRead &early, const TCategorySnapshots *earlier) {
  std::vector<TCategory> withContent; // wanted, and listed with the content
  for (TCategory category : kReadOrder) {
    if (category == TCategory::Cache || !Holds(categories, category)) continue;
    const auto enumeration = cache.EnumerateSeparately(category);
    if (!enumeration) {
      withContent.push_back(category);
      continue;
    }
    TCacheSnapshot entries;
    if (!entries.Read(*enumeration, category, cancelled, EarlierOf(earlier, category)))
      return false;
    read(category, std::move(entries));
  }
  if (Holds(categories, TCategory::Cache))
    return ReadContent(cache, true, withContent, read, cancelled, early, earlier);
  // Without the content, reading it whole for the entries of a small
  // container would cost what the content's size costs.
  for (TCategory category : withContent)
    if (!ReadApart(cache, category, read, cancelled, EarlierOf(earlier, category))) return false;
  return true;
}
