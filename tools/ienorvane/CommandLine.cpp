#include "CommandLine.h"

#include <algorithm>
#include <string_view>

#include "IENorvaneU.h"
#include "NvVersion.h"

namespace {

TCliCommand CommandOf(const std::string &word) {
  if (word == "preview") return TCliCommand::Preview;
  if (word == "clean") return TCliCommand::Clean;
  if (word == "show") return TCliCommand::Show;
  if (word == "keep") return TCliCommand::Keep;
  if (word.starts_with("-")) throw ECliUsageError("unknown option '" + word + "'");
  throw ECliUsageError("unknown command '" + word + "'");
}

TCategory CategoryOf(const std::string &word) {
  for (const TCategoryFields &fields : Categories())
    if (word == fields.Name) return fields.Category;
  throw ECliUsageError("unknown category '" + word + "' (cache, cookies or history)");
}

bool IsFlag(const std::string &name) {
  return name == "--json" || name == "--list" || name == "--defaults" || name == "--wipe";
}

bool TakesValue(const std::string &name) {
  return name == "--ini" || name == "--section" || name == "--category";
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
      if (IsFlag(name)) {
        if (equals != std::string::npos) throw ECliUsageError(name + " takes no value");
        SetFlag(name);
        continue;
      }
      if (!name.starts_with("-")) {
        Positional(argument);
        continue;
      }
      if (!TakesValue(name)) throw ECliUsageError("unknown option '" + name + "'");
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
  // A word that is not an option: keep's action, then its site names.
  void Positional(const std::string &word) {
    const bool keeps = Options.Command == TCliCommand::Keep;
    if (keeps && !ActionGiven && Options.Sites.empty() && (word == "add" || word == "remove")) {
      Options.KeepAction = word == "add" ? TKeepAction::Add : TKeepAction::Remove;
      ActionGiven = true;
      return;
    }
    if (!ActionGiven) throw ECliUsageError("unexpected argument '" + word + "'");
    Options.Sites.push_back(word);
  }

  void SetFlag(const std::string &name) {
    Once(name);
    if (name == "--json")
      Options.Json = true;
    else if (name == "--list")
      Options.List = true;
    else if (name == "--wipe")
      Options.Wipe = true;
    else
      Options.Defaults = true;
  }

  void Assign(const std::string &name, const std::string &value) {
    Once(name);
    if (name == "--ini")
      Options.IniFile = value;
    else if (name == "--section")
      Options.Section = value;
    else
      Options.Category = CategoryOf(value);
  }

  void Once(const std::string &name) {
    if (WasGiven(name)) throw ECliUsageError(name + " is given twice");
    Seen.push_back(name);
  }

  const std::vector<std::string> &Arguments;
  TCliOptions &Options;
  std::vector<std::string> Seen;
  bool ActionGiven = false; // keep: "add" or "remove" was read
};

void CheckOptionsFit(const TOptionReader &reader, const TCliOptions &options) {
  if (!reader.WasGiven("--ini")) throw ECliUsageError("--ini FILE is required");
  if (!reader.WasGiven("--section")) throw ECliUsageError("--section NAME is required");
  if (options.Category && options.Command != TCliCommand::Preview)
    throw ECliUsageError("--category is an option of preview only");
  const bool walks =
      options.Command == TCliCommand::Preview || options.Command == TCliCommand::Clean;
  if (options.List && !walks) throw ECliUsageError("--list is an option of preview and clean only");
  if (options.Wipe && options.Command != TCliCommand::Clean)
    throw ECliUsageError("--wipe is an option of clean only");
  if (options.Command == TCliCommand::Keep && options.KeepAction != TKeepAction::List &&
      options.Sites.empty())
    throw ECliUsageError(std::string("keep ") +
                         (options.KeepAction == TKeepAction::Add ? "add" : "remove") +
                         " needs one or more site names");
}

bool Contains(const std::vector<std::string> &arguments, const char *word) {
  return std::find(arguments.begin(), arguments.end(), word) != arguments.end();
}

} // namespace

const char *CategoryName(TCategory category) { return FieldsOf(category).Name; }

TCliOptions ParseCommandLine(const std::vector<std::string> &arguments) {
  TCliOptions options;
  if (Contains(arguments, "--help") || Contains(arguments, "-h")) return options;
  if (Contains(arguments, "--version")) {
    options.Command = TCliCommand::Version;
    return options;
  }
  if (arguments.empty()) throw ECliUsageError("no command given");
  options.Command = CommandOf(arguments.front());
  TOptionReader reader(arguments, options);
  reader.Read(1);
  CheckOptionsFit(reader, options);
  return options;
}

