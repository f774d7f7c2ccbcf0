// The native build of the plug-in library, loaded by path and driven through
// its five exports the way a host drives them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "HostBuffer.h"
#include "PluginApi.h"
#include "PluginLibrary.h"
#include "TempDir.h"

namespace fs = std::filesystem;

namespace {

class PluginExports : public ::testing::Test {
protected:
  TWorkingProc Working(const char *name) { return Plugin.Export<TWorkingProc>(name); }

  TPluginLibrary Plugin{NV_PLUGIN_SO};
  TTempDir Folder;
};

TEST_F(PluginExports, IdentityTextsAreExact) {
  EXPECT_STREQ("{5B1E09C4-7A3D-4F62-8C15-2E9047D3A6B8}", Plugin.Export<TGetTextProc>("GetGUID")());
  EXPECT_STREQ("IE Norvane", Plugin.Export<TGetTextProc>("GetPluginName")());
  EXPECT_STREQ("Interner explorer cache, cookies and Norvane plugin for Norvane. ",
               Plugin.Export<TGetTextProc>("GetPluginDescription")());
}

TEST_F(PluginExports, NullArgumentsReturnFalseAndTouchNothing) {
  const std::string ini = Folder.File("settings.ini");
  for (const char *name : {"ExecClearProc", "GetConfigString"}) {
    for (int nulls = 1; nulls < 16; ++nulls) {
      THostBuffer buffer;
      char *nullText = nullptr;
      char **variable = (nulls & 8) ? &nullText : buffer.Variable();
      EXPECT_FALSE(Working(name)((nulls & 1) ? nullptr : ini.c_str(),
                                 (nulls & 2) ? nullptr : "IE Norvane",
                                 (nulls & 4) ? nullptr : variable))
          << name << " nulls=" << nulls;
      EXPECT_TRUE(buffer.Untouched()) << name << " nulls=" << nulls;
    }
  }
  EXPECT_FALSE(fs::exists(ini));
}

TEST_F(PluginExports, CleanOfAMissingFileUsesTheDefaultsAndCreatesNothing) {
  const std::string ini = Folder.File("missing.ini");
  THostBuffer buffer;
  ASSERT_TRUE(Working("ExecClearProc")(ini.c_str(), "IE Norvane", buffer.Variable()));
  EXPECT_EQ("Exempted space is 0 bytes", buffer.Text());
  EXPECT_TRUE(buffer.IntactAfterText());
  EXPECT_TRUE(buffer.PointerIntact());
  EXPECT_FALSE(fs::exists(ini));
}

TEST_F(PluginExports, CleanLeavesTheSettingsFileAsItWas) {
  const std::string ini = Folder.File("host.ini");
  const std::string original = "[Other]\r\nkey=value\r\n[IE Norvane]\r\nDeleteCache=0\r\n";
  std::ofstream(ini, std::ios::binary) << original;
  THostBuffer buffer;
  ASSERT_TRUE(Working("ExecClearProc")(ini.c_str(), "IE Norvane", buffer.Variable()));
  EXPECT_EQ("Exempted space is 0 bytes", buffer.Text());
  std::ifstream in(ini, std::ios::binary);
  EXPECT_EQ(original, std::string(std::istreambuf_iterator<char>(in), {}));
}

} // namespace
