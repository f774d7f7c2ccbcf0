#include "CacheListing.h"

#include <algorithm>

namespace {

bool Holds(const std::vector<TCategory> &categories, TCategory category) {
  return std::find(categories.begin(), categories.end(), category) != categories.end();
}

// Hands each listed entry on as its enumeration delivers it.
class TLiveLister : public ICategoryLister {
public:
  explicit TLiveLister(const TListedVisitor &visit) : Visit(visit) {}

  bool Apart(TCategory category, IUrlEnumeration &entries) override {
    while (const TCacheEntryView *entry = entries.Next())
      Visit(category, *entry);
    return true;
  }
  bool WithContent(IUrlEnumeration &content, const std::vector<TCategory> &alongside) override {
    while (const TCacheEntryView *entry = content.Next()) {
      Visit(TCategory::Cache, *entry);
      if (const std::optional<TCategory> container = ContainerAmong(alongside, entry->Url)) {
        ++Counted[static_cast<size_t>(*container)];
        Visit(*container, *entry);
      }
    }
    return true;
  }
  size_t CountedWithContent(TCategory category) const override {
    return Counted[static_cast<size_t>(category)];
  }
  bool ContentDone(const std::vector<TCategory> &) override { return true; }

private:
  const TListedVisitor &Visit;
  std::array<size_t, 3> Counted{};
};

} // namespace

std::optional<TCategory> ContainerAmong(const std::vector<TCategory> &alongside, const char *url) {
  const TCategory container = ContainerOfUrl(url);
  if (!Holds(alongside, container)) return std::nullopt;
  return container;
}

bool ListCategories(IUrlCache &cache, const std::vector<TCategory> &categories,
                    ICategoryLister &lister) {
  std::vector<TCategory> withContent; // wanted, and listed with the content
  for (TCategory category : kReadOrder) {
    if (category == TCategory::Cache || !Holds(categories, category)) continue;
    const auto enumeration = cache.EnumerateSeparately(category);
    if (!enumeration) {
      withContent.push_back(category);
      continue;
    }
    if (!lister.Apart(category, *enumeration)) return false;
  }
  if (Holds(categories, TCategory::Cache)) {
    if (!lister.WithContent(*cache.Enumerate(TCategory::Cache), withContent)) return false;
    // The platform may list such a category apart after all; asking costs
    // little when it holds none.
    for (TCategory category : withContent)
      if (lister.CountedWithContent(category) == 0 &&
          !lister.Apart(category, *cache.Enumerate(category)))
        return false;
    return lister.ContentDone(withContent);
  }
  // Without the content, listing it whole for the entries of a small
  // container would cost what the content's size costs.
  for (TCategory category : withContent)
    if (!lister.Apart(category, *cache.Enumerate(category))) return false;
  return true;
}

void WalkCategories(IUrlCache &cache, const std::vector<TCategory> &categories,
                    const TListedVisitor &visit) {
  TLiveLister lister(visit);
  ListCategories(cache, categories, lister);
}
