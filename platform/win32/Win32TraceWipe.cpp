#include "Win32TraceWipe.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "Handles.h"
#include "UrlCacheRecords.h"

// What a delete leaves in Wine 8's index, and how a neutral entry covers it.
// Measured on the 64-bit build by committing entries of known URLs, file
// names and headers, deleting some and reading index.dat between the calls:
// - The records lie in blocks of 128 bytes after the index's header (the
//   first hash table takes blocks 0 to 31, from offset 0x4000). A record is
//   a fixed part of 0x68 bytes, then the URL and its NUL (padded to 4), the
//   local file's name without its folder and its NUL (padded to 4), then the
//   header bytes; it takes as many whole blocks as that needs ("http://aaaa.
//   example/one", "one[0].htm" and 19 header bytes: 2 blocks; a 50-byte URL,
//   an 11-byte name and 170 header bytes: 3 blocks).
// - A delete clears the record's blocks in the allocation bitmap and marks
//   its hash slot deleted. Every byte of the record stays: URL, file name
//   and headers read back unchanged.
// - A commit takes the first run of free blocks long enough for its record
//   (first fit, lowest offset first), fills all of them with the pattern
//   ef be ad de, then writes its record. A new record of n blocks put in a
//   freed record of n blocks therefore leaves none of the old bytes; one of
//   fewer blocks leaves the old record's tail (a 2-block neutral entry in a
//   freed 3-block record kept its last 128 bytes of headers).
// - The shortest neutral URL already needs 2 blocks ("http://nv-wipe.
//   invalid/0" is 24 bytes; 0x68 + 28 > 128), so a freed record of 1 block
//   (a URL under 24 bytes without file or headers) is not covered.
// So each delete is followed at once by the commit of a neutral entry of
// exactly the freed record's blocks: with the holes of the deletes before it
// filled by their own neutral entries, the first fit is the record just
// freed. Only a hole that was free before the clean and as long can come
// first; that neutral entry then covers older residue instead. The neutral
// entries are deleted when the wipe ends; their freed records hold only the
// fill pattern, the neutral URL and neutral header bytes.
// The index finds an entry by a 32-bit key of its URL and never compares the
// URL (Win32UrlCache.cpp): a neutral URL whose key equalled a listed entry's
// would replace that entry, and one whose key is zero above the flag bits
// would name freed slots. Neutral URLs are therefore numbered and any whose
// key is taken or zero is passed over.

namespace {

constexpr size_t kBlockBytes = 128;
constexpr size_t kRecordFixedBytes = 0x68;
// Bytes left free at a neutral record's end, so that its padding and any
// terminator the platform adds stay within the block count aimed at.
constexpr size_t kNeutralSlack = 8;
constexpr size_t kZeroChunk = 64 * 1024;

size_t Padded(size_t bytes) { return (bytes + 3) & ~size_t{3}; }

size_t FileNameLength(const char *path) {
  if (!path || !*path) return 0;
  const char *slash = std::strrchr(path, '\\');
  return std::strlen(slash ? slash + 1 : path);
}

DWORD EntryTypeOf(TCategory container) {
  switch (container) {
  case TCategory::Cookies: return COOKIE_CACHE_ENTRY;
  case TCategory::History: return URLHISTORY_CACHE_ENTRY;
  case TCategory::Cache: break;
  }
  return NORMAL_CACHE_ENTRY;
}

size_t IndexOf(TCategory category) { return static_cast<size_t>(category); }

} // namespace

size_t TWin32TraceWipe::RecordBytes(size_t urlLength, size_t fileNameLength, size_t headerSize) {
  const size_t file = fileNameLength ? Padded(fileNameLength + 1) : 0;
  return kRecordFixedBytes + Padded(urlLength + 1) + file + Padded(headerSize);
}

size_t TWin32TraceWipe::BlocksOf(size_t bytes) { return (bytes + kBlockBytes - 1) / kBlockBytes; }

std::string TWin32TraceWipe::NeutralPrefix(TCategory category) {
  switch (category) {
  case TCategory::Cookies: return std::string("Cookie:nv@") + kNeutralHost + "/";
  case TCategory::History: return std::string("Visited: nv@http://") + kNeutralHost + "/";
  case TCategory::Cache: break;
  }
  return std::string("http://") + kNeutralHost + "/";
}

bool TWin32TraceWipe::IsNeutral(const char *url) {
  return std::any_of(kAllCategories.begin(), kAllCategories.end(), [url](TCategory category) {
    return std::string_view(url).starts_with(NeutralPrefix(category));
  });
}

TWin32TraceWipe::TWin32TraceWipe(const TWin32Api &api, TWin32UrlCache &cache,
                                 const std::optional<TUrlIndexKeys> &keys, bool underWine)
    : Api(api), Inner(cache), Keys(keys), CheckFinalPath(underWine) {
  FindCacheFolder();
  ListCache();
  Inner.SetBeforeDelete(
      [this](const INTERNET_CACHE_ENTRY_INFOA &record) { return BeforeDelete(record); });
}

