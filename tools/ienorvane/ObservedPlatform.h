#pragma once
// A platform that forwards every call to the real one, counts the cache
// entries the platform delivers (for the progress line), and can hide the
// stored settings (for --defaults). The cleaner runs over it unchanged.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "Platform.h"
#include "SettingsSource.h"

// One cache entry as the command line reports it: a copy of an enumeration's
// view, which lives only until the enumeration's next call.
struct TReportedEntry {
  std::string Url;
  std::optional<std::string> LocalFileName; // none when the entry has no file
  uint64_t Size = 0;

  static TReportedEntry Of(const TCacheEntryView &entry) {
    std::optional<std::string> file;
    if (entry.LocalFileName) file = entry.LocalFileName;
    return {entry.Url, std::move(file), entry.Size};
  }
  // The view a delete is given: the walked entry's URL, file and size.
  TCacheEntryView View() const {
    return {Url.c_str(), LocalFileName ? LocalFileName->c_str() : nullptr, Size};
  }
};

class TObservedPlatform : public IPlatform, private IUrlCache {
public:
  // Called with the number of entries delivered so far, after each delivery.
  using TDeliveryHook = std::function<void(uint64_t delivered)>;

  // Forwards to `inner`, which must outlive this object.
  explicit TObservedPlatform(IPlatform &inner) : Inner(inner) {}

  void OnDelivered(TDeliveryHook hook) { Hook = std::move(hook); }
  // From now on the profiles hold nothing: every setting reads as its default.
  void HideStoredSettings() { SettingsHidden = true; }

  IProfileStore &Profiles() override {
    return SettingsHidden ? static_cast<IProfileStore &>(Empty) : Inner.Profiles();
  }
  IUrlCache &UrlCache() override { return *this; }
  IHistoryStore &History() override { return Inner.History(); }
  const TLeadByteSet &LeadBytes() const override { return Inner.LeadBytes(); }
  std::string WindowsDirectory() const override { return Inner.WindowsDirectory(); }
  std::string AnsiToUtf8(std::string_view ansi) const override { return Inner.AnsiToUtf8(ansi); }
  bool HasUrlCache() const override { return Inner.HasUrlCache(); }

private:
  class TObservedEnumeration;

  // IUrlCache
  std::unique_ptr<IUrlEnumeration> Enumerate(TCategory category) override;
  TDeleteResult Delete(const TCacheEntryView &entry) override {
    return Inner.UrlCache().Delete(entry);
  }

  void Delivered() {
    ++DeliveredCount;
    if (Hook) Hook(DeliveredCount);
  }

  IPlatform &Inner;
  TEmptyProfileStore Empty;
  bool SettingsHidden = false;
  TDeliveryHook Hook;
  uint64_t DeliveredCount = 0;
};
