#include "PortablePlatform.h"

#include "PortableText.h"

namespace {

class TNoEntries : public IUrlEnumeration {
public:
  const TCacheEntryView *Next() override { return nullptr; }
};

} // namespace

std::unique_ptr<IUrlEnumeration> TNoUrlCache::Enumerate(TCategory) {
  return std::make_unique<TNoEntries>();
}

std::string TPortablePlatform::AnsiToUtf8(std::string_view ansi) const {
  return Latin1OrUtf8ToUtf8(ansi);
}
