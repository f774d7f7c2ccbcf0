// One engine for every front end: over the same random caches and settings,
// the plug-in's ExecClearProc (the library through its exports, over a
// stand-in system platform), the command line's clean and preview, and the
// dialog's lists select, delete and report the same entries, whether the
// cookie and history containers are listed with the content or apart. The
// settings include sites to keep (drawn from the cache's hosts, sometimes
// malformed) and the cache's https half.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "AsciiText.h"
#include "CommandLine.h"
#include "Commands.h"
#include "DialogTestKit.h"
#include "HostBuffer.h"
#include "IENorvaneU.h"
#include "JsonValue.h"
#include "PluginApi.h"
#include "PluginLibrary.h"
#include "SeededRandom.h"
#include "StandInCache.h"
#include "StandInPlatform.h"
#include "TempDir.h"
#include "UrlCorpus.h"

namespace {

using TListing = TMemoryUrlCache::TListing;

const char *const kSection = "IENorvane";
const char *const kMasks[] = {"*", "*.*",    "*example*", "*.com/*", "*[a-m]*", "[!h]*",   "?*",
                              "",  "*news*", "*@*",       "www.*",   "*.org*",  "*[0-9]*", "*.gif"};
const char *const kMalformed[] = {"*[", "[a-", "*[]*"};
// Keep list items that make the whole list malformed.
const char *const kMalformedSites[] = {"mail/x", "*", "a..b", "host:80", "example.com."};
// URLs the generator does not make: containers' prefixes in other cases, no
// "." at all, another scheme.
const char *const kOddUrls[] = {"cookie:lower@example.com/", "HTTP://UPPER.EXAMPLE.COM/A.HTM",
                                "http://localhost/",         "https://secure.example.com/app.js",
                                "visited:x@http://a.b/",     "Visited:x@about:blank"};

// One entry as the front ends list it: "category url|file|size".
std::string Key(TCategory category, const std::string &url, const std::optional<std::string> &file,
                uint64_t size) {
  return std::string(CategoryPrefix(category)) + " " + url + "|" + file.value_or("-") + "|" +
         std::to_string(size);
}

TStandInCache DrawCache(TSeededRandom &random, uint32_t seed, TListing listing) {
  std::vector<std::string> urls = GenerateCacheUrls(random.Below(40), seed);
  // The https twins of some http entries: the cache's secure half.
  const size_t generated = urls.size();
  for (size_t i = 0; i < generated; ++i)
    if (urls[i].starts_with("http://") && random.Chance(30))
      urls.push_back("https://" + urls[i].substr(7));
  for (const char *odd : kOddUrls)
    if (random.Chance(30)) urls.push_back(odd);
  TStandInCache cache{listing, {}};
  std::set<std::string> seen; // a URL added twice replaces the first in place
  for (const std::string &url : urls) {
    if (!seen.insert(url).second) continue;
    TStandInEntry entry{url, std::nullopt, random.Below(100000)};
    if (random.Chance(2)) entry.Size += uint64_t{1} << 32;
    if (ContainerOfUrl(url.c_str()) == TCategory::Cache && random.Chance(80))
      entry.LocalFileName = "C:\\cache\\X" + std::to_string(random.Below(9)) + "\\f" +
                            std::to_string(cache.Entries.size()) + "[1].htm";
    if (random.Chance(12)) entry.DeleteAnswer = static_cast<TDeleteResult>(1 + random.Below(3));
    entry.Hidden = random.Chance(3);
    cache.Entries.push_back(entry);
  }
  return cache;
}

// The section's lines, each setting present; `malformed` tells whether a
// mask that a clean would match with is malformed.
std::string DrawSettings(TSeededRandom &random, bool &malformed) {
  std::string lines = "[" + std::string(kSection) + "]\r\n";
  malformed = false;
  for (const TCategoryFields &c : Categories()) {
    const bool on = random.Chance(80);
    const int32_t type = random.Chance(10) ? 2 : static_cast<int32_t>(random.Below(2));
    const bool broken = random.Chance(6);
    malformed = malformed || (on && type == 1 && broken);
    lines += std::string(SettingOf(c.Flag).Key) + "=" + (on ? "1" : "0") + "\r\n";
    lines += std::string(SettingOf(c.Type).Key) + "=" + std::to_string(type) + "\r\n";
    lines += std::string(SettingOf(c.Mask).Key) + "=" +
             (broken ? random.Pick(kMalformed) : random.Pick(kMasks)) + "\r\n";
  }
  return lines;
}

// The two additions' lines: the https half on or off (or absent), and a
// keep list of up to three of the cache's hosts, their parent or top-level
// domains, as typed in any case, with "*." or not (or none);
// `malformedKeep` tells whether an item of it is malformed.
std::string DrawAdditions(TSeededRandom &random, const TStandInCache &cache, bool &https,
                          bool &keeps, bool &malformedKeep) {
  std::string lines;
  const uint64_t httpsDraw = random.Below(10);
  https = httpsDraw >= 5;
  if (httpsDraw >= 3) lines += std::string("DeleteCacheHttps=") + (https ? "1" : "0") + "\r\n";
  std::vector<std::string> hosts;
  for (const TStandInEntry &entry : cache.Entries) {
    const std::string_view host = TKeepSites::EntryHost(entry.Url);
    if (!host.empty() && !TKeepSites::ValidateName(host)) hosts.emplace_back(host);
  }
  malformedKeep = false;
  std::vector<std::string> items;
  if (!hosts.empty() && random.Chance(60))
    for (uint64_t n = 1 + random.Below(3); n > 0; --n) {
      std::string site = hosts[random.Below(hosts.size())];
      if (const size_t dot = site.find('.'); dot != std::string::npos &&
                                             site.find('.', dot + 1) != std::string::npos &&
                                             random.Chance(50))
        site.erase(0, dot + 1);
      else if (const size_t last = site.rfind('.'); last != std::string::npos && random.Chance(15))
        site.erase(0, last + 1); // a top-level domain keeps many entries
      if (random.Chance(20))
        for (char &c : site)
          c = UpperAscii(c);
      if (random.Chance(20)) site = "*." + site;
      items.push_back(site);
    }
  if (random.Chance(10)) {
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(random.Below(items.size() + 1)),
                 random.Pick(kMalformedSites));
    malformedKeep = true;
  }
  keeps = !items.empty() && !malformedKeep;
  if (!items.empty() || random.Chance(10)) {
    lines += "KeepSites=";
    for (size_t i = 0; i < items.size(); ++i)
      lines += (i ? " ; " : "") + items[i];
    lines += "\r\n";
  }
  return lines;
}

