// The stand-in URL cache (TMemoryUrlCache) against the real one: seeded
// random scripts of adds, enumerations per category and deletes, each run
// over both from an empty cache. Both must list the same entries per
// category (in any order; the http category after the category filter the
// walk applies) and answer each delete alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <sstream>
#include <tuple>

#include "CacheSeeder.h"
#include "CacheSnapshot.h"
#include "CacheWalk.h"
#include "MemoryUrlCache.h"
#include "SeededRandom.h"
#include "Win32UrlCache.h"

namespace {

constexpr uint32_t kScripts = 600;

// Plain URLs only: two URLs of printable ASCII share a key of the platform's
// index about as rarely as a 26-bit key allows.
const char *const kUrls[] = {
    "http://www.example.com/index.html",
    "http://www.example.com/logo.gif",
    "http://news.example.org/story/today.html",
    "http://localhost/",
    "http://shop.example.net/cart?id=7",
    "Cookie:john@example.com/",
    "Cookie:john@ads.tracker.net/",
    "Cookie:jane@localhost/",
    "Visited: john@http://www.example.com/index.html",
    "Visited: jane@about:blank",
    "Visited: john@http://news.example.org/story/today.html",
};

const TCategory kCategories[] = {TCategory::Cache, TCategory::Cookies, TCategory::History};

const char *NameOf(TCategory category) {
  switch (category) {
  case TCategory::Cookies: return "cookies";
  case TCategory::History: return "history";
  case TCategory::Cache: break;
  }
  return "cache";
}

const char *NameOf(TDeleteResult result) {
  switch (result) {
  case TDeleteResult::Deleted: return "Deleted";
  case TDeleteResult::InUse: return "InUse";
  case TDeleteResult::NotAddressable: return "NotAddressable";
  case TDeleteResult::LinkedFile: return "LinkedFile";
  case TDeleteResult::Failed: break;
  }
  return "Failed";
}

struct TStep {
  // Replace: takes the view an enumeration delivers for a present URL, adds
  // the URL again (a new file for an http entry) and deletes with the view
  // taken before, as when the entry changes between a walk and its delete.
  enum TKind { Add, Enumerate, Delete, Replace } Kind;
  std::string Url;      // Add, Delete, Replace
  uint32_t Size = 0;    // Add, Replace (http entries)
  TCategory Category{}; // Enumerate
};

std::string Describe(const TStep &step) {
  switch (step.Kind) {
  case TStep::Add: return "add " + step.Url + " (" + std::to_string(step.Size) + " bytes)";
  case TStep::Enumerate: return std::string("enumerate ") + NameOf(step.Category);
  case TStep::Replace: return "replace " + step.Url + ", delete the old view";
  case TStep::Delete: break;
  }
  return "delete " + step.Url;
}

uint32_t SizeFor(const std::string &url, TSeededRandom &random) {
  return url.starts_with("http://") ? static_cast<uint32_t>(1 + random.Below(5000)) : 0;
}

// A script: a few adds, then enumerations, deletes (mostly of URLs added
// before, which may be deleted already), replacements and more adds.
std::vector<TStep> MakeScript(uint32_t seed) {
  TSeededRandom random(seed);
  std::vector<TStep> steps;
  std::vector<std::string> added;
  auto add = [&] {
    const std::string url = random.Pick(kUrls);
    steps.push_back({TStep::Add, url, SizeFor(url, random)});
    added.push_back(url);
  };
  auto addedOrAny = [&] {
    return random.Chance(70) ? added[random.Below(added.size())] : std::string(random.Pick(kUrls));
  };
  for (size_t i = 2 + random.Below(4); i > 0; --i)
    add();
  for (size_t i = 4 + random.Below(6); i > 0; --i) {
    const size_t roll = random.Below(100);
    if (roll < 15) {
      add();
    } else if (roll < 50) {
      steps.push_back({TStep::Enumerate, "", 0, random.Pick(kCategories)});
    } else if (roll < 85) {
      steps.push_back({TStep::Delete, addedOrAny()});
    } else {
      const std::string url = addedOrAny();
      steps.push_back({TStep::Replace, url, SizeFor(url, random)});
    }
  }
  steps.push_back({TStep::Enumerate, "", 0, TCategory::Cache});
  return steps;
}

// An entry as an enumeration lists it: URL, size, whether it has a file.
using TListed = std::tuple<std::string, uint64_t, bool>;

// What an enumeration of `category` lists, as the walk sees it.
std::multiset<TListed> Listing(IUrlCache &cache, TCategory category) {
  const std::string pattern = std::string(CategoryPrefix(category)) + "*";
  const TLeadByteSet singleByte;
  const TEntrySelector selector(pattern, singleByte);
  std::multiset<TListed> listed;
  const auto enumeration = cache.Enumerate(category);
  while (const TCacheEntryView *entry = enumeration->Next())
    if (!selector.PassesOver(entry->Url))
      listed.insert({entry->Url, entry->Size, entry->LocalFileName && *entry->LocalFileName});
  return listed;
}

std::string Show(const std::multiset<TListed> &listed) {
  std::ostringstream text;
  for (const auto &[url, size, file] : listed)
    text << "\n    " << url << " " << size << (file ? " (file)" : "");
  return text.str();
}

// A view that outlives its enumeration.
struct TKeptView {
  std::string Url;
  std::optional<std::string> LocalFileName;
  uint64_t Size = 0;
  TCacheEntryView View() const {
    return {Url.c_str(), LocalFileName ? LocalFileName->c_str() : nullptr, Size};
  }
};

// The view an enumeration of the URL's category delivers for `url`, or a
// view of the URL alone when it is not listed.
TKeptView ViewOf(IUrlCache &cache, const std::string &url) {
  const auto enumeration = cache.Enumerate(CategoryOfPattern(url));
  while (const TCacheEntryView *entry = enumeration->Next())
    if (url == entry->Url)
      return {url,
              entry->LocalFileName ? std::optional<std::string>(entry->LocalFileName)
                                   : std::nullopt,
              entry->Size};
  return {url, std::nullopt, 0};
}

class TContractRun {
public:
  // Runs one script over both caches; returns the first disagreement.
  std::optional<std::string> Run(uint32_t seed) {
    EmptyUrlCache();
    TMemoryUrlCache memory;
    const std::vector<TStep> steps = MakeScript(seed);
    for (size_t i = 0; i < steps.size(); ++i)
      if (auto what = Apply(steps[i], memory))
        return "seed " + std::to_string(seed) + " step " + std::to_string(i) + " (" +
               Describe(steps[i]) + "): " + *what;
    return std::nullopt;
  }

private:
  std::optional<std::string> Apply(const TStep &step, TMemoryUrlCache &memory) {
    switch (step.Kind) {
    case TStep::Add: AddToBoth(step, memory); return std::nullopt;
    case TStep::Enumerate: {
      const auto stand = Listing(memory, step.Category), real = Listing(Real, step.Category);
      if (stand == real) return std::nullopt;
      return "the stand-in lists" + Show(stand) + "\n  the platform lists" + Show(real);
    }
    case TStep::Delete: return Compare(ViewOf(memory, step.Url), ViewOf(Real, step.Url), memory);
    case TStep::Replace: break;
    }
    const TKeptView stand = ViewOf(memory, step.Url), real = ViewOf(Real, step.Url);
    AddToBoth(step, memory);
    return Compare(stand, real, memory);
  }