TWin32TraceWipe::~TWin32TraceWipe() {
  Inner.SetBeforeDelete({});
  RemoveNeutrals();
}

// Every container's entries: the keys a neutral URL must not take, and the
// neutral entries an earlier clean left, which go now.
void TWin32TraceWipe::ListCache() {
  std::vector<TCacheEntry> leftovers;
  for (TCategory category : kAllCategories) {
    auto enumeration = category == TCategory::Cache ? Inner.Enumerate(category)
                                                    : Inner.EnumerateSeparately(category);
    if (!enumeration) continue; // listed with the content
    while (const TCacheEntryView *entry = enumeration->Next()) {
      if (IsNeutral(entry->Url)) leftovers.push_back(TCacheEntry::Of(*entry));
      if (Keys) TakenKeys.insert(Keys->KeyOf(entry->Url) >> TUrlIndexKeys::kFlagBits);
    }
  }
  for (const TCacheEntry &leftover : leftovers)
    if (Inner.Delete(leftover.View()) == TDeleteResult::Deleted) ++Leftovers;
}

// The content container's folder: where the platform puts a new entry's
// file, one folder up. The empty file it makes for the asking goes again.
void TWin32TraceWipe::FindCacheFolder() {
  char path[MAX_PATH] = {};
  const std::string url = NeutralPrefix(TCategory::Cache);
  if (!Api.CreateUrlCacheEntryA(url.c_str(), 0, "", path, 0)) return;
  Api.DeleteFileA(path);
  std::string folder(path);
  for (int up = 0; up < 2; ++up) {
    const size_t slash = folder.find_last_of('\\');
    if (slash == std::string::npos) return;
    folder.resize(slash);
  }
  CacheFolder = folder + "\\";
}

std::optional<TDeleteResult>
TWin32TraceWipe::BeforeDelete(const INTERNET_CACHE_ENTRY_INFOA &record) {
  const bool hasFile = record.lpszLocalFileName && *record.lpszLocalFileName;
  const TCategory container = ContainerOfUrl(record.lpszSourceUrlName);
  const size_t bytes =
      RecordBytes(std::strlen(record.lpszSourceUrlName), FileNameLength(record.lpszLocalFileName),
                  record.dwHeaderInfoSize);
  Pending = TPending{container, BlocksOf(bytes)};
  // An entry a process holds (its use count) is the platform's to refuse.
  if (record.dwUseCount == 0 && hasFile &&
      !OverwriteFile(record.lpszLocalFileName, Totals[IndexOf(container)]))
    return TDeleteResult::LinkedFile;
  return std::nullopt;
}

class TWin32TraceWipe::TWithoutNeutrals : public IUrlEnumeration {
public:
  explicit TWithoutNeutrals(std::unique_ptr<IUrlEnumeration> inner) : Inner(std::move(inner)) {}
  const TCacheEntryView *Next() override {
    const TCacheEntryView *entry = Inner->Next();
    while (entry && IsNeutral(entry->Url))
      entry = Inner->Next();
    return entry;
  }

private:
  std::unique_ptr<IUrlEnumeration> Inner;
};

std::unique_ptr<IUrlEnumeration> TWin32TraceWipe::Enumerate(TCategory category) {
  return std::make_unique<TWithoutNeutrals>(Inner.Enumerate(category));
}

std::unique_ptr<IUrlEnumeration> TWin32TraceWipe::EnumerateSeparately(TCategory category) {
  auto inner = Inner.EnumerateSeparately(category);
  if (!inner) return nullptr; // listed with the content
  return std::make_unique<TWithoutNeutrals>(std::move(inner));
}

TDeleteResult TWin32TraceWipe::Delete(const TCacheEntryView &entry) {
  Pending.reset();
  const TDeleteResult result = Inner.Delete(entry);
  if (result == TDeleteResult::Deleted && Pending) Cover(*Pending);
  Pending.reset();
  return result;
}

bool TWin32TraceWipe::OverwriteFile(const char *path, TWipeTotals &totals) {
  uint64_t bytes = 0;
  const TZeroResult zeroed = ZeroFile(path, bytes);
  if (zeroed.LeadsElsewhere) return false;
  if (zeroed.Kept) {
    ++totals.FilesKept[static_cast<size_t>(*zeroed.Kept)];
  } else {
    ++totals.Files;
    totals.Bytes += bytes;
  }
  return true;
}