// What the plug-in's exports did to a cache.
struct TPluginRun {
  bool Result = false;
  std::string Report;
  TStandInAftermath After;
};

// What the command line printed and left.
struct TCliOutcome {
  int Code = -1;
  TJsonValue Json;
  std::vector<std::string> Left;
  uint32_t HistoryClears = 0;
  uint32_t HistoryWalks = 0;
  std::vector<std::string> HistoryLeft;
};

TCliOutcome RunCliOn(const TStandInCache &cache, const std::string &command,
                     const std::string &ini) {
  TStandInPlatform platform(cache.Listing);
  cache.SeedInto(platform.Cache);
  platform.HistoryStore.Urls = cache.HistoryUrls();
  std::ostringstream out, err;
  const TCliStreams streams{out, err};
  TCliOutcome outcome;
  outcome.Code =
      RunCli({command, "--ini", ini, "--section", kSection, "--json"}, platform, streams);
  // A command that fails before it reports (a malformed keep list) prints
  // no JSON.
  if (!out.str().empty()) outcome.Json = TJsonValue::Parse(out.str());
  outcome.Left = platform.Cache.Urls();
  outcome.HistoryClears = platform.HistoryStore.Calls();
  outcome.HistoryWalks = platform.HistoryStore.Walks();
  outcome.HistoryLeft = platform.HistoryStore.Urls;
  return outcome;
}

