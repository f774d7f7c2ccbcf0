#pragma once
// Runs ienorvane's commands in-process over the stand-in services: an
// in-memory URL cache seeded with a known mix of entries, the portable INI
// store on a file of the test's own, and a recording history store.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Commands.h"
#include "JsonValue.h"
#include "MemoryUrlCache.h"
#include "PortableIniStore.h"
#include "RecordingHistoryStore.h"
#include "StandInPlatform.h"
#include "TempDir.h"

// One seeded entry, as a test expects to see it listed.
struct TCliSeed {
  std::string Url;
  std::string File; // empty: the entry has no local file
  uint64_t Size;
};

// The entries every test starts with, in enumeration order. Entries without
// a '.' in them escape the type-0 mask "*.*".
inline const std::vector<TCliSeed> &CliStandardSeeds() {
  static const std::vector<TCliSeed> seeds = {
      {"http://www.example.com/index.html", "C:\\cache\\A1\\index[1].html", 1200},
      {"Cookie:admin@example.com/", "", 0},
      {"http://www.example.com/style.css", "C:\\cache\\A1\\style[1].css", 300},
      {"Visited:admin@http://www.example.com/index.html", "", 0},
      {"http://news.site.org/app.js", "C:\\cache\\B2\\app[1].js", 4500},
      {"Cookie:admin@news.site.org/", "", 0},
      {"http://localhost/", "C:\\cache\\B2\\default[1]", 10},
      {"Cookie:admin@localhost/", "", 0},
      {"HTTP://UPPER.EXAMPLE.NET/X", "C:\\cache\\C3\\X[1]", 7},
      {"Visited:admin@http://news.site.org/", "", 0},
      {"Visited:admin@localhost", "", 0},
  };
  return seeds;
}

// What one run of the program gave.
struct TCliRun {
  int Code = -1;
  std::string Out, Err;
  // The standard output parsed as one JSON document.
  TJsonValue Json() const { return TJsonValue::Parse(Out); }
};

// What kind of device each output stream is, for one run.
struct TCliDevices {
  bool OutIsTerminal = false;
  bool ErrIsTerminal = false;
  size_t Width = 80;
};
inline constexpr TCliDevices kPipes{};
inline constexpr TCliDevices kTerminal{true, true, 80};

class CliTest : public ::testing::Test {
protected:
  void SetUp() override { Seed(CliStandardSeeds()); }

  void Seed(const std::vector<TCliSeed> &seeds) {
    for (const TCliSeed &seed : seeds) {
      std::optional<std::string> file;
      if (!seed.File.empty()) file = seed.File;
      Cache.Add(seed.Url, file, seed.Size);
    }
  }

  // Writes the settings file: a host section first, then [IENorvane] with
  // `lines`, CR LF line ends.
  void WriteSettings(const std::vector<std::string> &lines) {
    std::string text = "[Host]\r\nLanguage=en\r\n[IENorvane]\r\n";
    for (const std::string &line : lines)
      text += line + "\r\n";
    WriteFileBytes(Ini(), text);
  }

  std::string Ini() const { return Dir.File("norvane.ini"); }

  // Runs `arguments` over `platform` (this test's stand-in unless given).
  TCliRun Run(std::vector<std::string> arguments, TCliDevices devices = kPipes,
              IPlatform *platform = nullptr) {
    std::ostringstream out, err;
    TCliRun run;
    const TCliStreams streams{out, err, devices.OutIsTerminal, devices.ErrIsTerminal,
                              devices.Width};
    run.Code = RunCli(arguments, platform ? *platform : Platform, streams);
    run.Out = out.str();
    run.Err = err.str();
    return run;
  }

  // `command` on this test's settings file and section, plus `extra`.
  TCliRun RunOnSettings(const std::string &command, std::vector<std::string> extra = {},
                        TCliDevices devices = kPipes) {
    std::vector<std::string> arguments = {command, "--ini", Ini(), "--section", "IENorvane"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return Run(arguments, devices);
  }

  TTempDir Dir;
  TStandInPlatform Platform;
  TMemoryUrlCache &Cache = Platform.Cache;
  TRecordingHistoryStore &History = Platform.HistoryStore;
};
