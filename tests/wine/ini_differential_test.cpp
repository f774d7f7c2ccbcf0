// The portable store against the real private-profile services: seeded
// scenarios of writes and reads on files other writers prepared, run through
// both side by side; every read agrees, and each side reads the other's file
// back with the same values.
#include <gtest/gtest.h>

#include <sstream>

#include "AsciiText.h"
#include "IniFiles.h"
#include "IniScenario.h"
#include "PortableIniStore.h"
#include "TempDir.h"
#include "Win32ProfileStore.h"

namespace {

constexpr uint32_t kCases = 1000;

struct TDisagreement {
  uint32_t Seed;
  std::string What;
};

class TDifferentialRun {
public:
  // Runs one scenario; returns what disagreed, or an empty text.
  std::string Run(uint32_t seed) {
    const TIniScenario scenario = MakeIniScenario(seed);
    const std::string portablePath = Dir.File("p" + std::to_string(seed) + ".ini");
    const std::string platformPath = Dir.File("w" + std::to_string(seed) + ".ini");
    if (scenario.FileExists) {
      WriteFileBytes(portablePath, scenario.InitialContent);
      WriteFileBytes(platformPath, scenario.InitialContent);
    }
    TIniFile portable(Portable, portablePath), platform(Platform, platformPath);
    for (size_t i = 0; i < scenario.Ops.size(); ++i)
      if (std::string what = Apply(scenario.Ops[i], portable, platform); !what.empty())
        return "op " + std::to_string(i) + ": " + what;
    platform.FlushFile();
    return CompareFiles(portablePath, platformPath);
  }

private:
  static std::string Apply(const TIniOp &op, TIniFile &portable, TIniFile &platform) {
    std::ostringstream what;
    if (op.IsWrite) {
      portable.WriteText(op.Section, op.Key, op.Value);
      platform.WriteText(op.Section, op.Key, op.Value);
      return "";
    }
    const std::string a = portable.ReadText(op.Section, op.Key, op.Value);
    const std::string b = platform.ReadText(op.Section, op.Key, op.Value);
    if (a == b) return "";
    what << "read [" << op.Section << "] " << op.Key << ": portable '" << a << "', platform '" << b
         << "'";
    return what.str();
  }

  // `names` without later spellings of an earlier name: every store reads
  // them alike, and the scenarios' writes already mix the spellings.
  static std::vector<std::string> Distinct(const std::vector<std::string> &names) {
    std::vector<std::string> distinct;
    for (const auto &name : names) {
      bool seen = false;
      for (const auto &earlier : distinct)
        seen = seen || SameAsciiNoCase(earlier, name);
      if (!seen) distinct.push_back(name);
    }
    return distinct;
  }

  // Both files read through both stores give the same value for every name.
  std::string CompareFiles(const std::string &portablePath, const std::string &platformPath) {
    TIniFile readers[] = {{Portable, portablePath},
                          {Platform, portablePath},
                          {Portable, platformPath},
                          {Platform, platformPath}};
    for (const auto &section : ScenarioSections()) {
      for (const auto &key : ScenarioKeys()) {
        const std::string first = readers[0].ReadText(section, key, "<none>");
        for (size_t r = 1; r < std::size(readers); ++r) {
          const std::string other = readers[r].ReadText(section, key, "<none>");
          if (other != first)
            return "file read back [" + section + "] " + key + ": reader 0 '" + first +
                   "', reader " + std::to_string(r) + " '" + other + "'";
        }
      }
    }
    return "";
  }

  TTempDir Dir;
  TPortableIniStore Portable;
  TWin32ProfileStore Platform;
};

TEST(IniDifferential, PortableStoreAgreesWithThePlatform) {
  TDifferentialRun run;
  std::vector<TDisagreement> disagreements;
  for (uint32_t seed = 1; seed <= kCases; ++seed)
    if (std::string what = run.Run(seed); !what.empty()) disagreements.push_back({seed, what});
  for (size_t i = 0; i < disagreements.size() && i < 20; ++i)
    ADD_FAILURE() << "seed " << disagreements[i].Seed << ": " << disagreements[i].What;
  EXPECT_EQ(disagreements.size(), 0u) << "of " << kCases << " cases";
  RecordProperty("cases", static_cast<int>(kCases));
}

} // namespace
