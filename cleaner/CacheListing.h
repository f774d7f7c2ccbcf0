#pragma once
// The platform's container rule, in one place for every reader of the cache:
// which enumerations list the categories a read or a walk needs, and in what
// order (kReadOrder). A cookie or history category the platform lists apart
// (IUrlCache::EnumerateSeparately) is listed by its own enumeration; one it
// lists with the content (Wine) is taken from the content's enumeration when
// the content is wanted too, by its own otherwise, and by its own after all
// when the content's listed none of its entries.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "Platform.h"

// The categories in the order a listing takes them: the usually small
// cookie and history containers first, then the http content.
constexpr std::array<TCategory, 3> kReadOrder{TCategory::Cookies, TCategory::History,
                                              TCategory::Cache};

// What a reader does with the enumerations ListCategories starts. Each
// returns false to end the listing (a cancelled read).
class ICategoryLister {
public:
  virtual ~ICategoryLister() = default;
  // `entries` lists `category` alone.
  virtual bool Apart(TCategory category, IUrlEnumeration &entries) = 0;
  // `content` lists the content and, among it, the entries of `alongside`.
  virtual bool WithContent(IUrlEnumeration &content, const std::vector<TCategory> &alongside) = 0;
  // How many entries of `category` WithContent met.
  virtual size_t CountedWithContent(TCategory category) const = 0;
  // The content and `alongside` are listed, including the categories of
  // `alongside` that Apart listed after all.
  virtual bool ContentDone(const std::vector<TCategory> &alongside) = 0;
};

// Lists `categories` of `cache` as the platform lists them, through
// `lister`. False when the lister ended it.
bool ListCategories(IUrlCache &cache, const std::vector<TCategory> &categories,
                    ICategoryLister &lister);

// The category of `alongside` whose container holds the entry with this
// URL, if any.
std::optional<TCategory> ContainerAmong(const std::vector<TCategory> &alongside, const char *url);

// Hears of each entry a walk lists, with a category it is listed for: an
// entry of a container listed with the content is heard of twice, as the
// content's and as its container's. The view is the enumeration's own,
// valid until its next entry.
using TListedVisitor = std::function<void(TCategory, const TCacheEntryView &)>;

// Walks `categories` of `cache` live (ListCategories), handing `visit`
// each entry as its enumeration delivers it.
void WalkCategories(IUrlCache &cache, const std::vector<TCategory> &categories,
                    const TListedVisitor &visit);
