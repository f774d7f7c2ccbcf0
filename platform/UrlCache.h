#pragma once
// The URL cache service: list the entries of one category, delete an entry.
// OS-neutral: the platform's record layout, buffer protocol, error codes and
// enumeration selectors stay inside each implementation.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

// The three categories of cache entries, in the order a clean sweeps them.
enum class TCategory { Cache, Cookies, History };

// Every category, in the order a clean sweeps them.
inline constexpr std::array<TCategory, 3> kAllCategories{TCategory::Cache, TCategory::Cookies,
                                                         TCategory::History};

// How the URLs of the entries the platform files in the category's container
// begin, byte for byte: "http://", "Cookie:" or "Visited:".
const char *CategoryPrefix(TCategory category);

// The category whose container holds the entry with this URL: Cookies when
// the URL begins with "Cookie:", History with "Visited:" (exactly, case and
// all, as the platform files them), Cache for every other URL.
TCategory ContainerOfUrl(const char *url);

// The URL a visited-history entry records: what follows the first "@" of a
// URL that begins with "Visited:" ("Visited: john@http://a.com/" gives
// "http://a.com/"); none for another URL or one without "@".
std::optional<std::string_view> VisitedUrlOf(std::string_view entryUrl);

// One entry as an enumeration delivers it. The texts stay valid until the
// next call on the enumeration that delivered it (or its end).
struct TCacheEntryView {
  const char *Url;           // the source URL, never null
  const char *LocalFileName; // null when the entry has no local file
  uint64_t Size;             // in bytes (the platform's two 32-bit words joined)
};

// One entry copied out of an enumeration, which keeps its view only until
// its next call.
struct TCacheEntry {
  std::string Url;
  std::optional<std::string> LocalFileName; // none when the entry has no file
  uint64_t Size = 0;

  static TCacheEntry Of(const TCacheEntryView &view) {
    std::optional<std::string> file;
    if (view.LocalFileName) file = view.LocalFileName;
    return {view.Url, std::move(file), view.Size};
  }
  // The view of the copy: what a delete of the entry is given. Valid while
  // the copy is unchanged.
  TCacheEntryView View() const {
    return {Url.c_str(), LocalFileName ? LocalFileName->c_str() : nullptr, Size};
  }
  bool operator==(const TCacheEntry &) const = default;
};

// What became of one delete.
enum class TDeleteResult {
  Deleted,        // the entry is gone
  InUse,          // locked by a process (a running browser); it stays for now
  NotAddressable, // the URL no longer names the entry that was walked: left alone
  Failed,         // the platform refused for another reason
  LinkedFile,     // its file leads to another file, which the platform's delete would remove
};

// An enumeration in progress. Owns whatever the platform needs for it and
// releases it when destroyed, on every path.
class IUrlEnumeration {
public:
  virtual ~IUrlEnumeration() = default;

  // The next entry, or null when there are no more. Entries the platform
  // fails to deliver are passed over; a platform that keeps failing ends the
  // enumeration rather than repeating for ever.
  virtual const TCacheEntryView *Next() = 0;
};

class IUrlCache {
public:
  virtual ~IUrlCache() = default;

  // Starts listing the container of `category`. The platform may also list
  // entries of other categories (Wine lists every container for the http
  // category); callers filter by URL prefix. Never null: an enumeration
  // that cannot start lists nothing.
  virtual std::unique_ptr<IUrlEnumeration> Enumerate(TCategory category) = 0;

  // Starts listing `category` apart from the content entries. Null when
  // the platform lists `category` together with them instead (as Wine
  // does): Enumerate(TCategory::Cache) then lists every entry of `category`
  // (those whose URL begins with its prefix, "Cookie:" or "Visited:"
  // exactly) in the order Enumerate(category) would list them, so that one
  // enumeration serves both. For the content category: Enumerate.
  virtual std::unique_ptr<IUrlEnumeration> EnumerateSeparately(TCategory category) {
    return Enumerate(category);
  }

  // Deletes the entry that an enumeration delivered as `entry` (its URL and
  // local file name identify it), and only that entry.
  virtual TDeleteResult Delete(const TCacheEntryView &entry) = 0;
};
