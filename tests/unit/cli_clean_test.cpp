// ienorvane clean reports only what happened: the history store's answer as
// it came, every selected entry the platform kept with its reason, and an
// exit code that does not call a partial clean a success. Its deletes are
// exactly the entries its walk listed, by the views the walk delivered.
#include <array>

#include "cli_fixture.h"

#include "CommandLine.h"

namespace {

TEST_F(CliTest, HistoryStoreAnswerIsReportedAsItCame) {
  using TFailure = TRecordingHistoryStore::TFailure;
  struct TStoreCase {
    TFailure Failure;
    const char *Line; // the text output's history line
    bool Emptied;
    const char *Code; // JSON; null when the store gave no code
    const char *Text;
  };
  const TStoreCase cases[] = {
      {TFailure::None, "history store: emptied", true, "0x00000000", ""},
      {TFailure::NotImplemented, "history store: not emptied: Not implemented (code 0x80004001)",
       false, "0x80004001", "Not implemented"},
      {TFailure::OleSysError, "history store: not emptied: Class not registered (code 0x80040154)",
       false, "0x80040154", "Class not registered"},
      {TFailure::IntfCastError, "history store: not emptied: Interface not supported", false,
       nullptr, "Interface not supported"},
  };
  WriteSettings({"DeleteCache=1"});
  for (const TStoreCase &c : cases) {
    SCOPED_TRACE(c.Line);
    History.FailWith(c.Failure);
    Cache.RestoreDeleted();
    const TCliRun text = RunOnSettings("clean");
    EXPECT_EQ(text.Code, c.Emptied ? kExitOk : kExitPartial);
    EXPECT_NE(text.Out.find(std::string("\n") + c.Line + "\nExempted space is "), std::string::npos)
        << text.Out;
    EXPECT_EQ(text.Err, c.Emptied ? ""
                                  : "ienorvane: the clean is incomplete: the history store "
                                    "was not emptied\n");
    Cache.RestoreDeleted();
    const TCliRun json = RunOnSettings("clean", {"--json"});
    const TJsonValue document = json.Json();
    EXPECT_EQ(document["total"]["count"].Unsigned(), 8u) << "every sweep ran before the store";
    EXPECT_EQ(document["historyStore"]["emptied"].Bool(), c.Emptied);
    if (c.Code)
      EXPECT_EQ(document["historyStore"]["code"].String(), c.Code);
    else
      EXPECT_TRUE(document["historyStore"]["code"].IsNull());
    EXPECT_EQ(document["historyStore"]["text"].String(), c.Text);
    EXPECT_EQ(document["complete"].Bool(), c.Emptied);
  }
}

TEST_F(CliTest, HistoryOffAsksNoStoreAndSaysNothingOfIt) {
  WriteSettings({"DeleteHistory=0", "DeleteHistoryType=1", "HistoryMask=*"});
  History.FailWith(TRecordingHistoryStore::TFailure::NotImplemented);
  const TCliRun text = RunOnSettings("clean");
  EXPECT_EQ(text.Code, kExitOk) << text.Err;
  EXPECT_EQ(text.Out.find("history store"), std::string::npos) << text.Out;
  const TCliRun json = RunOnSettings("clean", {"--json"});
  EXPECT_TRUE(json.Json()["historyStore"].IsNull());
  EXPECT_EQ(History.Calls(), 0u);
}

TEST_F(CliTest, EntriesThatStayAreListedWithTheirReason) {
  Cache.FailDeleteOf("http://www.example.com/style.css", TDeleteResult::InUse);
  Cache.FailDeleteOf("http://news.site.org/app.js", TDeleteResult::InUse);
  Cache.FailDeleteOf("Cookie:admin@example.com/", TDeleteResult::NotAddressable);
  Cache.FailDeleteOf("Visited:admin@http://news.site.org/", TDeleteResult::Failed);
  WriteSettings({"DeleteCache=1"});
  const TCliRun text = RunOnSettings("clean");
  EXPECT_EQ(text.Code, kExitPartial);
  EXPECT_NE(text.Out.find("  2 entries, 1.2 KiB (1207 bytes) deleted\n"
                          "  not deleted: 2 entries\n"
                          "    in use by a running browser:\n"
                          "                 300 bytes  http://www.example.com/style.css  "
                          "C:\\cache\\A1\\style[1].css\n"
                          "      4.4 KiB (4500 bytes)  http://news.site.org/app.js  "
                          "C:\\cache\\B2\\app[1].js\n"),
            std::string::npos)
      << text.Out;
  EXPECT_NE(text.Out.find("  not deleted: 1 entry\n"
                          "    no longer addressable by its URL:\n"
                          "      0 bytes  Cookie:admin@example.com/  -\n"),
            std::string::npos)
      << text.Out;
  EXPECT_NE(text.Out.find("    refused by the platform:\n"
                          "      0 bytes  Visited:admin@http://news.site.org/  -\n"),
            std::string::npos)
      << text.Out;
  EXPECT_NE(text.Out.find("total: 4 entries, 1.2 KiB (1207 bytes) deleted; 4 entries not "
                          "deleted\n"),
            std::string::npos)
      << text.Out;
  EXPECT_NE(text.Out.find("Exempted space is 1207 bytes\n"), std::string::npos);
  EXPECT_EQ(text.Err, "ienorvane: the clean is incomplete: 4 entries not deleted\n");

  // The entries that stayed are listed on a terminal too, without --list.
  Cache.RestoreDeleted();
  const TCliRun terminal = RunOnSettings("clean", {}, kTerminal);
  EXPECT_NE(terminal.Out.find("  http://news.site.org/app.js  "), std::string::npos)
      << terminal.Out;
  EXPECT_EQ(terminal.Out.find("index.html"), std::string::npos) << "a deleted row on a terminal";

  Cache.RestoreDeleted();
  const TCliRun json = RunOnSettings("clean", {"--json"});
  EXPECT_EQ(json.Code, kExitPartial);
  const TJsonValue document = json.Json();
  const TJsonValue &cache = document["categories"][0];
  EXPECT_EQ(cache["count"].Unsigned(), 2u);
  EXPECT_EQ(cache["notDeletedCount"].Unsigned(), 2u);
  ASSERT_EQ(cache["notDeleted"].Array().size(), 2u);
  EXPECT_EQ(cache["notDeleted"][0]["url"].String(), "http://www.example.com/style.css");
  EXPECT_EQ(cache["notDeleted"][0]["file"].String(), "C:\\cache\\A1\\style[1].css");
  EXPECT_EQ(cache["notDeleted"][0]["size"].Unsigned(), 300u);
  EXPECT_EQ(cache["notDeleted"][0]["reason"].String(), "in-use");
  EXPECT_EQ(document["categories"][1]["notDeleted"][0]["reason"].String(), "not-addressable");
  EXPECT_EQ(document["categories"][2]["notDeleted"][0]["reason"].String(), "failed");
  EXPECT_EQ(document["total"]["notDeletedCount"].Unsigned(), 4u);
  EXPECT_EQ(document["total"]["bytes"].Unsigned(), 1207u);
  EXPECT_FALSE(document["complete"].Bool());
  EXPECT_TRUE(Cache.Contains("http://news.site.org/app.js"));
}

// The stand-in platform with every delete's view recorded as it came.
class TDeleteRecordingPlatform : public TStandInPlatform, private IUrlCache {
public:
  struct TDeleteCall {
    std::string Url;
    std::optional<std::string> File;
    uint64_t Size;
  };
  std::vector<TDeleteCall> Deletes;

