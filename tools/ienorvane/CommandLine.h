#pragma once
// The command line of ienorvane: which command, on which INI section, and how
// to print the result.
#include <optional>
#include <string>
#include <vector>

#include "CacheWalk.h"
#include "SysUtils.h"

// The program's exit codes, documented in UsageText.
enum TExitCode : int {
  kExitOk = 0,            // the command did all its work
  kExitFailure = 1,       // an unexpected failure, or the output could not be written
  kExitUsage = 2,         // a bad command line
  kExitMalformedMask = 3, // a mask a clean would use, the keep list or a site name is malformed;
                          // nothing was deleted or saved
  kExitPartial = 4,       // a clean left selected entries, or the history store was not emptied
  kExitNoSettings = 5,    // the INI file or the section holds no settings (and no --defaults)
  kExitNoUrlCache = 6,    // this system has no URL cache to preview or clean
};

// The commands of the program.
enum class TCliCommand { Preview, Clean, Show, Keep, Help, Version };

// What the keep command does with the sites to keep.
enum class TKeepAction { List, Add, Remove };

// A command line that names no command, an unknown command or option, an
// option without its value or given twice, or an option the command does not
// take. The message names the problem in a few words.
class ECliUsageError : public Exception {
public:
  using Exception::Exception;
};

// A parsed command line. IniFile and Section are set for preview, clean and
// show; Category only for preview.
struct TCliOptions {
  TCliCommand Command = TCliCommand::Help;
  std::string IniFile;
  std::string Section;
  std::optional<TCategory> Category;          // preview: the one category to list
  bool Json = false;                          // one JSON document on stdout instead of text
  bool List = false;                          // entry rows on a terminal too
  bool Defaults = false;                      // no settings stored: use the plug-in's defaults
  bool Wipe = false;                          // clean: WipeTraces on for this run
  TKeepAction KeepAction = TKeepAction::List; // keep: list, add or remove
  std::vector<std::string> Sites;             // keep add and remove: the names, as given
};

// Parses the arguments after the program name. "-h" or "--help" anywhere
// gives Help, else "--version" anywhere gives Version. Options take their
// value as the next argument or after "=". "keep" may be followed by "add"
// or "remove" and one or more site names. Raises ECliUsageError for
// anything else that is not a valid command line.
TCliOptions ParseCommandLine(const std::vector<std::string> &arguments);

// The help text printed by -h and --help: commands, options, exit codes.
// Ends with a line break.
std::string UsageText();

// "ienorvane <version>", the release's version (NvVersion.h).
std::string VersionText();

// "cache", "cookies" or "history": the category's name on the command line
// and in the output.
const char *CategoryName(TCategory category);
