#include "Commands.h"

#include <exception>
#include <sstream>

#include "CommandLine.h"
#include "HistoryStore.h"
#include "IENorvaneU.h"
#include "IniFiles.h"
#include "JsonWriter.h"
#include "ObservedPlatform.h"
#include "Preview.h"
#include "Progress.h"
#include "Reports.h"
#include "SettingsSource.h"
#include "TextFormat.h"
#include "WipeReport.h"

namespace {

const char *CommandName(TCliCommand command) {
  switch (command) {
  case TCliCommand::Preview: return "preview";
  case TCliCommand::Clean: return "clean";
  case TCliCommand::Show: return "show";
  case TCliCommand::Keep: return "keep";
  case TCliCommand::Help: return "help";
  case TCliCommand::Version: return "version";
  }
  return "?";
}

// Writes a block of output with one call, so that a slow device (a console
// under Wine) gets few large writes instead of one per line.
void WriteBlock(std::ostream &stream, const std::ostringstream &block) {
  const std::string text = block.str();
  if (!text.empty()) stream.write(text.data(), static_cast<std::streamsize>(text.size()));
  stream.flush();
}

// One run of preview, clean or show: the cleaner over the observed platform,
// the options, and the text gathered for standard output and standard error.
class TCommandRun {
public:
  TCommandRun(const TCliOptions &options, IPlatform &platform, const TCliStreams &streams)
      : Options(options), Streams(streams), Observed(platform), Cleaner(Observed),
        Progress(streams.Err, streams.ErrIsTerminal && !options.Json) {
    Observed.OnDelivered([this](uint64_t delivered) { Progress.LookedAt(delivered); });
  }

  // Runs the command; its output is gathered until Finish.
  int Run() {
    const bool walks = Options.Command != TCliCommand::Show;
    if (walks && !Observed.HasUrlCache())
      return Refuse("no-url-cache", "this system has no URL cache", kExitNoUrlCache);
    if (!LoadSettings()) return kExitNoSettings;
    NotePlatformCaveat();
    Faults = Cleaner.MalformedMasks();
    KeepFault = TKeepSites::Validate(Cleaner.Settings.KeepSites);
    switch (Options.Command) {
    case TCliCommand::Preview: return Faults.empty() && !KeepFault ? Preview() : Malformed();
    case TCliCommand::Clean: return Faults.empty() && !KeepFault ? Clean() : Malformed();
    case TCliCommand::Show: return Show();
    case TCliCommand::Keep: return Keep();
    case TCliCommand::Help:
    case TCliCommand::Version: break;
    }
    return kExitFailure;
  }

  // Erases the progress line and writes what the command gathered.
  void Finish() {
    Progress.Erase();
    WriteBlock(Streams.Out, Text);
    WriteBlock(Streams.Err, Notes);
  }

private:
  TJsonWriter::TAnsiToUtf8 AnsiText() const {
    return [this](std::string_view ansi) { return Observed.AnsiToUtf8(ansi); };
  }

  void Note(const std::string &text) { Notes << "ienorvane: " << text << '\n'; }

  // What the platform leaves alone, for the commands that walk or show it.
  void NotePlatformCaveat() {
    if (Options.Command == TCliCommand::Keep) return;
    if (const std::string caveat = Observed.Identity().Caveat; !caveat.empty()) Note(caveat);
  }

  TTextLayout Layout() const {
    TTextLayout layout;
    layout.Rows = !Streams.OutIsTerminal || Options.List;
    if (Streams.OutIsTerminal && Streams.TerminalWidth > 1)
      layout.Width = Streams.TerminalWidth - 1;
    layout.LeadBytes = Observed.LeadBytes();
    return layout;
  }

  // Loads the settings from the section, or the defaults when the section
  // cannot supply them and --defaults allows it. False when it cannot.
  bool LoadSettings() {
    if (auto problem = SettingsProblem(Observed, Options.IniFile, Options.Section)) {
      if (!Options.Defaults) {
        Refuse("no-settings", *problem + "; give --defaults to use the plug-in's defaults",
               kExitNoSettings);
        return false;
      }
      Note(*problem + "; the plug-in's defaults apply");
      Origin = {true, *problem};
      Observed.HideStoredSettings();
    }
    Cleaner.LoadSettings(Options.IniFile, Options.Section);
    if (Options.Wipe) Cleaner.Settings.WipeTraces = true;
    return true;
  }

  // Opens the JSON document with the members every command shares.
  void BeginJson(TJsonWriter &json, bool withSettings = true) {
    json.BeginObject();
    json.Key("command");
    json.String(CommandName(Options.Command));
    json.Key("ini");
    json.Ansi(Options.IniFile);
    json.Key("section");
    json.Ansi(Options.Section);
    if (withSettings) WriteSettingsJson(json, Cleaner.Settings, Origin);
  }

  void EndJson(TJsonWriter &json) {
    json.EndObject();
    Text << '\n';
  }

