// The real DLL under Wine, loaded the way a host loads it: exports looked up by
// plain name, called with the stdcall convention, answering through the
// host's buffer.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "HostBuffer.h"
#include "PluginApi.h"
#include "PluginLibrary.h"

namespace {

class PluginExports : public ::testing::Test {
protected:
  TPluginLibrary Plugin{NV_PLUGIN_DLL};

  TWorkingProc Working(const char *name) { return Plugin.Export<TWorkingProc>(name); }

  // A fresh INI path in the temporary folder; the file is removed afterwards.
  std::string IniPath(const char *name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + name;
    DeleteFileA(path.c_str());
    Created.push_back(path);
    return path;
  }

  void TearDown() override {
    for (const auto &path : Created)
      DeleteFileA(path.c_str());
  }

  std::vector<std::string> Created;
};

TEST_F(PluginExports, IdentityTextsAreExact) {
  const struct {
    const char *Export;
    const char *Text;
  } cases[] = {
      {"GetGUID", "{5B1E09C4-7A3D-4F62-8C15-2E9047D3A6B8}"},
      {"GetPluginName", "IE Norvane"},
      {"GetPluginDescription", "Interner explorer cache, cookies and Norvane plugin for Norvane. "},
  };
  for (const auto &c : cases) {
    const char *text = Plugin.Export<TGetTextProc>(c.Export)();
    EXPECT_STREQ(c.Text, text) << c.Export;
    EXPECT_EQ(text, Plugin.Export<TGetTextProc>(c.Export)()) << c.Export << " is one constant";
  }
}

TEST_F(PluginExports, NullArgumentsReturnFalseAndTouchNothing) {
  const std::string ini = IniPath("nv-null-args.ini");
  for (const char *name : {"ExecClearProc", "GetConfigString"}) {
    for (int nulls = 1; nulls < 16; ++nulls) {
      THostBuffer buffer;
      char *nullText = nullptr;
      char **variable = (nulls & 8) ? &nullText : buffer.Variable();
      const bool result =
          Working(name)((nulls & 1) ? nullptr : ini.c_str(), (nulls & 2) ? nullptr : "IE Norvane",
                        (nulls & 4) ? nullptr : variable);
      EXPECT_FALSE(result) << name << " nulls=" << nulls;
      EXPECT_TRUE(buffer.Untouched()) << name << " nulls=" << nulls;
    }
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(ini.c_str()));
}

TEST_F(PluginExports, CleanWithEveryCategoryOffReportsZeroBytes) {
  const std::string ini = IniPath("nv-all-off.ini");
  for (const char *key : {"DeleteCache", "DeleteCookies", "DeleteHistory"})
    ASSERT_TRUE(WritePrivateProfileStringA("IE Norvane", key, "0", ini.c_str()));
  THostBuffer buffer;
  ASSERT_TRUE(Working("ExecClearProc")(ini.c_str(), "IE Norvane", buffer.Variable()));
  EXPECT_EQ("Exempted space is 0 bytes", buffer.Text());
  EXPECT_TRUE(buffer.IntactAfterText());
  EXPECT_TRUE(buffer.PointerIntact());
}

} // namespace
