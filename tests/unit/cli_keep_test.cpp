// ienorvane and the sites to keep: preview and clean hold their entries
// back and say so, a malformed keep list stops both before any delete, the
// keep command lists and changes the list without touching anything else,
// and the cache's https half is swept when asked or counted as passed over.
#include "cli_fixture.h"

#include "CommandLine.h"

namespace {

const std::vector<std::string> kAllOn = {"DeleteCache=1", "DeleteCookies=1", "DeleteHistory=1"};

std::vector<std::string> With(std::vector<std::string> lines, const std::string &line) {
  lines.push_back(line);
  return lines;
}

TEST_F(CliTest, KeptSitesAreHeldBackInEveryCategoryAndReportedPerSite) {
  WriteSettings(With(kAllOn, "KeepSites=Example.COM"));
  const TCliRun preview = RunOnSettings("preview", {"--json"});
  ASSERT_EQ(preview.Code, kExitOk) << preview.Err;
  const TJsonValue document = preview.Json();
  struct TKeptCase {
    size_t Category;
    uint64_t Count, Bytes;
    const char *FirstUrl;
  };
  for (const TKeptCase &c :
       {TKeptCase{0, 2, 1500, "http://www.example.com/index.html"},
        TKeptCase{1, 1, 0, "Cookie:admin@example.com/"},
        TKeptCase{2, 1, 0, "Visited:admin@http://www.example.com/index.html"}}) {
    const TJsonValue &category = document["categories"][c.Category];
    SCOPED_TRACE(category["name"].String());
    EXPECT_EQ(category["kept"]["count"].Unsigned(), c.Count);
    EXPECT_EQ(category["kept"]["bytes"].Unsigned(), c.Bytes);
    EXPECT_EQ(category["kept"]["sites"]["Example.COM"].Unsigned(), c.Count);
    EXPECT_EQ(category["keptEntries"][0]["url"].String(), c.FirstUrl);
    EXPECT_EQ(category["keptEntries"][0]["site"].String(), "Example.COM");
    for (size_t i = 0; i < category["entries"].Array().size(); ++i)
      EXPECT_EQ(category["entries"][i]["url"].String().find("example.com"), std::string::npos)
          << "a kept entry is listed to be deleted";
  }
  EXPECT_EQ(document["total"]["kept"]["count"].Unsigned(), 4u);

  const TCliRun clean = RunOnSettings("clean");
  ASSERT_EQ(clean.Code, kExitOk) << clean.Err;
  for (const char *kept :
       {"http://www.example.com/index.html", "http://www.example.com/style.css",
        "Cookie:admin@example.com/", "Visited:admin@http://www.example.com/index.html"})
    EXPECT_TRUE(Cache.Contains(kept)) << kept;
  EXPECT_FALSE(Cache.Contains("http://news.site.org/app.js"));
  // Freed: app.js and the upper-case page; never the kept ones.
  EXPECT_NE(clean.Out.find("Exempted space is 4507 bytes"), std::string::npos) << clean.Out;
  EXPECT_NE(clean.Out.find("  kept: 2 entries, 1.5 KiB (1500 bytes) (Example.COM: 2)\n"
                           "    kept for Example.COM:\n"),
            std::string::npos)
      << clean.Out;
  EXPECT_NE(clean.Out.find("; 4 entries kept\n"), std::string::npos) << clean.Out;
}

TEST_F(CliTest, WithSitesToKeepTheHistoryStoreIsWalkedNeverEmptiedWhole) {
  using TFailure = TRecordingHistoryStore::TFailure;
  struct TStoreCase {
    TFailure Failure;
    const char *Line;
    bool LeftAlone;
  };
  WriteSettings(With(kAllOn, "KeepSites=example.com;site.org"));
  for (const TStoreCase &c :
       {TStoreCase{TFailure::None, "history store: emptied except kept sites (2 left)", false},
        TStoreCase{TFailure::NotImplemented,
                   "history store: left alone to keep 2 sites: Not implemented (code 0x80004001)",
                   true}}) {
    SCOPED_TRACE(c.Line);
    History.FailWith(c.Failure);
    History.Urls = {"http://www.example.com/", "http://other.net/", "https://news.site.org/a",
                    "http://badexample.com/"};
    Cache.RestoreDeleted();
    const TCliRun text = RunOnSettings("clean");
    EXPECT_EQ(text.Code, kExitOk) << "neither is a partial clean: " << text.Err;
    EXPECT_NE(text.Out.find(std::string("\n") + c.Line + "\n"), std::string::npos) << text.Out;
    EXPECT_EQ(History.Clears(), 0u);
    EXPECT_EQ(History.Urls.size(), c.LeftAlone ? 4u : 2u);
    Cache.RestoreDeleted();
    const TJsonValue json = RunOnSettings("clean", {"--json"}).Json();
    EXPECT_EQ(json["historyStore"]["leftAlone"].Bool(), c.LeftAlone);
    EXPECT_EQ(json["historyStore"]["keptSites"].Unsigned(), 2u);
    EXPECT_TRUE(json["complete"].Bool());
  }
  EXPECT_EQ(History.Calls(), 0u) << "the store was never asked to empty itself";
}

TEST_F(CliTest, AMalformedKeepListStopsPreviewAndCleanBeforeAnyDelete) {
  WriteSettings(With(kAllOn, "KeepSites=example.com; mail/example.org"));
  const size_t before = Cache.Urls().size();
  const TCliRun clean = RunOnSettings("clean");
  EXPECT_EQ(clean.Code, kExitMalformedMask);
  EXPECT_EQ(clean.Out, "");
  EXPECT_NE(clean.Err.find("malformed keep list (KeepSites): 'mail/example.org'"),
            std::string::npos)
      << clean.Err;
  EXPECT_NE(clean.Err.find("nothing was deleted"), std::string::npos);
  EXPECT_EQ(Cache.Urls().size(), before);
  EXPECT_EQ(History.Calls() + History.Walks(), 0u);

  const TCliRun json = RunOnSettings("preview", {"--json"});
  EXPECT_EQ(json.Code, kExitMalformedMask);
  EXPECT_EQ(json.Json()["error"]["kind"].String(), "malformed-keep-list");
  EXPECT_EQ(json.Json()["error"]["item"].String(), "mail/example.org");
  EXPECT_EQ(json.Json()["error"]["position"].Unsigned(), 2u);

  const TCliRun show = RunOnSettings("show");
  EXPECT_EQ(show.Code, kExitOk) << "show only warns";
  EXPECT_NE(show.Err.find("warning: malformed keep list"), std::string::npos) << show.Err;
  EXPECT_NE(show.Out.find("KeepSites=example.com; mail/example.org\n"), std::string::npos);
}

TEST_F(CliTest, KeepCommandChangesOnlyTheListAndRefusesBadNames) {
  WriteFileBytes(Ini(), "[Host]\r\nLanguage=en\r\n[IENorvane]\r\nDeleteCache=1\r\n"
                        "[Other]\r\nKeepSites=not ours\r\n");
  const auto stored = [&] { return ReadFileBytes(Ini()); };
  EXPECT_EQ(RunOnSettings("keep").Out, "no sites are kept\n");

  TCliRun added = RunOnSettings("keep", {"add", "*.Example.com", "mail.example.org"});
  EXPECT_EQ(added.Code, kExitOk) << added.Err;
  EXPECT_EQ(added.Out, "*.Example.com\nmail.example.org\n");
  EXPECT_EQ(stored(), "[Host]\r\nLanguage=en\r\n[IENorvane]\r\nDeleteCache=1\r\n"
                      "KeepSites=*.Example.com;mail.example.org\r\n"
                      "[Other]\r\nKeepSites=not ours\r\n");

  const TCliRun again = RunOnSettings("keep", {"add", "EXAMPLE.com"});
  EXPECT_EQ(again.Code, kExitOk);
  EXPECT_EQ(again.Err, "ienorvane: 'EXAMPLE.com' is kept already\n");

  const std::string before = stored();
  for (const std::vector<std::string> &bad :
       {std::vector<std::string>{"add", "ok.net", "bad site.com"},
        std::vector<std::string>{"remove", "a..b"}}) {
    const TCliRun refused = RunOnSettings("keep", bad);
    EXPECT_EQ(refused.Code, kExitMalformedMask) << bad.back();
    EXPECT_NE(refused.Err.find("nothing was saved"), std::string::npos) << refused.Err;
    EXPECT_EQ(stored(), before) << "a refused change saves nothing, not even its good names";
  }

  const TCliRun removed = RunOnSettings("keep", {"remove", "example.COM", "--json"});
  EXPECT_EQ(removed.Code, kExitOk) << removed.Err;
  EXPECT_EQ(removed.Json()["sites"][0].String(), "mail.example.org");
  EXPECT_EQ(removed.Json()["sites"].Array().size(), 1u);
}

TEST_F(CliTest, KeepCommandLineErrors) {
  WriteSettings({"DeleteCache=1"});
  for (const std::vector<std::string> &arguments :
       {std::vector<std::string>{"keep", "add", "--ini", Ini(), "--section", "IENorvane"},
        std::vector<std::string>{"keep", "example.com", "--ini", Ini(), "--section", "IENorvane"},
        std::vector<std::string>{"preview", "add", "--ini", Ini(), "--section", "IENorvane"},
        std::vector<std::string>{"keep", "--list", "--ini", Ini(), "--section", "IENorvane"}}) {
    const TCliRun run = Run(arguments);
    EXPECT_EQ(run.Code, kExitUsage) << arguments[1];
  }
}

TEST_F(CliTest, TheHttpsHalfIsSweptWhenAskedAndCountedAsPassedOverOtherwise) {
  Seed({{"https://secure.example.com/a.js", "C:\\cache\\D4\\a[1].js", 100},
        {"ftp://f.example.com/c", "C:\\cache\\D4\\c[1]", 40},
        {"https://nodot/", "", 5}});
  WriteSettings({"DeleteCache=1"});
  const TCliRun off = RunOnSettings("preview", {"--category", "cache"});
  EXPECT_NE(off.Out.find("[cache] http://*.*\n"), std::string::npos) << off.Out;
  EXPECT_NE(off.Out.find("  passed over: 3 entries, 145 bytes of other schemes"), std::string::npos)
      << off.Out;
  const TJsonValue offJson = RunOnSettings("preview", {"--json"}).Json();
  EXPECT_EQ(offJson["categories"][0]["otherSchemes"]["count"].Unsigned(), 3u);
  EXPECT_EQ(offJson["categories"][0]["otherSchemes"]["bytes"].Unsigned(), 145u);

  WriteSettings({"DeleteCache=1", "DeleteCacheHttps=1"});
  const TJsonValue on = RunOnSettings("preview", {"--json"}).Json();
  const TJsonValue &cache = on["categories"][0];
  EXPECT_EQ(cache["patterns"][1].String(), "https://*.*");
  EXPECT_FALSE(cache.Has("otherSchemes"));
  const size_t rows = cache["entries"].Array().size();
  ASSERT_GE(rows, 1u);
  EXPECT_EQ(cache["entries"][rows - 1]["url"].String(), "https://secure.example.com/a.js")
      << "the https half comes after the http one";
  const TCliRun clean = RunOnSettings("clean");
  EXPECT_EQ(clean.Code, kExitOk) << clean.Err;
  EXPECT_FALSE(Cache.Contains("https://secure.example.com/a.js"));
  EXPECT_TRUE(Cache.Contains("ftp://f.example.com/c"));
  EXPECT_TRUE(Cache.Contains("https://nodot/")) << "*.* needs a dot";
  const TCliRun show = RunOnSettings("show");
  EXPECT_NE(show.Out.find("summary: http://*.*, https://*.*, Cookie:*.*, Visited:*.*\n"),
            std::string::npos)
      << show.Out;
}

} // namespace

namespace {

TEST_F(CliTest, AMalformedCacheMaskIsNamedOnceWithTheHttpsHalfOn) {
  WriteSettings({"DeleteCache=1", "DeleteCacheType=1", "CacheMask=[a", "DeleteCacheHttps=1",
                 "DeleteCookies=0", "DeleteHistory=0"});
  const TCliRun run = RunOnSettings("clean");
  EXPECT_EQ(run.Code, kExitMalformedMask);
  EXPECT_EQ(run.Err, "ienorvane: malformed cache mask (CacheMask): pattern 'http://[a', position "
                     "10: 'http://[a' is an invalid mask at (10)\n"
                     "ienorvane: nothing was deleted\n")
      << "the https half's pattern repeats the same mask and is not named again";
  EXPECT_TRUE(Cache.Contains("http://www.example.com/index.html"));
}

} // namespace
