// seedcache: fills, shows and times the WinInet URL cache of the prefix it
// runs in, for the tests, the demo and the Wine benchmarks. HelpText says
// what each command does; a bad command line is one line on standard error
// and exit code 2.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "CacheSeeder.h"
#include "SeededRandom.h"
#include "UrlCache.h"
#include "UrlCacheRecords.h"
#include "UrlCorpus.h"
#include "UrlEscape.h"

namespace {

const char *HelpText() {
  return "usage: seedcache seed N [SEED]\n"
         "       seedcache add [--size N] URL...\n"
         "       seedcache list\n"
         "       seedcache enum [--delete] [SELECTOR...]\n"
         "       seedcache empty\n"
         "       seedcache collide N [PREFIX]\n"
         "       seedcache keyzero N [PREFIX...]\n"
         "       seedcache --help\n"
         "\n"
         "Fills, lists and times the WinInet URL cache of the Wine prefix (or the\n"
         "Windows user) it runs in.\n"
         "  seed N [SEED]  adds N realistic entries: 80% http pages and images with\n"
         "                 files of realistic sizes, 15% cookies, 5% visited pages.\n"
         "                 SEED (a whole number, default 1) seeds the generator: the\n"
         "                 same SEED gives the same entries. Prints the counts.\n"
         "  add URL...     adds the entries named, each of the category its URL's\n"
         "                 prefix names (\"Cookie:\", \"Visited:\", else http); an http\n"
         "                 entry gets a file of N bytes (--size N, default 100).\n"
         "  list           prints every entry of the three containers (category,\n"
         "                 size in bytes, URL), then how many there are.\n"
         "  enum           enumerates the cache with one reused buffer and prints how\n"
         "                 many entries it listed and how long that took.\n"
         "                 Each SELECTOR is passed to FindFirstUrlCacheEntryA as the\n"
         "                 search pattern, as it is (\"Cookie:\", \"Visited:\", ...);\n"
         "                 \"null\" passes none, which lists every container, and is\n"
         "                 the default. With several, each is enumerated in turn.\n"
         "                 --delete deletes each entry as it is listed.\n"
         "  empty          deletes every entry and prints how many went.\n"
         "  collide N      prints up to N pairs of URLs that the cache's index cannot\n"
         "                 tell apart, one \"PRESENT ABSENT\" line each: looking ABSENT\n"
         "                 up finds PRESENT's entry. Found by trying PREFIX (default\n"
         "                 \"http://hc/\") and one byte of 0x80 to 0xFF; leaves the\n"
         "                 cache empty.\n"
         "  keyzero N      prints up to N URLs for each PREFIX (default \"http://!\")\n"
         "                 whose key in the cache's index is zero, which also names\n"
         "                 the slots of deleted entries, each in a bucket of its own,\n"
         "                 one \"URL MATE\" line each: MATE is a URL of the same bucket.\n"
         "                 Found by trying PREFIX, a printable character and one byte\n"
         "                 of 0x80 to 0xFF. Leaves the cache empty, its index to be\n"
         "                 started afresh by the next process that opens it.\n"
         "\n"
         "URLs are read and printed with every byte outside printable ASCII, and\n"
         "\"%\", as %XX.\n"
         "\n"
         "Exit codes: 0 done, 1 the cache refused, 2 a bad command line.\n";
}

// A bad command line; its text names the problem.
class EUsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// `text` as a whole number of at most `limit`, else a usage error naming
// `what`.
unsigned long WholeNumber(const std::string &text, const char *what, unsigned long limit) {
  const bool digits =
      !text.empty() && text.size() <= 10 &&
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  const unsigned long long value = digits ? std::stoull(text) : 0;
  if (!digits || value > limit)
    throw EUsageError(std::string(what) + " must be a whole number up to " + std::to_string(limit) +
                      ", not '" + text + "'");
  return static_cast<unsigned long>(value);
}

// File sizes as a browser's cache has them: mostly small, a few large.
uint32_t RealisticSize(TSeededRandom &random) {
  const uint32_t roll = static_cast<uint32_t>(random.Below(100));
  if (roll < 50) return 200 + static_cast<uint32_t>(random.Below(4000));
  if (roll < 90) return 4000 + static_cast<uint32_t>(random.Below(60000));
  return 64000 + static_cast<uint32_t>(random.Below(400000));
}

int Seed(size_t count, uint32_t seed) {
  TSeededRandom random(seed);
  size_t http = 0, cookies = 0, visited = 0;
  uint64_t bytes = 0;
  for (size_t i = 0; i < count; ++i) {
    const TCacheUrlKind kind = DrawCleanMixKind(random);
    const std::string url = GenerateCacheUrl(kind, random);
    const uint32_t size = kind == TCacheUrlKind::Http ? RealisticSize(random) : 0;
    SeedEntry(url, size);
    (kind == TCacheUrlKind::Http ? http : kind == TCacheUrlKind::Cookie ? cookies : visited)++;
    bytes += size;
  }
  std::printf("seeded %zu entries: %zu http (%llu bytes in files), %zu cookies, %zu visited\n",
              count, http, static_cast<unsigned long long>(bytes), cookies, visited);
  return 0;
}

const char *CategoryOf(const std::string &url) {
  switch (ContainerOfUrl(url.c_str())) {
  case TCategory::Cookies: return "cookie ";
  case TCategory::History: return "visited";
  case TCategory::Cache: break;
  }
  return "http   ";
}

int List() {
  const std::vector<TListedEntry> entries = ListWholeUrlCache();
  for (const TListedEntry &entry : entries)
    std::printf("%s %9llu  %s\n", CategoryOf(entry.Url),
                static_cast<unsigned long long>(entry.Size), EscapedUrl(entry.Url).c_str());
  std::printf("%zu entries\n", entries.size());
  return 0;
}

// One enumeration of `selector` (TUrlCacheRecords); deletes each entry
// after fetching it when `remove` is set. Returns the entries listed.
size_t Enumerate(const char *selector, bool remove, size_t &deleted) {
  const TWin32Api &api = TWin32Api::System();
  TUrlCacheRecords records(api, selector);
  size_t listed = 0;
  while (const INTERNET_CACHE_ENTRY_INFOA *record = records.Next()) {
    ++listed;
    if (remove && record->lpszSourceUrlName && api.DeleteUrlCacheEntryA(record->lpszSourceUrlName))
      ++deleted;
  }
  return listed;
}

int Enum(const std::vector<std::string> &arguments) {
  bool remove = false;
  std::vector<const char *> selectors;
  for (const std::string &argument : arguments) {
    if (argument == "--delete")
      remove = true;
    else if (!argument.empty() && argument[0] == '-')
      throw EUsageError("enum: unknown option '" + argument + "'");
    else
      selectors.push_back(argument == "null" ? nullptr : argument.c_str());
  }
  if (selectors.empty()) selectors.push_back(nullptr);
  size_t listed = 0, deleted = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const char *selector : selectors)
    listed += Enumerate(selector, remove, deleted);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("enumerated %zu entries, deleted %zu, in %.1f ms (%.1f us per entry)\n", listed,
              deleted, ms, listed ? ms * 1000.0 / static_cast<double>(listed) : 0.0);
  return 0;
}

