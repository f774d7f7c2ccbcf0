// The preview lists: what a fill shows, its update bracket, and the file
// name of a path.
#include <gmock/gmock.h>

#include "AsciiText.h"
#include "DialogTestKit.h"
#include "IENorvaneU.h"
#include "Masks.h"
#include "StandInPlatform.h"
#include "WalkSweep.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

TEST(PreviewFileName, TakesThePartAfterTheLastBackslash) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Cache\\X1\\page[1].htm", "page[1].htm"},
      {"page.htm", "page.htm"},
      {"C:\\Cache\\", ""},
      {"", ""},
      {"\\", ""},
      {"\\a", "a"},
      {"C:/Cache/x.htm", "C:/Cache/x.htm"}, // only the backslash separates
      {"C:x.htm", "C:x.htm"},
      {"a\\\xE9\\b\xE9", "b\xE9"},
  };
  for (const auto &[path, name] : cases)
    EXPECT_EQ(FileNameOf(path.c_str()), name) << "path '" << path << "'";
}

class PreviewFixture : public ::testing::Test, public TStandInPlatform {
protected:
  PreviewFixture() : List("lvCache", nullptr, {8, 56, 525, 89}, 4, {}) {}

  // The dialog's fill of the list of `pattern`'s category, with settings
  // that sweep it by the rest of `pattern` as mask, over a fresh read.
  void Fill(const std::string &pattern) {
    const CleanerSettings settings = SettingsSweeping(pattern);
    const TKeepSites none;
    TIENorvane::FillPreviewList(List, settings, CategoryOfPattern(pattern),
                                ReadForSweeps(Cache, SweepsOf(settings)), LeadBytes(), &none);
  }

  TListView List;
};

TEST_F(PreviewFixture, RowsShowUrlFileNameAndSizeInEnumerationOrder) {
  Cache.Add("http://b.example/x", "C:\\Cache\\b[1].htm", 4294967296ull);
  Cache.Add("Cookie:user@a.example/", std::nullopt, 77);
  Cache.Add("http://a.example/", "", 0);
  Cache.Add("Visited:user@http://a.example/", std::nullopt, 5);
  Cache.Add("http://c.example/big", "C:\\Cache\\", 18446744073709551615ull);
  Fill("http://*.*");
  // No cookie or history entry in the http list, even though the
  // enumeration hands them over.
  EXPECT_THAT(RowsOf(List),
              ElementsAre("http://b.example/x|b[1].htm|4294967296", "http://a.example/||0",
                          "http://c.example/big||18446744073709551615"));
  Fill("Cookie:*");
  EXPECT_THAT(RowsOf(List), ElementsAre("Cookie:user@a.example/||77"));
  Fill("Visited:*A.EXAMPLE*");
  EXPECT_THAT(RowsOf(List), ElementsAre("Visited:user@http://a.example/||5"));
}

TEST_F(PreviewFixture, EachFillReplacesTheRowsAndRepaintsOnce) {
  Cache.Add("http://a.example/", std::nullopt, 1);
  Cache.Add("HTTP://", std::nullopt, 2);
  Fill("http://*");
  EXPECT_EQ(List.RowCount(), 2u);
  EXPECT_EQ(List.RepaintCount(), 1u);
  // The bare prefix lists only a URL that is the prefix itself, in any case.
  Fill("http://");
  EXPECT_THAT(RowsOf(List), ElementsAre("HTTP://||2"));
  EXPECT_EQ(List.RepaintCount(), 2u);
  Fill("http://nothing");
  EXPECT_THAT(RowsOf(List), IsEmpty());
  EXPECT_EQ(List.RepaintCount(), 3u);

  // Inside an outer bracket the fill does not repaint; the outer close does.
  List.BeginUpdate();
  Fill("http://*");
  EXPECT_EQ(List.RepaintCount(), 3u);
  EXPECT_EQ(List.UpdateCount(), 1);
  List.EndUpdate();
  EXPECT_EQ(List.RepaintCount(), 4u);
  EXPECT_EQ(List.RowCount(), 2u);
}

TEST_F(PreviewFixture, MalformedPatternLeavesTheListEmptyAndClosesTheBracket) {
  Cache.Add("http://a.example/", std::nullopt, 1);
  Fill("http://*");
  ASSERT_EQ(List.RowCount(), 1u);
  EXPECT_THROW(Fill("http://[a-]"), EMaskException);
  EXPECT_EQ(List.RowCount(), 0u);
  EXPECT_EQ(List.UpdateCount(), 0);
  EXPECT_EQ(List.RepaintCount(), 2u);
  // An entry the platform does not deliver is passed over.
  Cache.Add("http://b.example/", std::nullopt, 2);
  Cache.Add("http://c.example/", std::nullopt, 3);
  Cache.HideFromEnumerations("http://b.example/");
  Fill("http://*");
  EXPECT_THAT(RowsOf(List), ElementsAre("http://a.example/||1", "http://c.example/||3"));
  EXPECT_EQ(Cache.OpenEnumerations(), 0u);
}

// A display that records what the list asks of the window.
class TRecordingDisplay : public IListViewDisplay {
public:
  void Refresh() override { Calls.push_back("refresh"); }
  void SuspendPainting() override { Calls.push_back("suspend"); }
  void ResumePainting() override { Calls.push_back("resume"); }
  std::vector<std::string> Calls;
};

TEST_F(PreviewFixture, AWindowSeesOneSuspendAndOneResumePerFill) {
  for (int i = 0; i < 50; ++i)
    Cache.Add("http://h" + std::to_string(i) + ".example/", "", 1);
  TRecordingDisplay display;
  List.AttachListView(&display);
  Fill("http://*");
  EXPECT_THAT(display.Calls, ElementsAre("suspend", "resume"));
  display.Calls.clear();
  EXPECT_THROW(Fill("http://["), EMaskException);
  EXPECT_THAT(display.Calls, ElementsAre("suspend", "resume"));
  display.Calls.clear();
  List.AddRow("x", "", uint64_t{0}); // outside a bracket: shown at once
  EXPECT_THAT(display.Calls, ElementsAre("refresh"));
  List.AttachListView(nullptr);
}

} // namespace