TCategory CategoryNamed(const std::string &name) {
  for (const TCategoryFields &c : Categories())
    if (name == c.Name) return c.Category;
  throw std::runtime_error("no category '" + name + "'");
}

// The entries of `member` of each category of a preview's or clean's JSON.
std::vector<std::string> EntryKeys(const TJsonValue &json, const char *member) {
  std::vector<std::string> keys;
  for (const TJsonValue &category : json["categories"].Array()) {
    const TCategory c = CategoryNamed(category["name"].String());
    for (const TJsonValue &entry : category[member].Array()) {
      std::optional<std::string> file;
      if (!entry["file"].IsNull()) file = entry["file"].String();
      keys.push_back(Key(c, entry["url"].String(), file, entry["size"].Unsigned()));
    }
  }
  return keys;
}

// The preview's entries that the platform deletes, and those it keeps.
void SplitByAnswer(const std::vector<std::string> &selected, const TStandInCache &cache,
                   std::vector<std::string> &deleted, std::vector<std::string> &kept,
                   uint64_t &bytes) {
  std::map<std::string, TDeleteResult> answers;
  std::map<std::string, uint64_t> sizes;
  for (const TStandInEntry &entry : cache.Entries) {
    // Each container's entries are selected for its own category only.
    const std::string key =
        Key(ContainerOfUrl(entry.Url.c_str()), entry.Url, entry.LocalFileName, entry.Size);
    answers[key] = entry.DeleteAnswer;
    sizes[key] = entry.Size;
  }
  for (const std::string &key : selected) {
    const bool goes = answers.at(key) == TDeleteResult::Deleted;
    (goes ? deleted : kept).push_back(key);
    if (goes) bytes += sizes.at(key);
  }
}

bool Holds(const std::vector<std::string> &urls, const std::string &url) {
  return std::find(urls.begin(), urls.end(), url) != urls.end();
}

// The URLs the cleaner's own selection holds back for the sites to keep.
std::vector<std::string> HeldBack(const TStandInCache &cache, const std::string &ini) {
  TStandInPlatform platform(cache.Listing);
  cache.SeedInto(platform.Cache);
  TIENorvane cleaner(platform);
  cleaner.LoadSettings(ini, kSection);
  std::vector<std::string> urls;
  for (const TSelectedCategory &part : cleaner.Select().Sweeps)
    for (const TKeptEntry &kept : part.KeptEntries)
      urls.push_back(kept.Entry.Url);
  return urls;
}

std::vector<std::string> UrlsOf(const TStandInCache &cache) {
  std::vector<std::string> urls;
  for (const TStandInEntry &entry : cache.Entries)
    urls.push_back(entry.Url);
  return urls;
}

class EngineDifferential : public ::testing::Test {
protected:
  TPluginRun RunPlugin(const TStandInCache &cache, const std::string &ini) {
    const std::string file = Folder.File("cache.txt");
    WriteFileBytes(file, cache.Text());
    setenv(kStandInCacheVariable, file.c_str(), 1);
    THostBuffer buffer;
    TPluginRun run;
    run.Result =
        Plugin.Export<TWorkingProc>("ExecClearProc")(ini.c_str(), kSection, buffer.Variable());
    unsetenv(kStandInCacheVariable);
    run.Report = run.Result ? buffer.Text() : "";
    run.After = TStandInAftermath::Parse(ReadFileBytes(file + ".after"));
    return run;
  }