std::optional<std::string> TWin32TraceWipe::FullPathOf(const char *path) const {
  char full[MAX_PATH] = {};
  const DWORD length = Api.GetFullPathNameA(path, MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::string(full, length);
}

bool TWin32TraceWipe::InsideCacheFolder(const std::string &fullPath) const {
  return !CacheFolder.empty() && fullPath.size() > CacheFolder.size() &&
         _strnicmp(fullPath.c_str(), CacheFolder.c_str(), CacheFolder.size()) == 0;
}

// Whether `file`, opened by the path whose full form is `fullPath`, is
// another file than the one of that name: the path the system opened,
// links followed, is not `fullPath`. Wine shows a Unix symbolic link as a plain file, neither a
// reparse point nor a second name, and its delete of the link removes the file it leads to; an
// entry whose file is such a link stays. One whose opened path cannot be told counts as such a
// link.
bool TWin32TraceWipe::LeadsElsewhere(HANDLE file, const std::string &fullPath) const {
  char opened[MAX_PATH] = {};
  const DWORD openedLength = Api.FinalPathOf(file, opened, MAX_PATH);
  if (openedLength == 0 || openedLength >= MAX_PATH) return true;
  constexpr std::string_view kLongPathPrefix = "\\\\?\\";
  std::string_view openedPath(opened, openedLength);
  if (openedPath.starts_with(kLongPathPrefix)) openedPath.remove_prefix(kLongPathPrefix.size());
  return openedPath.size() != fullPath.size() ||
         _strnicmp(openedPath.data(), fullPath.c_str(), fullPath.size()) != 0;
}

// Zeros the file's bytes in place and flushes them; the reason when it
// leaves the file as it is (or, for Failed, part-written).
TWin32TraceWipe::TZeroResult TWin32TraceWipe::ZeroFile(const char *path, uint64_t &bytes) {
  const std::optional<std::string> fullPath = FullPathOf(path);
  if (!fullPath || !InsideCacheFolder(*fullPath)) return {TFileKeep::Outside};
  const TFileHandle file(Api.CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_OPEN_REPARSE_POINT, nullptr),
                         {&Api});
  if (!file) return {TFileKeep::Unopened};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!Api.GetFileInformationByHandle(file.Get(), &info)) return {TFileKeep::Unopened};
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return {TFileKeep::Reparse};
  if (info.nNumberOfLinks > 1) return {TFileKeep::Linked};
  if (CheckFinalPath && LeadsElsewhere(file.Get(), *fullPath)) return {std::nullopt, true};
  uint64_t left = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  const std::vector<char> zeros(static_cast<size_t>(std::min<uint64_t>(left, kZeroChunk)));
  while (left > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(left, zeros.size()));
    DWORD written = 0;
    if (!Api.WriteFile(file.Get(), zeros.data(), chunk, &written, nullptr) || written != chunk)
      return {TFileKeep::Failed};
    left -= chunk;
    bytes += chunk;
  }
  if (!Api.FlushFileBuffers(file.Get())) return {TFileKeep::Failed};
  return {};
}

// The next neutral URL of `container` whose key no listed entry and no
// neutral entry has, and is not zero above the flags; none after too many
// tries (a cache whose keys are all taken is not met in practice).
std::optional<std::string> TWin32TraceWipe::NextNeutralUrl(TCategory container) {
  for (int tries = 0; tries < 1000; ++tries) {
    std::string url = NeutralPrefix(container) + std::to_string(Counter++);
    if (!Keys) return url;
    const uint32_t key = Keys->KeyOf(url) >> TUrlIndexKeys::kFlagBits;
    if (key != 0 && TakenKeys.insert(key).second) return url;
  }
  return std::nullopt;
}

void TWin32TraceWipe::Cover(const TPending &record) {
  TWipeTotals &totals = Totals[IndexOf(record.Container)];
  std::optional<std::string> url = NextNeutralUrl(record.Container);
  if (!url) {
    ++totals.RecordsFailed;
    return;
  }
  const size_t fixed = RecordBytes(url->size(), 0, 0);
  const size_t target = record.Blocks * kBlockBytes - kNeutralSlack;
  if (target < fixed) {
    ++totals.RecordsTooSmall;
    return;
  }
  std::string headers(target - fixed, '-');
  FILETIME never{};
  if (!Api.CommitUrlCacheEntryA(url->c_str(), nullptr, never, never, EntryTypeOf(record.Container),
                                reinterpret_cast<BYTE *>(headers.data()),
                                static_cast<DWORD>(headers.size()), nullptr, nullptr)) {
    ++totals.RecordsFailed;
    return;
  }
  Neutrals.push_back(std::move(*url));
  ++totals.Records;
}

// Deletes the neutral entries, last first; one the platform refuses stays
// for the next clean, which removes it before anything else.
void TWin32TraceWipe::RemoveNeutrals() {
  while (!Neutrals.empty()) {
    Api.DeleteUrlCacheEntryA(Neutrals.back().c_str());
    Neutrals.pop_back();
  }
}

std::array<TWipeTotals, 3> TWin32TraceWipe::Finish() {
  RemoveNeutrals();
  return Totals;
}
