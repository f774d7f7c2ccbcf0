#include "CacheSnapshot.h"

#include "CacheListing.h"

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

// What `earlier` holds of `category`; null when it holds nothing.
const TCacheSnapshot *EarlierOf(const TCategorySnapshots *earlier, TCategory category) {
  return earlier ? (*earlier)[static_cast<size_t>(category)].get() : nullptr;
}

// Reads each listing into snapshots and hands each category over once it is
// whole: one listed apart at once, the content and the categories listed
// with it at the end.
class TSnapshotLister : public ICategoryLister {
public:
  TSnapshotLister(const TCategoryRead &read, const TCacheSnapshot::TCancelled &cancelled,
                  const TCategoryRead &early, const TCategorySnapshots *earlier)
      : Hand(read), Cancelled(cancelled), Early(early), Earlier(earlier) {}

  bool Apart(TCategory category, IUrlEnumeration &entries) override {
    if (ContentRead) // listed with the content after all: read into the same snapshot
      return Content.Read(entries, category, Cancelled, EarlierOf(Earlier, category));
    TCacheSnapshot snapshot;
    if (!snapshot.Read(entries, category, Cancelled, EarlierOf(Earlier, category))) return false;
    Hand(category, std::move(snapshot));
    return true;
  }
  bool WithContent(IUrlEnumeration &content, const std::vector<TCategory> &alongside) override {
    ContentRead = true;
    const auto handEarly = [this](TCategory passed) {
      if (Early) Early(passed, Content.Only(passed));
    };
    return Content.ReadWithContent(content, alongside, Cancelled, handEarly,
                                   EarlierOf(Earlier, TCategory::Cache));
  }
  size_t CountedWithContent(TCategory category) const override { return Content.Count(category); }
  bool ContentDone(const std::vector<TCategory> &alongside) override {
    for (TCategory category : alongside)
      Hand(category, Content.Only(category));
    Hand(TCategory::Cache, std::move(Content).Only(TCategory::Cache));
    return true;
  }

private:
  const TCategoryRead &Hand;
  const TCacheSnapshot::TCancelled &Cancelled;
  const TCategoryRead &Early;
  const TCategorySnapshots *Earlier;
  TCacheSnapshot Content;
  bool ContentRead = false;
};

} // namespace

bool ReadCategories(IUrlCache &cache, const std::vector<TCategory> &categories,
                    const TCategoryRead &read, const TCacheSnapshot::TCancelled &cancelled,
                    const TCategoryRead &early, const TCategorySnapshots *earlier) {
  TSnapshotLister lister(read, cancelled, early, earlier);
  return ListCategories(cache, categories, lister);
}