  // The rows of the dialog's lists of the categories a clean sweeps, as
  // "category url|file|size" with the file name as the list shows it.
  std::vector<std::string> DialogRows(const TStandInCache &cache, const std::string &ini) {
    TStandInPlatform platform(cache.Listing);
    cache.SeedInto(platform.Cache);
    TIENorvane cleaner(platform);
    cleaner.LoadSettings(ini, kSection);
    TFormWithReader rig(platform);
    cleaner.WriteToForm(rig.Form);
    rig.Settle();
    std::vector<std::string> rows;
    for (TCategory category : kAllCategories) {
      if (cleaner.SweepPatternsOf(category).empty()) continue;
      for (const std::string &row : RowsOf(rig.Form.Section(category).List))
        rows.push_back(std::string(CategoryPrefix(category)) + " " + row);
    }
    return rows;
  }

  // The preview's entries as the dialog's rows show them.
  static std::vector<std::string> AsRows(const TJsonValue &preview) {
    std::vector<std::string> rows;
    for (const std::string &key : EntryKeys(preview, "entries")) {
      const size_t bar = key.find('|'), last = key.rfind('|');
      const std::string file = key.substr(bar + 1, last - bar - 1);
      rows.push_back(key.substr(0, bar) + "|" +
                     (file == "-" ? "" : std::string(FileNameOf(file.c_str()))) + key.substr(last));
    }
    return rows;
  }

  TPluginLibrary Plugin{NV_STANDIN_PLUGIN_SO};
  TTempDir Folder;
};