std::string VersionText() { return std::string("ienorvane ") + NV_VERSION_STRING; }

std::string UsageText() {
  return "usage: ienorvane preview --ini FILE --section NAME [--category CATEGORY] [--list]\n"
         "                         [--json] [--defaults]\n"
         "       ienorvane clean   --ini FILE --section NAME [--list] [--json] [--defaults]\n"
         "                         [--wipe]\n"
         "       ienorvane show    --ini FILE --section NAME [--json] [--defaults]\n"
         "       ienorvane keep    [add NAME... | remove NAME...] --ini FILE --section NAME\n"
         "                         [--json] [--defaults]\n"
         "       ienorvane -h | --help\n"
         "       ienorvane --version\n"
         "\n"
         "Runs the IE Norvane plug-in's settings, cache walk and clean without its host.\n"
         "The nine settings are read from section NAME of the INI file FILE, as the\n"
         "plug-in reads them (a FILE without a folder lies in the Windows directory).\n"
         "\n"
         "Commands:\n"
         "  preview  lists the URL cache entries a clean would delete, per category\n"
         "           (size, URL, local file), with each category's count and bytes and\n"
         "           the total; deletes nothing.\n"
         "  clean    deletes exactly the entries a preview lists, then empties the\n"
         "           browser's history store when history is on. Prints what was\n"
         "           deleted, every entry that could not be deleted and why (in use by\n"
         "           a running browser, no longer addressable, refused), the history\n"
         "           store's answer, and the plug-in's report text.\n"
         "  show     prints the nine settings as loaded (and KeepSites and\n"
         "           DeleteCacheHttps and WipeTraces when set) and the plug-in's\n"
         "           summary line.\n"
         "  keep     lists the sites to keep (KeepSites): no clean deletes the cache\n"
         "           entries, cookies or history of a kept site or its subdomains.\n"
         "           'keep add NAME...' and 'keep remove NAME...' change the list and\n"
         "           save it to the section, leaving every other key as it is.\n"
         "\n"
         "Preview and clean count, per category, the entries the sites to keep hold\n"
         "back. With DeleteCacheHttps=1 the cache category sweeps https:// entries\n"
         "too; otherwise the cache's part says how many entries of other schemes\n"
         "(https, ftp, ...) it passes over.\n"
         "\n"
         "Before anything is walked or deleted, every mask a clean would use (category\n"
         "on, type 1) and the keep list are checked; each malformed mask is named with\n"
         "its category, pattern and position, a malformed keep list with its item, and\n"
         "nothing is deleted.\n"
         "\n"
         "Options:\n"
         "  --ini FILE           the host's INI file (required)\n"
         "  --section NAME       the plug-in's section in it (required)\n"
         "  --category CATEGORY  preview: list only cache, cookies or history\n"
         "  --list               on a terminal, list every entry too (piped output and\n"
         "                       --json always list them; a terminal gets the counts)\n"
         "  --json               print one JSON document (UTF-8) instead of text\n"
         "  --defaults           when FILE is missing or unreadable, or the section holds\n"
         "                       none of the settings, use the plug-in's defaults (every\n"
         "                       category on, every entry) instead of failing\n"
         "  --wipe               clean: wipe the traces of what is deleted for this run\n"
         "                       (as WipeTraces=1): overwrite the index records the\n"
         "                       cache keeps of deleted entries and the bytes of their\n"
         "                       files; the settings are not changed\n"
         "  -h, --help           print this text\n"
         "  --version            print the program's version\n"
         "Options take their value as the next argument or after '=' (--ini=FILE).\n"
         "On a terminal, standard error shows the progress of long walks and deletes.\n"
         "\n"
         "Exit codes:\n"
         "  0  done: every selected entry deleted, the history store emptied\n"
         "  1  an unexpected failure, or the output could not be written\n"
         "  2  a bad command line (one line on standard error names the problem)\n"
         "  3  a malformed mask, keep list or site name; nothing was deleted or saved\n"
         "  4  a partial clean: some selected entries could not be deleted, or the\n"
         "     history store was not emptied (the output says which)\n"
         "  5  no settings: FILE is missing, is a folder or cannot be read, or the\n"
         "     section holds none of the settings; nothing was deleted (give\n"
         "     --defaults to use the plug-in's defaults)\n"
         "  6  this system has no URL cache (preview and clean need Windows or Wine)\n";
}
