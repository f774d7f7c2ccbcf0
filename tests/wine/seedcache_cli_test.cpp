// seedcache's command line under Wine: its help, and the one-line refusal
// (exit code 2) of every command line it does not understand, which must
// never touch the cache.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "PlugHostRun.h"

namespace {

size_t LineCount(const std::string &text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(SeedcacheCommandLine, HelpExplainsEveryCommandWhereverItIsAsked) {
  for (const char *arguments : {"--help", "-h", "enum --help", "seed 5 -h", "frobnicate --help"}) {
    SCOPED_TRACE(arguments);
    const TProgramRun run = RunProgram(std::string("seedcache.exe ") + arguments);
    EXPECT_EQ(run.ExitCode, 0u);
    for (const char *part :
         {"seedcache seed N [SEED]", "seedcache list", "seedcache enum", "--delete", "SELECTOR",
          "\"null\"", "same SEED", "seedcache empty", "seedcache add", "seedcache collide",
          "seedcache keyzero", "%XX", "Exit codes"})
      EXPECT_NE(run.Output.find(part), std::string::npos) << part << " in\n" << run.Output;
    EXPECT_EQ(run.Output.find("entries, deleted"), std::string::npos) << "enum did not run";
  }
}

struct TRefusal {
  const char *Arguments;
  const char *Named; // what the one line must name
};

TEST(SeedcacheCommandLine, RefusesWhatItDoesNotUnderstandInOneLine) {
  const TRefusal refusals[] = {
      {"", "no command given"},
      {"frobnicate", "unknown command 'frobnicate'"},
      {"Seed 5", "unknown command 'Seed'"},
      {"enum --bogus", "enum: unknown option '--bogus'"},
      {"enum --delete -x", "enum: unknown option '-x'"},
      {"seed", "seed: the count N is missing"},
      {"seed ten", "seed: N must be a whole number up to 10000000, not 'ten'"},
      {"seed 12abc", "not '12abc'"},
      {"seed -3", "not '-3'"},
      {"seed 20000000", "not '20000000'"},
      {"seed 5 x", "seed: SEED must be a whole number"},
      {"seed 5 4294967296", "not '4294967296'"},
      {"seed 5 1 2", "seed: unexpected argument '2'"},
      {"list all", "list: unexpected argument 'all'"},
      {"empty now", "empty: unexpected argument 'now'"},
      {"add", "add: no URL given"},
      {"add --size", "add: the size N is missing"},
      {"add --size big http://a/", "add: N must be a whole number"},
      {"collide", "collide: the count N is missing"},
      {"collide 500", "collide: N must be a whole number up to 128, not '500'"},
      {"collide 1 http://a/ b", "collide: unexpected argument 'b'"},
      {"keyzero", "keyzero: the count N is missing"},
      {"keyzero 65 http://!", "keyzero: N must be a whole number up to 64, not '65'"},
  };
  for (const TRefusal &refusal : refusals) {
    SCOPED_TRACE(refusal.Arguments);
    const TProgramRun run = RunProgram(std::string("seedcache.exe ") + refusal.Arguments);
    EXPECT_EQ(run.ExitCode, 2u);
    EXPECT_EQ(LineCount(run.Output), 1u) << run.Output;
    EXPECT_EQ(run.Output.rfind("seedcache: ", 0), 0u) << run.Output;
    EXPECT_NE(run.Output.find(refusal.Named), std::string::npos) << run.Output;
  }
}

} // namespace
