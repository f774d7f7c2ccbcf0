#include "ObservedPlatform.h"

class TObservedPlatform::TObservedEnumeration : public IUrlEnumeration {
public:
  TObservedEnumeration(TObservedPlatform &owner, std::unique_ptr<IUrlEnumeration> inner)
      : Owner(owner), Inner(std::move(inner)) {}

  const TCacheEntryView *Next() override {
    const TCacheEntryView *entry = Inner->Next();
    if (entry) Owner.Delivered();
    return entry;
  }

private:
  TObservedPlatform &Owner;
  std::unique_ptr<IUrlEnumeration> Inner;
};

std::unique_ptr<IUrlEnumeration> TObservedPlatform::Enumerate(TCategory category) {
  return std::make_unique<TObservedEnumeration>(*this, Inner.UrlCache().Enumerate(category));
}

std::unique_ptr<IUrlEnumeration> TObservedPlatform::EnumerateSeparately(TCategory category) {
  auto inner = Inner.UrlCache().EnumerateSeparately(category);
  if (!inner) return nullptr; // listed with the content
  return std::make_unique<TObservedEnumeration>(*this, std::move(inner));
}
