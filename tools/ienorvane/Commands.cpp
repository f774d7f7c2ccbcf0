#include "Commands.h"

#include <exception>

#include "CommandLine.h"
#include "HistoryStore.h"
#include "IENorvaneU.h"
#include "IniProbe.h"
#include "JsonWriter.h"
#include "ObservedPlatform.h"
#include "Preview.h"
#include "Progress.h"
#include "Reports.h"

namespace {

const char *CommandName(TCliCommand command) {
  switch (command) {
  case TCliCommand::Preview: return "preview";
  case TCliCommand::Clean: return "clean";
  case TCliCommand::Show: return "show";
  case TCliCommand::Help: return "help";
  }
  return "?";
}

// One run of a command: the cleaner over the observed cache, the options and
// the streams.
class TCommandRun {
public:
  TCommandRun(const TCliOptions &options, IPlatform &platform, const TCliStreams &streams)
      : Options(options), Streams(streams), Observed(platform), Cleaner(Observed),
        Progress(streams.Err, streams.ErrIsTerminal && !options.Json, ProgressWhat(options)) {
    Observed.OnDelivered([this](uint64_t delivered) { Progress.Update(delivered); });
    NoteSettingsSource();
    Cleaner.LoadSettings(Options.IniFile, Options.Section);
  }

  int Run() {
    switch (Options.Command) {
    case TCliCommand::Preview: return Preview();
    case TCliCommand::Clean: return Clean();
    case TCliCommand::Show: return Show();
    case TCliCommand::Help: break;
    }
    return kExitFailure;
  }

private:
  static std::string ProgressWhat(const TCliOptions &options) {
    return options.Command == TCliCommand::Clean ? "cleaning" : "previewing";
  }

  TJsonWriter::TAnsiToUtf8 AnsiText() const {
    return [this](std::string_view ansi) { return Observed.AnsiToUtf8(ansi); };
  }

  void Note(const std::string &text) { Streams.Err << "ienorvane: " << text << '\n'; }

  void NoteSettingsSource() {
    const std::string file = "INI file '" + Options.IniFile + "'";
    if (auto problem = IniFileProblem(Observed, Options.IniFile)) {
      Note(file + " " + *problem + "; the default settings apply");
    } else if (SectionHoldsNoSettings(Observed.Profiles(), Options.IniFile, Options.Section)) {
      Note("section [" + Options.Section + "] of " + file +
           " holds none of the settings; the default settings apply");
    }
  }

  // Opens the JSON document with the members every command shares.
  void BeginJson(TJsonWriter &json) {
    json.BeginObject();
    json.Key("command");
    json.String(CommandName(Options.Command));
    json.Key("ini");
    json.Ansi(Options.IniFile);
    json.Key("section");
    json.Ansi(Options.Section);
  }

  int Preview() {
    TListing listing;
    try {
      listing = PreviewClean(Cleaner, Observed, Options.Category);
    } catch (const EMaskFault &failure) {
      Progress.Erase();
      return MaskFault(failure.Fault, nullptr);
    }
    Progress.Erase();
    // A clean empties the history store as a whole whenever history is on,
    // whatever its type: the preview says so, as it cannot list it.
    const bool historyStoreToBeCleared =
        Cleaner.DeleteHistory && (!Options.Category || *Options.Category == TCategory::History);
    if (Options.Json) {
      TJsonWriter json(Streams.Out, AnsiText());
      BeginJson(json);
      WriteListingJson(json, listing);
      json.Key("historyStoreToBeCleared");
      json.Bool(historyStoreToBeCleared);
      json.EndObject();
      Streams.Out << '\n';
    } else {
      WriteListingText(Streams.Out, listing, "");
      if (historyStoreToBeCleared) Streams.Out << "history store: to be emptied by a clean\n";
    }
    return kExitOk;
  }