  // Fails the command before any work with one note, and in JSON with an
  // error of `kind`.
  int Refuse(const char *kind, const std::string &message, int code) {
    Note(message);
    if (Options.Json) {
      TJsonWriter json(Text, AnsiText());
      BeginJson(json, false);
      json.Key("error");
      json.BeginObject();
      json.Key("kind");
      json.String(kind);
      json.Key("message");
      json.Ansi(message);
      json.EndObject();
      EndJson(json);
    }
    return code;
  }

  void NoteMaskFaults() {
    for (const TMaskFault &fault : Faults)
      Note(MaskFaultText(fault));
  }

  // A malformed mask the walk met after all (the masks are checked first).
  int MaskFaultMet(const TMaskFault &fault) {
    Faults = {fault};
    return MaskFaults();
  }

  int MaskFaults() { return Malformed(); }

  // Malformed masks or a malformed keep list: named, and nothing done.
  int Malformed() {
    NoteMaskFaults();
    if (KeepFault) Note(KeepFaultText(*KeepFault));
    if (Options.Command == TCliCommand::Clean) Note("nothing was deleted");
    if (Options.Json) {
      TJsonWriter json(Text, AnsiText());
      BeginJson(json);
      if (!Faults.empty())
        WriteMaskFaultsJson(json, Faults);
      else
        WriteKeepFaultJson(json, *KeepFault);
      EndJson(json);
    }
    return kExitMalformedMask;
  }

  // Whether the preview's categories include the one whose clean empties
  // the history store.
  bool HistoryStoreInScope() const {
    return Cleaner.EmptiesHistoryStore() &&
           (!Options.Category || *Options.Category == TCategory::History);
  }

  // What a clean will do to the history store.
  std::string HistoryStorePlan() const {
    if (Cleaner.Settings.DeleteHistoryType == TSweepType::ByMask)
      return "history store: a clean forgets the URLs of the visits it deletes, and no other";
    if (Cleaner.Settings.KeepSites.empty()) return "history store: to be emptied by a clean";
    return "history store: to be emptied by a clean, except the kept sites' URLs";
  }

  int Preview() {
    const TSelection selection = Cleaner.Select(Options.Category);
    if (selection.Fault) return MaskFaultMet(*selection.Fault);
    TListing listing = PreviewListing(Cleaner, selection, Options.Category);
    NoteOtherSchemes(listing, Cleaner, selection);
    if (Options.Json) {
      TJsonWriter json(Text, AnsiText());
      BeginJson(json);
      WriteListingJson(json, listing, false);
      json.Key("historyStoreToBeCleared");
      json.Bool(HistoryStoreInScope());
      EndJson(json);
    } else {
      WritePreviewText(Text, listing, Layout());
      if (HistoryStoreInScope()) Text << HistoryStorePlan() << '\n';
    }
    return kExitOk;
  }

  // The cleaner's clean, step by step as the plug-in's: the selection and
  // its deletes in one walk, showing the progress, then the history store.
  int Clean() {
    TCleanListing deletes(Cleaner);
    const TCleanRun run = Cleaner.SelectAndDelete(
        [&](TCategory category, const TCacheEntryView &entry, TDeleteResult result) {
          deletes.Deleted(category, entry, result);
          if (result == TDeleteResult::Deleted) Progress.Deleted();
        });
    if (run.Selection.Fault) return MaskFaultMet(*run.Selection.Fault);
    TListing done = std::move(deletes).Done(run);
    NoteOtherSchemes(done, Cleaner, run.Selection);
    const std::optional<THistoryOutcome> history = EmptyHistoryStore(run.Totals);
    const std::string report = run.Totals.ReportText();
    const bool complete = done.Total().NotDeleted == 0 && (!history || history->Done());
    if (Options.Json) {
      TJsonWriter json(Text, AnsiText());
      BeginJson(json);
      WriteListingJson(json, done, true);
      WriteHistoryJson(json, history);
      WriteWipeJson(json, run.Totals.Wipe);
      json.Key("report");
      json.String(report);
      json.Key("complete");
      json.Bool(complete);
      EndJson(json);
    } else {
      WriteCleanText(Text, done, Layout());
      if (history) Text << HistoryOutcomeText(*history) << '\n';
      WriteWipeText(Text, run.Totals.Wipe);
      Text << report << '\n';
    }
    if (complete) return kExitOk;
    NoteIncomplete(done.Total().NotDeleted, history);
    return kExitPartial;
  }

  void NoteIncomplete(uint64_t notDeleted, const std::optional<THistoryOutcome> &history) {
    std::string text = "the clean is incomplete:";
    if (notDeleted > 0) text += " " + EntriesText(notDeleted) + " not deleted";
    if (history && !history->Done())
      text += std::string(notDeleted > 0 ? ";" : "") + " the history store was not emptied";
    Note(text);
  }

