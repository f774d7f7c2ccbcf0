#pragma once
// The wipe of one clean's traces over WinInet (TraceWipe.h): each delete
// through it first overwrites the entry's own local file with zeros, then,
// once the entry is gone, commits a neutral entry whose record takes the
// deleted record's blocks; the neutral entries are deleted when the wipe ends.
#include <array>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "TraceWipe.h"
#include "UrlIndexKey.h"
#include "Win32Api.h"
#include "Win32UrlCache.h"

class TWin32TraceWipe : public ITraceWipe, private IUrlCache {
public:
  // Wipes the deletes made through `cache`, calling the system through
  // `api`; both must outlive the wipe. `keys`, under Wine, computes the
  // index keys that neutral URLs must keep apart from the listed entries'.
  // `underWine`: the system shows a Unix symbolic link as a plain file and
  // deletes the file it leads to, so an entry whose file leads elsewhere is
  // not deleted (LinkedFile).
  // Removes the neutral entries an earlier clean left first.
  TWin32TraceWipe(const TWin32Api &api, TWin32UrlCache &cache,
                  const std::optional<TUrlIndexKeys> &keys, bool underWine);
  ~TWin32TraceWipe() override;
  TWin32TraceWipe(const TWin32TraceWipe &) = delete;
  TWin32TraceWipe &operator=(const TWin32TraceWipe &) = delete;

  IUrlCache &Cache() override { return *this; }
  std::array<TWipeTotals, 3> Finish() override;
  uint64_t LeftoversRemoved() const override { return Leftovers; }

  // The bytes a record of the index takes for an entry with this URL, local
  // file name (without folder; empty for none) and header size, and the
  // blocks they fill.
  static size_t RecordBytes(size_t urlLength, size_t fileNameLength, size_t headerSize);
  static size_t BlocksOf(size_t bytes);
  // The prefix of the neutral URLs of `category`'s container.
  static std::string NeutralPrefix(TCategory category);
  // Whether `url` is a neutral entry of some container.
  static bool IsNeutral(const char *url);

private:
  class TWithoutNeutrals;

  // The inner cache's enumerations without the neutral entries, which a
  // walk under way may meet as the wipe commits them.
  std::unique_ptr<IUrlEnumeration> Enumerate(TCategory category) override;
  std::unique_ptr<IUrlEnumeration> EnumerateSeparately(TCategory category) override;
  TDeleteResult Delete(const TCacheEntryView &entry) override;

  // The shape of the record the delete under way frees.
  struct TPending {
    TCategory Container;
    size_t Blocks;
  };
  void ListCache();
  void FindCacheFolder();
  std::optional<TDeleteResult> BeforeDelete(const INTERNET_CACHE_ENTRY_INFOA &record);
  // What became of an entry's file: overwritten (nothing kept), left with
  // a reason, or found to lead to another file (the entry must stay).
  struct TZeroResult {
    std::optional<TFileKeep> Kept;
    bool LeadsElsewhere = false;
  };
  bool LeadsElsewhere(HANDLE file, const std::string &fullPath) const;
  // False when the entry must stay, its file leading elsewhere.
  bool OverwriteFile(const char *path, TWipeTotals &totals);
  TZeroResult ZeroFile(const char *path, uint64_t &bytes);
  std::optional<std::string> FullPathOf(const char *path) const; // none when too long
  bool InsideCacheFolder(const std::string &fullPath) const;
  void Cover(const TPending &record);
  std::optional<std::string> NextNeutralUrl(TCategory container);
  void RemoveNeutrals();

  const TWin32Api &Api;
  TWin32UrlCache &Inner;
  const std::optional<TUrlIndexKeys> &Keys;
  const bool CheckFinalPath;
  std::unordered_set<uint32_t> TakenKeys; // of the listed entries and the neutral ones, flags cut
  std::string CacheFolder;                // ends in a backslash; empty when unknown
  std::vector<std::string> Neutrals;      // committed, not yet deleted
  std::optional<TPending> Pending;
  std::array<TWipeTotals, 3> Totals{};
  uint64_t Leftovers = 0;
  uint64_t Counter = 0;
};