  IUrlCache &UrlCache() override { return *this; }

private:
  std::unique_ptr<IUrlEnumeration> Enumerate(TCategory category) override {
    return Cache.Enumerate(category);
  }
  TDeleteResult Delete(const TCacheEntryView &entry) override {
    std::optional<std::string> file;
    if (entry.LocalFileName) file = entry.LocalFileName;
    Deletes.push_back({entry.Url, file, entry.Size});
    return Cache.Delete(entry);
  }
};

TEST_F(CliTest, CleanDeletesByTheViewsItsWalkListed) {
  const std::vector<std::vector<std::string>> settings = {
      {"DeleteCache=1"},
      {"DeleteCacheType=1", "CacheMask=*", "DeleteCookiesType=1", "CookiesMask=*localhost*",
       "DeleteHistoryType=1", "HistoryMask=*news*"},
  };
  for (const std::vector<std::string> &lines : settings) {
    SCOPED_TRACE(lines.front());
    WriteSettings(lines);
    TDeleteRecordingPlatform recording;
    for (const TCliSeed &seed : CliStandardSeeds())
      recording.Cache.Add(seed.Url, seed.File.empty() ? std::nullopt : std::optional(seed.File),
                          seed.Size);
    const std::vector<std::string> arguments = {"preview",   "--ini",     Ini(),
                                                "--section", "IENorvane", "--json"};
    const TJsonValue preview = Run(arguments, kPipes, &recording).Json();
    std::vector<std::string> clean = arguments;
    clean[0] = "clean";
    ASSERT_EQ(Run(clean, kPipes, &recording).Code, kExitOk);
    // One delete per listed entry, in the listing's order within each
    // container (the walk lists the containers interleaved), each with the
    // walked entry's URL, local file and size.
    std::array<std::vector<size_t>, 3> byContainer; // indexes into Deletes
    for (size_t i = 0; i < recording.Deletes.size(); ++i)
      byContainer[static_cast<size_t>(ContainerOfUrl(recording.Deletes[i].Url.c_str()))].push_back(
          i);
    std::array<size_t, 3> next{};
    size_t call = 0;
    for (const TJsonValue &category : preview["categories"].Array()) {
      for (const TJsonValue &entry : category["entries"].Array()) {
        SCOPED_TRACE(entry["url"].String());
        const size_t container = static_cast<size_t>(ContainerOfUrl(entry["url"].String().c_str()));
        ASSERT_LT(next[container], byContainer[container].size());
        const auto &deleted = recording.Deletes[byContainer[container][next[container]++]];
        ++call;
        EXPECT_EQ(deleted.Url, entry["url"].String());
        EXPECT_EQ(deleted.File.has_value(), !entry["file"].IsNull());
        if (deleted.File) {
          EXPECT_EQ(*deleted.File, entry["file"].String());
        }
        EXPECT_EQ(deleted.Size, entry["size"].Unsigned());
      }
    }
    EXPECT_EQ(call, recording.Deletes.size()) << "a delete the preview did not list";
    EXPECT_EQ(recording.Cache.Urls().size() + call, CliStandardSeeds().size());
  }
}

} // namespace