int Add(const std::vector<std::string> &arguments) {
  size_t first = 0;
  uint32_t size = 100;
  if (!arguments.empty() && arguments[0] == "--size") {
    if (arguments.size() < 2) throw EUsageError("add: the size N is missing");
    size = static_cast<uint32_t>(WholeNumber(arguments[1], "add: N", 0xFFFFFFFF));
    first = 2;
  }
  if (arguments.size() <= first) throw EUsageError("add: no URL given");
  for (size_t i = first; i < arguments.size(); ++i)
    SeedEntry(UnescapedUrl(arguments[i]), size);
  std::printf("added %zu entries\n", arguments.size() - first);
  return 0;
}

int Collide(size_t wanted, const std::string &prefix) {
  for (const TCollidingUrls &pair : FindCollidingUrls(wanted, prefix))
    std::printf("%s %s\n", EscapedUrl(pair.Present).c_str(), EscapedUrl(pair.Absent).c_str());
  return 0;
}

int KeyZero(size_t wanted, std::vector<std::string> prefixes) {
  if (prefixes.empty()) prefixes.push_back("http://!");
  for (std::string &prefix : prefixes)
    prefix = UnescapedUrl(prefix);
  for (const TKeyZeroUrl &url : FindKeyZeroUrls(prefixes, wanted))
    std::printf("%s %s\n", EscapedUrl(url.Url).c_str(), EscapedUrl(url.Mate).c_str());
  return 0;
}

// Refuses the arguments after a command that takes none (or no more).
void NoMoreArguments(const std::string &command, const std::vector<std::string> &arguments,
                     size_t allowed) {
  if (arguments.size() > allowed)
    throw EUsageError(command + ": unexpected argument '" + arguments[allowed] + "'");
}

// Runs the command that `arguments` (without the program's name) names.
int Run(const std::vector<std::string> &arguments) {
  if (arguments.empty()) throw EUsageError("no command given");
  const std::string &command = arguments.front();
  const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
  if (command == "seed") {
    if (rest.empty()) throw EUsageError("seed: the count N is missing");
    NoMoreArguments(command, rest, 2);
    const size_t count = WholeNumber(rest[0], "seed: N", 10000000);
    const auto seed = rest.size() == 2 ? WholeNumber(rest[1], "seed: SEED", 0xFFFFFFFF) : 1;
    return Seed(count, static_cast<uint32_t>(seed));
  }
  if (command == "list") {
    NoMoreArguments(command, rest, 0);
    return List();
  }
  if (command == "enum") return Enum(rest);
  if (command == "add") return Add(rest);
  if (command == "collide") {
    if (rest.empty()) throw EUsageError("collide: the count N is missing");
    NoMoreArguments(command, rest, 2);
    return Collide(WholeNumber(rest[0], "collide: N", 128),
                   rest.size() == 2 ? UnescapedUrl(rest[1]) : "http://hc/");
  }
  if (command == "keyzero") {
    if (rest.empty()) throw EUsageError("keyzero: the count N is missing");
    return KeyZero(WholeNumber(rest[0], "keyzero: N", 64), {rest.begin() + 1, rest.end()});
  }
  if (command == "empty") {
    NoMoreArguments(command, rest, 0);
    std::printf("deleted %zu entries\n", EmptyUrlCache());
    return 0;
  }
  throw EUsageError("unknown command '" + command + "'");
}

} // namespace

int main(int argc, char **argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  for (const std::string &argument : arguments)
    if (argument == "--help" || argument == "-h") {
      std::fputs(HelpText(), stdout);
      return 0;
    }
  try {
    return Run(arguments);
  } catch (const EUsageError &e) {
    std::fprintf(stderr, "seedcache: %s (seedcache --help lists the commands)\n", e.what());
    return 2;
  } catch (const std::exception &e) {
    std::fprintf(stderr, "seedcache: %s\n", e.what());
    return 1;
  }
}
