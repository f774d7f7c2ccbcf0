// Why the INI store cannot read a file, as the command line reports it
// before it trusts a section: the platform's answer, for the paths a typo, a
// folder or a file standing in for a folder make.
#include <gtest/gtest.h>

#include <filesystem>

#include "PortableIniStore.h"
#include "TempDir.h"

namespace {

TEST(ProfileFileProblem, NamesWhatKeepsTheStoreFromReading) {
  TTempDir dir;
  const std::string file = dir.File("norvane.ini");
  WriteFileBytes(file, "[IENorvane]\r\nDeleteCache=0\r\n");
  const std::string empty = dir.File("empty.ini");
  WriteFileBytes(empty, "");
  std::filesystem::create_directory(dir.File("folder.ini"));
  const struct {
    std::string Path;
    std::optional<std::string> Problem;
  } cases[] = {
      {file, std::nullopt},
      {empty, std::nullopt},
      {dir.File("typo.ini"), "does not exist"},
      {file + "/inner.ini", "does not exist"}, // a file where a folder should be
      {dir.File("no-folder") + "/x.ini", "does not exist"},
      {dir.File("folder.ini"), "is a folder"},
  };
  TPortableIniStore store;
  for (const auto &c : cases)
    EXPECT_EQ(store.FileProblem(c.Path.c_str()), c.Problem) << c.Path;
  EXPECT_EQ(ReadFileBytes(file), "[IENorvane]\r\nDeleteCache=0\r\n") << "asking changes nothing";
}

} // namespace