namespace {

// A platform that cannot wipe says so, once, and deletes as without the
// wipe; without --wipe or WipeTraces the output names no wipe at all.
TEST_F(CliTest, AWipeThePlatformCannotDoIsNamedAndTheCleanGoesOn) {
  const struct {
    std::vector<std::string> Lines;
    std::vector<std::string> Extra;
    bool Wiped;
  } cases[] = {
      {{"DeleteCache=1"}, {}, false},
      {{"DeleteCache=1", "WipeTraces=0"}, {}, false},
      {{"DeleteCache=1", "WipeTraces=1"}, {}, true},
      {{"DeleteCache=1"}, {"--wipe"}, true},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.Lines.back() + (c.Extra.empty() ? "" : " --wipe"));
    WriteSettings(c.Lines);
    Cache.RestoreDeleted();
    const TCliRun text = RunOnSettings("clean", c.Extra);
    const bool named = text.Out.find("traces not wiped: this platform keeps no index to wipe\n"
                                     "Exempted space is ") != std::string::npos;
    EXPECT_EQ(named, c.Wiped) << text.Out;
    EXPECT_EQ(text.Out.find("wiped cache"), std::string::npos);
    Cache.RestoreDeleted();
    std::vector<std::string> json = c.Extra;
    json.push_back("--json");
    const TJsonValue document = RunOnSettings("clean", json).Json();
    EXPECT_EQ(document["total"]["count"].Unsigned(), 8u);
    EXPECT_EQ(document["wipe"].IsNull(), !c.Wiped);
    if (c.Wiped) {
      EXPECT_FALSE(document["wipe"]["available"].Bool());
    }
  }
}

} // namespace
