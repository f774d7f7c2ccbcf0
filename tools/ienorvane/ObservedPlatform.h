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
  // The real profiles, also while the stored settings are hidden: where
  // the keep command saves.
  IProfileStore &StoredProfiles() { return Inner.Profiles(); }
  IUrlCache &UrlCache() override { return *this; }
  IHistoryStore &History() override { return Inner.History(); }
  const TLeadByteSet &LeadBytes() const override { return Inner.LeadBytes(); }
  std::string AnsiToUtf8(std::string_view ansi) const override { return Inner.AnsiToUtf8(ansi); }
  bool HasUrlCache() const override { return Inner.HasUrlCache(); }
  TPlatformIdentity Identity() const override { return Inner.Identity(); }
  // The wipe deletes through the platform's own cache, as Delete does.
  std::unique_ptr<ITraceWipe> BeginTraceWipe() override { return Inner.BeginTraceWipe(); }
  std::string WipeUnavailable() const override { return Inner.WipeUnavailable(); }

private:
  class TObservedEnumeration;

  // IUrlCache
  std::unique_ptr<IUrlEnumeration> Enumerate(TCategory category) override;
  std::unique_ptr<IUrlEnumeration> EnumerateSeparately(TCategory category) override;
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