  int Clean() {
    TCleanTotals totals;
    try {
      totals =
          Cleaner.Clean([this](TCategory category, const TCacheEntryView &entry,
                               TDeleteResult result) { Deleted.Record(category, entry, result); });
    } catch (const EMaskException &failure) {
      Progress.Erase();
      return CleanMaskFault(failure);
    } catch (const EOleSysError &failure) {
      // The sweeps are done; only the history store failed.
      Progress.Erase();
      return HistoryStoreFault(failure);
    } catch (const EIntfCastError &failure) {
      Progress.Erase();
      return HistoryStoreFault(failure);
    }
    Progress.Erase();
    const TListing deleted = Deleted.Listing(Cleaner);
    const std::string report = totals.ReportText();
    if (Options.Json) {
      TJsonWriter json(Streams.Out, AnsiText());
      BeginCleanJson(json, deleted, Cleaner.DeleteHistory);
      json.Key("report");
      json.String(report);
      json.EndObject();
      Streams.Out << '\n';
    } else {
      WriteCleanText(deleted, Cleaner.DeleteHistory);
      Streams.Out << report << '\n';
    }
    return kExitOk;
  }

  void BeginCleanJson(TJsonWriter &json, const TListing &deleted, bool historyStoreCleared) {
    BeginJson(json);
    WriteListingJson(json, deleted);
    json.Key("historyStoreCleared");
    json.Bool(historyStoreCleared);
  }

  void WriteCleanText(const TListing &deleted, bool historyStoreCleared) {
    WriteListingText(Streams.Out, deleted, "deleted");
    if (historyStoreCleared) Streams.Out << "history store: emptied\n";
  }

  // A malformed mask stopped the clean in the category whose walk ran last;
  // what was deleted before it is reported too.
  int CleanMaskFault(const EMaskException &failure) {
    const TListing deleted = Deleted.Listing(Cleaner);
    return MaskFault(MaskFaultOf(failure), &deleted);
  }

  // Reports a malformed mask; `deleted` is what a clean deleted before it.
  int MaskFault(const TMaskFault &fault, const TListing *deleted) {
    Note(MaskFaultText(fault));
    if (Options.Json) {
      TJsonWriter json(Streams.Out, AnsiText());
      if (deleted)
        BeginCleanJson(json, *deleted, false);
      else
        BeginJson(json);
      WriteMaskFaultJson(json, fault);
      json.EndObject();
      Streams.Out << '\n';
    } else if (deleted) {
      Streams.Out << "the clean stopped at a malformed mask; deleted before it:\n";
      WriteListingText(Streams.Out, *deleted, "deleted");
    }
    return kExitMalformedMask;
  }

  int HistoryStoreFault(const Exception &failure) {
    Note("the history store could not be emptied: " + failure.Message());
    const TListing deleted = Deleted.Listing(Cleaner);
    if (Options.Json) {
      TJsonWriter json(Streams.Out, AnsiText());
      BeginCleanJson(json, deleted, false);
      json.Key("error");
      json.BeginObject();
      json.Key("kind");
      json.String("history-store");
      json.Key("message");
      json.Ansi(failure.Message());
      json.EndObject();
      json.EndObject();
      Streams.Out << '\n';
    } else {
      WriteCleanText(deleted, false);
    }
    return kExitHistoryStore;
  }

  int Show() {
    WriteSettingsText(Streams.Out, Cleaner);
    return kExitOk;
  }

  const TCliOptions &Options;
  const TCliStreams &Streams;
  TObservedPlatform Observed;
  TIENorvane Cleaner;
  TDeletedEntries Deleted;
  TProgressLine Progress;
};

int RunParsed(const TCliOptions &options, IPlatform &platform, const TCliStreams &streams) {
  if (options.Command == TCliCommand::Help) {
    streams.Out << UsageText();
    return kExitOk;
  }
  TCommandRun run(options, platform, streams);
  return run.Run();
}

} // namespace

int RunCli(const std::vector<std::string> &arguments, IPlatform &platform,
           const TCliStreams &streams) {
  int code = kExitFailure;
  try {
    code = RunParsed(ParseCommandLine(arguments), platform, streams);
  } catch (const ECliUsageError &failure) {
    streams.Err << "ienorvane: " << failure.what() << '\n' << UsageText();
    return kExitUsage;
  } catch (const std::exception &failure) {
    streams.Err << "ienorvane: " << failure.what() << '\n';
    return kExitFailure;
  }
  streams.Out.flush();
  if (!streams.Out) {
    streams.Err << "ienorvane: the output could not be written\n";
    return kExitFailure;
  }
  return code;
}
