#include "CommandLine.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr TCategory kCategories[] = {TCategory::Cache, TCategory::Cookies, TCategory::History};

TCliCommand CommandOf(const std::string &word) {
  if (word == "preview") return TCliCommand::Preview;
  if (word == "clean") return TCliCommand::Clean;
  if (word == "show") return TCliCommand::Show;
  throw ECliUsageError("unknown command '" + word + "'");
}

TCategory CategoryOf(const std::string &word) {
  for (TCategory category : kCategories)
    if (word == CategoryName(category)) return category;
  throw ECliUsageError("unknown category '" + word + "' (cache, cookies or history)");
}

// Reads the command line's options one by one, each at most once.
class TOptionReader {
public:
  TOptionReader(const std::vector<std::string> &arguments, TCliOptions &options)
      : Arguments(arguments), Options(options) {}

  void Read(size_t first) {
    for (size_t index = first; index < Arguments.size(); ++index) {
      const std::string &argument = Arguments[index];
      const size_t equals = argument.find('=');
      const std::string name = argument.substr(0, equals);
      if (!IsOption(name)) throw ECliUsageError("unknown option '" + name + "'");
      if (name == "--json") {
        if (equals != std::string::npos) throw ECliUsageError("--json takes no value");
        Once(name);
        Options.Json = true;
        continue;
      }
      std::string value;
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
      } else {
        if (index + 1 >= Arguments.size() || Arguments[index + 1].starts_with("--"))
          throw ECliUsageError(name + " needs a value");
        value = Arguments[++index];
      }
      Assign(name, value);
    }
  }

  bool WasGiven(std::string_view name) const {
    return std::find(Seen.begin(), Seen.end(), name) != Seen.end();
  }

private:
  void Assign(const std::string &name, const std::string &value) {
    Once(name);
    if (name == "--ini")
      Options.IniFile = value;
    else if (name == "--section")
      Options.Section = value;
    else
      Options.Category = CategoryOf(value);
  }

  static bool IsOption(const std::string &name) {
    return name == "--ini" || name == "--section" || name == "--category" || name == "--json";
  }

  void Once(const std::string &name) {
    if (std::find(Seen.begin(), Seen.end(), name) != Seen.end())
      throw ECliUsageError(name + " is given twice");
    Seen.push_back(name);
  }

  const std::vector<std::string> &Arguments;
  TCliOptions &Options;
  std::vector<std::string> Seen;
};

void CheckOptionsFit(const TOptionReader &reader, const TCliOptions &options) {
  if (!reader.WasGiven("--ini")) throw ECliUsageError("--ini FILE is required");
  if (!reader.WasGiven("--section")) throw ECliUsageError("--section NAME is required");
  if (options.Category && options.Command != TCliCommand::Preview)
    throw ECliUsageError("--category is an option of preview only");
  if (options.Json && options.Command == TCliCommand::Show)
    throw ECliUsageError("--json is an option of preview and clean only");
}

} // namespace

const char *CategoryName(TCategory category) {
  switch (category) {
  case TCategory::Cache: return "cache";
  case TCategory::Cookies: return "cookies";
  case TCategory::History: return "history";
  }
  return "?";
}

TCliOptions ParseCommandLine(const std::vector<std::string> &arguments) {
  TCliOptions options;
  if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) return options;
  if (arguments.empty()) throw ECliUsageError("no command given");
  options.Command = CommandOf(arguments.front());
  TOptionReader reader(arguments, options);
  reader.Read(1);
  CheckOptionsFit(reader, options);
  return options;
}

std::string UsageText() {
  return "usage: ienorvane preview --ini FILE --section NAME [--category cache|cookies|history] "
         "[--json]\n"
         "       ienorvane clean   --ini FILE --section NAME [--json]\n"
         "       ienorvane show    --ini FILE --section NAME\n"
         "       ienorvane --help\n"
         "\n"
         "Reads the IE Norvane settings from section NAME of the INI file FILE, as the\n"
         "plug-in's clean does (a missing file or section gives the defaults: every\n"
         "category on, every entry).\n"
         "  preview  lists the URL cache entries a clean would delete (URL, local file,\n"
         "           size) with the count and bytes per category and in total; deletes\n"
         "           nothing. --category lists one category only.\n"
         "  clean    runs the plug-in's clean: deletes those entries, empties the history\n"
         "           store when history is on, and prints what was deleted, the totals\n"
         "           and the plug-in's report text.\n"
         "  show     prints the nine settings as loaded and the plug-in's summary line.\n"
         "  --json   prints one JSON document on standard output instead of text.\n"
         "\n"
         "Exit codes:\n"
         "  0  done\n"
         "  1  an unexpected failure, or the output could not be written\n"
         "  2  a bad command line (this text is printed)\n"
         "  3  a malformed mask: the message names the category, the pattern and the\n"
         "     position (a clean stops there; what it deleted before stays deleted)\n"
         "  4  the browser's history store could not be emptied\n";
}
