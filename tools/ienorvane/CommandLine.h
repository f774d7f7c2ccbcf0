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
  kExitOk = 0,            // the command did its work
  kExitFailure = 1,       // an unexpected failure, or the output could not be written
  kExitUsage = 2,         // a bad command line; the usage was printed
  kExitMalformedMask = 3, // a mask the command had to use is malformed
  kExitHistoryStore = 4,  // the browser's history store could not be emptied
};

// The commands of the program.
enum class TCliCommand { Preview, Clean, Show, Help };

// A command line that names no command, an unknown command or option, an
// option without its value or given twice, or an option the command does not
// take. The message says which.
class ECliUsageError : public Exception {
public:
  using Exception::Exception;
};

// A parsed command line. IniFile and Section are set for every command but
// Help; Category only for preview.
struct TCliOptions {
  TCliCommand Command = TCliCommand::Help;
  std::string IniFile;
  std::string Section;
  std::optional<TCategory> Category; // preview: the one category to list
  bool Json = false;                 // preview, clean: one JSON document on stdout
};

// Parses the arguments after the program name. "--help" anywhere gives the
// Help command. Options take their value as the next argument or after "=".
// Raises ECliUsageError for anything else that is not a valid command line.
TCliOptions ParseCommandLine(const std::vector<std::string> &arguments);

// The usage text printed by --help and after a usage error, exit codes
// included. Ends with a line break.
std::string UsageText();

// "cache", "cookies" or "history": the category's name on the command line
// and in the output.
const char *CategoryName(TCategory category);
