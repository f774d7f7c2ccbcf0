#include "MemoryUrlCache.h"

namespace {

// Whether a view's local file name (null: none) names the entry's file; no
// file and the empty name are alike, as the platform reports them.
bool SameFile(const std::optional<std::string> &file, const char *viewed) {
  return (file ? *file : std::string()) == (viewed ? viewed : "");
}

} // namespace

bool TMemoryUrlCache::Lists(TCategory category, const std::string &url) const {
  const TCategory container = ContainerOfUrl(url.c_str());
  if (category == TCategory::Cache && Listing == TListing::WithContent) return true;
  return container == category;
}

class TMemoryUrlCache::TEnumeration : public IUrlEnumeration {
public:
  TEnumeration(TMemoryUrlCache &cache, TCategory category) : Cache(cache), Category(category) {
    ++Cache.Open;
  }
  ~TEnumeration() override { --Cache.Open; }
  TEnumeration(const TEnumeration &) = delete;
  TEnumeration &operator=(const TEnumeration &) = delete;

  const TCacheEntryView *Next() override {
    ++Cache.Counts.Next;
    // Entries may be added while the enumeration runs: index, never iterate.
    while (Position < Cache.Entries.size()) {
      const TEntry &entry = Cache.Entries[Position++];
      if (entry.Deleted || entry.Hidden || !Cache.Lists(Category, entry.Url)) continue;
      Delivered = entry;
      View = {Delivered.Url.c_str(),
              Delivered.LocalFileName ? Delivered.LocalFileName->c_str() : nullptr, Delivered.Size};
      if (Cache.DeliveredHook) Cache.DeliveredHook(Delivered.Url);
      return &View;
    }
    return nullptr;
  }

private:
  TMemoryUrlCache &Cache;
  const TCategory Category;
  size_t Position = 0;
  TEntry Delivered; // a copy: the hook may change the list underneath
  TCacheEntryView View{};
};

void TMemoryUrlCache::Add(const std::string &url, std::optional<std::string> localFileName,
                          uint64_t size) {
  if (TEntry *present = Find(url)) {
    present->LocalFileName = std::move(localFileName);
    present->Size = size;
    return;
  }
  IndexOfUrl[url] = Entries.size();
  Entries.push_back({url, std::move(localFileName), size});
}

TMemoryUrlCache::TEntry *TMemoryUrlCache::Find(const std::string &url) {
  const auto found = IndexOfUrl.find(url);
  return found == IndexOfUrl.end() ? nullptr : &Entries[found->second];
}

bool TMemoryUrlCache::Contains(const std::string &url) const { return IndexOfUrl.count(url) != 0; }

std::vector<std::string> TMemoryUrlCache::Urls() const {
  std::vector<std::string> urls;
  for (const TEntry &entry : Entries)
    if (!entry.Deleted) urls.push_back(entry.Url);
  return urls;
}

void TMemoryUrlCache::RestoreDeleted() {
  for (size_t i = 0; i < Entries.size(); ++i) {
    TEntry &entry = Entries[i];
    if (!entry.Deleted || IndexOfUrl.count(entry.Url)) continue;
    entry.Deleted = false;
    IndexOfUrl[entry.Url] = i;
  }
}

void TMemoryUrlCache::FailDeleteOf(const std::string &url, TDeleteResult result) {
  if (TEntry *entry = Find(url)) entry->DeleteAnswer = result;
}

void TMemoryUrlCache::HideFromEnumerations(const std::string &url) {
  if (TEntry *entry = Find(url)) entry->Hidden = true;
}

void TMemoryUrlCache::OnDelivered(std::function<void(const std::string &url)> hook) {
  DeliveredHook = std::move(hook);
}

std::unique_ptr<IUrlEnumeration> TMemoryUrlCache::Enumerate(TCategory category) {
  ++Counts.Enumerate;
  return std::make_unique<TEnumeration>(*this, category);
}

std::unique_ptr<IUrlEnumeration> TMemoryUrlCache::EnumerateSeparately(TCategory category) {
  if (category == TCategory::Cache || Listing == TListing::Apart) return Enumerate(category);
  ++Counts.Enumerate;
  return nullptr;
}

TDeleteResult TMemoryUrlCache::Delete(const TCacheEntryView &view) {
  ++Counts.Delete;
  const std::string url = view.Url;
  TEntry *entry = Find(url);
  if (!entry) return TDeleteResult::Failed; // the platform's "not found"
  // The URL names an entry other than the one walked (replaced since, with
  // another file): it is left alone.
  if (!SameFile(entry->LocalFileName, view.LocalFileName)) return TDeleteResult::NotAddressable;
  if (entry->DeleteAnswer != TDeleteResult::Deleted) return entry->DeleteAnswer;
  entry->Deleted = true;
  IndexOfUrl.erase(url);
  return TDeleteResult::Deleted;
}