TEST_F(EngineDifferential, PluginCommandLinePreviewAndDialogAgreeOnRandomCaches) {
  size_t caches = 0, selected = 0, deleted = 0, malformedCases = 0, disagreements = 0;
  size_t keptEntries = 0, keepCases = 0, malformedKeepCases = 0, httpsCases = 0, dialogCases = 0;
  const auto agree = [&](const auto &a, const auto &b, const char *what) {
    if (a == b) return;
    ++disagreements;
    ADD_FAILURE() << what << " disagree";
  };
  for (uint32_t seed = 1; seed <= 110; ++seed) {
    TSeededRandom random(seed);
    bool malformed = false, https = false, keeps = false, malformedKeep = false;
    const std::string ini = Folder.File("norvane.ini");
    const std::string settings = DrawSettings(random, malformed);
    const TStandInCache drawn = DrawCache(random, seed, TListing::WithContent);
    WriteFileBytes(ini, settings + DrawAdditions(random, drawn, https, keeps, malformedKeep));
    for (TListing listing : {TListing::WithContent, TListing::Apart}) {
      SCOPED_TRACE("seed " + std::to_string(seed) +
                   (listing == TListing::Apart ? ", apart" : ", with the content"));
      TStandInCache cache = drawn;
      cache.Listing = listing;
      ++caches;
      const TPluginRun plugin = RunPlugin(cache, ini);
      const TCliOutcome preview = RunCliOn(cache, "preview", ini);
      const TCliOutcome clean = RunCliOn(cache, "clean", ini);
      httpsCases += https;
      if (malformedKeep) {
        // A malformed keep list: nothing is deleted anywhere, the history
        // store is not touched, the plug-in answers false and neither
        // command succeeds.
        ++malformedKeepCases;
        agree(plugin.Result, false, "plug-in's result");
        agree(plugin.After.Left, UrlsOf(cache), "what the plug-in leaves");
        agree(plugin.After.HistoryClears + plugin.After.HistoryWalks, 0u, "history store asked");
        agree(preview.Code != int{kExitOk}, true, "preview's exit code");
        agree(clean.Code != int{kExitOk}, true, "clean's exit code");
        agree(clean.Left, UrlsOf(cache), "what a refused clean leaves");
        agree(clean.HistoryClears + clean.HistoryWalks, 0u, "history store asked by the clean");
        continue;
      }
      if (malformed) {
        // The command line checks every mask first and deletes nothing; the
        // plug-in deletes what the cleaner's own selection chose before the
        // malformed mask stopped it.
        ++malformedCases;
        agree(preview.Code, int{kExitMalformedMask}, "preview's exit code");
        agree(clean.Code, int{kExitMalformedMask}, "clean's exit code");
        agree(clean.Left, UrlsOf(cache), "what a refused clean leaves");
        TStandInPlatform platform(listing);
        cache.SeedInto(platform.Cache);
        TIENorvane cleaner(platform);
        cleaner.LoadSettings(ini, kSection);
        const TSelection selection = cleaner.Select();
        agree(plugin.Result, !selection.Fault.has_value(), "plug-in's result");
        uint64_t freed = 0;
        for (const TSelectedCategory &part : selection.Sweeps)
          for (const TCacheEntry &entry : part.Entries)
            if (platform.Cache.Delete(entry.View()) == TDeleteResult::Deleted) freed += entry.Size;
        agree(plugin.After.Left, platform.Cache.Urls(), "plug-in's and the selection's deletes");
        if (!selection.Fault)
          agree(plugin.Report, "Exempted space is " + std::to_string(freed) + " bytes", "report");
        continue;
      }
      const std::vector<std::string> chosen = EntryKeys(preview.Json, "entries");
      std::vector<std::string> goes, stays;
      uint64_t bytes = 0;
      SplitByAnswer(chosen, cache, goes, stays, bytes);
      agree(preview.Code, int{kExitOk}, "preview's exit code");
      agree(clean.Code, int{stays.empty() ? kExitOk : kExitPartial}, "clean's exit code");
      agree(EntryKeys(clean.Json, "entries"), goes, "clean's deletes and the preview");
      agree(EntryKeys(clean.Json, "notDeleted"), stays, "clean's entries left and the preview");
      agree(plugin.Result, true, "plug-in's result");
      agree(plugin.Report, clean.Json["report"].String(), "plug-in's and clean's report");
      agree(plugin.Report, "Exempted space is " + std::to_string(bytes) + " bytes", "report");
      agree(plugin.After.Left, clean.Left, "what the plug-in and the clean leave");
      agree(plugin.After.HistoryClears, clean.HistoryClears, "history store clears");
      agree(plugin.After.HistoryWalks, clean.HistoryWalks, "history store walks");
      agree(plugin.After.HistoryLeft, clean.HistoryLeft, "what the history stores hold");
      // The sites to keep: what the selection held back stays everywhere,
      // and the history store is walked instead of emptied whole.
      const std::vector<std::string> held = HeldBack(cache, ini);
      for (const std::string &url : held) {
        agree(Holds(plugin.After.Left, url), true, "a kept entry the plug-in left");
        agree(Holds(clean.Left, url), true, "a kept entry the clean left");
      }
      if (keeps && plugin.After.HistoryClears + plugin.After.HistoryWalks > 0)
        agree(plugin.After.HistoryClears, 0u, "history store emptied whole with sites to keep");
      agree(DialogRows(cache, ini), AsRows(preview.Json), "dialog's lists and the preview");
      ++dialogCases;
      keepCases += keeps;
      keptEntries += held.size();
      selected += chosen.size();
      deleted += goes.size();
    }
  }
  std::cout << caches << " caches (" << malformedCases << " with a malformed mask, "
            << malformedKeepCases << " with a malformed keep list, " << keepCases
            << " with sites to keep, " << httpsCases << " with the https half, " << dialogCases
            << " compared with the dialog), " << selected << " entries selected, " << deleted
            << " deleted, " << keptEntries << " kept, " << disagreements << " disagreements\n";
  EXPECT_GE(caches, 200u);
  EXPECT_GE(malformedCases, 10u);
  EXPECT_GE(malformedKeepCases, 10u);
  EXPECT_GE(keepCases, 60u);
  EXPECT_GE(keptEntries, 100u);
  EXPECT_GE(httpsCases, 60u);
  EXPECT_GE(dialogCases, 30u);
  EXPECT_GE(deleted, 1000u);
  EXPECT_EQ(disagreements, 0u);
}

} // namespace