  // The cleaner's last step; the store's answer or failure, as it came.
  std::optional<THistoryOutcome> EmptyHistoryStore(const TCleanTotals &deleted) {
    try {
      const std::optional<THistoryAnswer> answer = Cleaner.EmptyHistoryStore(deleted);
      if (!answer) return std::nullopt;
      THistoryOutcome outcome{
          answer->Cleared() && !answer->Walked, answer->Code, answer->Text, {}, {}};
      if (answer->OnlyDeletedVisits)
        outcome.DeletedVisits =
            TDeletedVisitsOutcome{answer->Deleted, answer->Left, answer->NotDeleted};
      else if (answer->Walked)
        outcome.KeptSites = TKeptSitesOutcome{Cleaner.SitesToKeep().Items().size(), answer->Left,
                                              answer->NotDeleted};
      return outcome;
    } catch (const EOleSysError &failure) {
      return THistoryOutcome{false, failure.ErrorCode, failure.Message(), {}, {}};
    } catch (const EIntfCastError &failure) {
      return THistoryOutcome{false, std::nullopt, failure.Message(), {}, {}};
    }
  }

  int Show() {
    if (Options.Json) {
      TJsonWriter json(Text, AnsiText());
      BeginJson(json);
      json.Key("summary");
      json.Ansi(SummaryText(Cleaner.Settings));
      WritePlatformJson(json, Observed.Identity());
      if (!Faults.empty()) WriteMaskFaultsJson(json, Faults);
      EndJson(json);
    } else {
      WriteSettingsText(Text, Cleaner.Settings);
      Text << "platform: " << Observed.Identity().Name << '\n';
    }
    NoteMaskFaults();
    // A malformed keep list only warns here: show changes nothing.
    if (KeepFault) Note("warning: " + KeepFaultText(*KeepFault));
    return Faults.empty() ? kExitOk : kExitMalformedMask;
  }

  // keep: lists the sites to keep, or adds or removes names and saves the
  // list; nothing is saved when the stored list or a name is malformed.
  int Keep() {
    if (KeepFault) return Malformed();
    std::string sites = Cleaner.Settings.KeepSites;
    try {
      for (const std::string &name : Options.Sites)
        sites = ChangedList(sites, name);
    } catch (const EKeepSitesException &failure) {
      Note(failure.Message() + "; nothing was saved");
      return KeepRefused(failure.Fault);
    }
    if (Options.KeepAction != TKeepAction::List && sites != Cleaner.Settings.KeepSites)
      SaveKeepSites(sites);
    WriteKeepList(TKeepSites::Parse(sites));
    return kExitOk;
  }

  // `sites` with `name` added or removed, noting what changed.
  std::string ChangedList(const std::string &sites, const std::string &name) {
    const TKeepSites list = TKeepSites::Parse(sites);
    const bool add = Options.KeepAction == TKeepAction::Add;
    std::string changed = add ? list.Add(name) : list.Remove(name);
    if (changed == sites) Note("'" + name + (add ? "' is kept already" : "' is not kept"));
    return changed;
  }

  void SaveKeepSites(const std::string &sites) {
    TIniFile ini(Observed.StoredProfiles(), Options.IniFile);
    ini.WriteText(Options.Section, SettingOf(&CleanerSettings::KeepSites).Key, sites);
  }

  int KeepRefused(const TKeepSiteFault &fault) {
    if (Options.Json) {
      TJsonWriter json(Text, AnsiText());
      BeginJson(json, false);
      WriteKeepFaultJson(json, fault);
      EndJson(json);
    }
    return kExitMalformedMask;
  }

  void WriteKeepList(const TKeepSites &list) {
    if (Options.Json) {
      TJsonWriter json(Text, AnsiText());
      BeginJson(json, false);
      WriteKeepSitesJson(json, list);
      EndJson(json);
    } else {
      WriteKeepSitesText(Text, list);
    }
  }

  const TCliOptions &Options;
  const TCliStreams &Streams;
  TObservedPlatform Observed;
  TIENorvane Cleaner;
  TProgressLine Progress;
  TSettingsOrigin Origin;
  std::vector<TMaskFault> Faults;
  std::optional<TKeepSiteFault> KeepFault;
  std::ostringstream Text, Notes;
};

int RunParsed(const TCliOptions &options, IPlatform &platform, const TCliStreams &streams) {
  if (options.Command == TCliCommand::Help) {
    streams.Out << UsageText();
    return kExitOk;
  }
  if (options.Command == TCliCommand::Version) {
    streams.Out << VersionText() << '\n';
    return kExitOk;
  }
  TCommandRun run(options, platform, streams);
  const int code = run.Run();
  run.Finish();
  return code;
}

} // namespace

int RunCli(const std::vector<std::string> &arguments, IPlatform &platform,
           const TCliStreams &streams) {
  int code = kExitFailure;
  try {
    code = RunParsed(ParseCommandLine(arguments), platform, streams);
  } catch (const ECliUsageError &failure) {
    streams.Err << "ienorvane: " << failure.what() << "; see 'ienorvane --help'\n";
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