  void AddToBoth(const TStep &step, TMemoryUrlCache &memory) {
    std::optional<std::string> file;
    if (step.Url.starts_with("http://"))
      file = SeedHttpEntry(step.Url, step.Size);
    else
      SeedEntry(step.Url, 0);
    memory.Add(step.Url, file, step.Size);
  }

  // Deletes with each cache's own view; the answers must agree.
  std::optional<std::string> Compare(const TKeptView &standView, const TKeptView &realView,
                                     TMemoryUrlCache &memory) {
    const TDeleteResult stand = memory.Delete(standView.View());
    const TDeleteResult real = Real.Delete(realView.View());
    if (stand == real) return std::nullopt;
    return std::string("the stand-in answers ") + NameOf(stand) + ", the platform " + NameOf(real);
  }

  TWin32UrlCache Real;
};

TEST(CacheContract, StandInAnswersAsThePlatform) {
  TContractRun run;
  std::vector<std::string> disagreements;
  for (uint32_t seed = 1; seed <= kScripts; ++seed)
    if (auto what = run.Run(seed)) disagreements.push_back(*what);
  EmptyUrlCache();
  for (size_t i = 0; i < disagreements.size() && i < 10; ++i)
    ADD_FAILURE() << disagreements[i];
  EXPECT_EQ(disagreements.size(), 0u) << "of " << kScripts << " scripts";
  RecordProperty("scripts", static_cast<int>(kScripts));
}

// Under Wine the documented cookie and history selectors list nothing and
// the content's enumeration lists those containers too: one enumeration of
// the content then keeps for each category what its own enumeration lists,
// in its order, on the platform as on the stand-in (which lists as Wine).
TEST(CacheContract, OneReadOfTheContentKeepsWhatEachCategoryListsInItsOrder) {
  const std::vector<TCategory> alongside = {TCategory::Cookies, TCategory::History};
  TWin32UrlCache real;
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    EmptyUrlCache();
    TMemoryUrlCache memory;
    TSeededRandom random(seed);
    for (size_t i = 0; i < 3 + random.Below(20); ++i) {
      const std::string url = random.Pick(kUrls);
      const uint32_t size = SizeFor(url, random);
      SeedEntry(url, size);
      memory.Add(url,
                 url.starts_with("http://") ? std::optional<std::string>("file") : std::nullopt,
                 size);
    }
    for (IUrlCache *cache : {static_cast<IUrlCache *>(&real), static_cast<IUrlCache *>(&memory)}) {
      const bool isReal = cache == &real;
      SCOPED_TRACE(isReal ? "the platform" : "the stand-in");
      for (TCategory category : alongside)
        EXPECT_EQ(cache->EnumerateSeparately(category), nullptr) << NameOf(category);
      TCacheSnapshot apart, together;
      for (TCategory category : kCategories)
        ASSERT_TRUE(apart.Read(*cache, category));
      const auto content = cache->Enumerate(TCategory::Cache);
      ASSERT_TRUE(together.ReadWithContent(*content, alongside));
      for (TCategory category : kCategories)
        EXPECT_TRUE(together.SameAs(apart, category)) << NameOf(category);
      if (isReal) {
        EXPECT_GT(apart.Count(TCategory::Cookies) + apart.Count(TCategory::History), 0u);
      }
    }
  }
  EmptyUrlCache();
}

} // namespace
