#include "Reports.h"

#include <algorithm>
#include <cstdio>

#include "CommandLine.h"
#include "TextFormat.h"

namespace {

// The name of the setting that holds a category's mask.
const char *MaskSettingOf(TCategory category) { return SettingOf(FieldsOf(category).Mask).Key; }

// One setting by its key: a flag as a boolean, a type as a number, a text
// converted to UTF-8.
void WriteSettingJson(TJsonWriter &json, const CleanerSettings &settings, const TSetting &setting) {
  json.Key(setting.Key);
  switch (setting.Kind) {
  case TSettingKind::Flag: json.Bool(settings.*setting.Flag); return;
  case TSettingKind::SweepType:
    json.Number(static_cast<int64_t>(TypeCode(settings.*setting.Type)));
    return;
  case TSettingKind::Text: json.Ansi(settings.*setting.Text); return;
  }
}

// Why an entry stayed, for people.
const char *ReasonText(TDeleteResult reason) {
  switch (reason) {
  case TDeleteResult::InUse: return "in use by a running browser";
  case TDeleteResult::NotAddressable: return "no longer addressable by its URL";
  case TDeleteResult::Failed: return "refused by the platform";
  case TDeleteResult::LinkedFile:
    return "its file is a link, whose delete would remove another file";
  case TDeleteResult::Deleted: break;
  }
  return "deleted";
}

// Why an entry stayed, for scripts.
const char *ReasonKey(TDeleteResult reason) {
  switch (reason) {
  case TDeleteResult::InUse: return "in-use";
  case TDeleteResult::NotAddressable: return "not-addressable";
  case TDeleteResult::Failed: return "failed";
  case TDeleteResult::LinkedFile: return "linked-file";
  case TDeleteResult::Deleted: break;
  }
  return "deleted";
}

std::string CountsText(const TCategoryTotals &totals, const char *verb) {
  return EntriesText(totals.Count) + ", " + SizeText(totals.Bytes) + verb;
}

// Why a category is not swept: it is off, or its type is another.
std::string NotSweptText(const TCategoryListing &listing) {
  if (!listing.Enabled) return "off";
  return "type " + std::to_string(TypeCode(listing.Type)) + ", not swept";
}

// Writes the rows of one category's entries: the size right-aligned in a
// column as wide as the widest size of the rows, the URL, the local file.
class TRowWriter {
public:
  TRowWriter(std::ostream &out, const TTextLayout &layout) : Out(out), Layout(layout) {}

  template <typename TEntries, typename TEntryOf>
  void Write(const TEntries &entries, const char *indent, TEntryOf entryOf) {
    size_t sizeWidth = 0;
    for (const auto &item : entries)
      sizeWidth = std::max(sizeWidth, SizeText(entryOf(item).Size).size());
    for (const auto &item : entries) {
      const TCacheEntry &entry = entryOf(item);
      std::string row = indent;
      const std::string size = SizeText(entry.Size);
      row.append(sizeWidth - size.size(), ' ');
      row += size + "  " + entry.Url + "  " + (entry.LocalFileName ? *entry.LocalFileName : "-");
      if (Layout.Width > 0) row = ShortenedInTheMiddle(row, Layout.Width, Layout.LeadBytes);
      Out << row << '\n';
    }
  }

private:
  std::ostream &Out;
  const TTextLayout &Layout;
};

const TCacheEntry &Itself(const TCacheEntry &entry) { return entry; }
const TCacheEntry &EntryOf(const TUndeletedEntry &left) { return left.Entry; }
const TCacheEntry &KeptEntryOf(const TKeptEntry &kept) { return kept.Entry; }

// "example.com: 3, mail.example.org: 1".
std::string KeptSitesText(const TKeptTotals &kept) {
  std::string text;
  for (const TKeptSite &site : kept.Sites)
    text += (text.empty() ? "" : ", ") + site.Site + ": " + std::to_string(site.Count);
  return text;
}

// The entries the sites to keep held back: a count line, and with rows one
// group per site.
void WriteKeptText(std::ostream &out, const TCategoryListing &listing, const TTextLayout &layout) {
  const TKeptTotals &kept = listing.Totals.Kept;
  if (kept.Count == 0) return;
  out << "  kept: " << EntriesText(kept.Count) << ", " << SizeText(kept.Bytes) << " ("
      << KeptSitesText(kept) << ")\n";
  if (!layout.Rows) return;
  for (const TKeptSite &site : kept.Sites) {
    std::vector<TKeptEntry> group;
    std::copy_if(listing.Kept.begin(), listing.Kept.end(), std::back_inserter(group),
                 [&site](const TKeptEntry &entry) { return entry.Site == site.Site; });
    out << "    kept for " << site.Site << ":\n";
    TRowWriter(out, layout).Write(group, "      ", KeptEntryOf);
  }
}

// The content entries of other schemes that the cache's http sweep passed.
void WriteOtherSchemesText(std::ostream &out, const TCategoryListing &listing) {
  if (!listing.OtherSchemes || listing.OtherSchemes->Count == 0) return;
  out << "  passed over: " << EntriesText(listing.OtherSchemes->Count) << ", "
      << SizeText(listing.OtherSchemes->Bytes)
      << " of other schemes (https, ftp, ...); DeleteCacheHttps=1 sweeps https too\n";
}

// The patterns of a category's sweeps, separated by ", ".
std::string JoinedPatterns(const TCategoryListing &listing) {
  std::string joined;
  for (const std::string &pattern : listing.Patterns)
    joined += (joined.empty() ? "" : ", ") + pattern;
  return joined;
}

// Writes a category's header; false when the category is not swept.
bool WriteCategoryHead(std::ostream &out, const TCategoryListing &listing) {
  out << '[' << CategoryName(listing.Category) << "] ";
  if (listing.Patterns.empty()) {
    out << NotSweptText(listing) << '\n';
    return false;
  }
  out << JoinedPatterns(listing) << '\n';
  return true;
}

void WriteNotDeletedText(std::ostream &out, const TCategoryListing &listing,
                         const TTextLayout &layout) {
  if (listing.NotDeleted.empty()) return;
  out << "  not deleted: " << EntriesText(listing.NotDeleted.size()) << '\n';
  // Grouped by reason, each group in walk order.
  for (TDeleteResult reason : {TDeleteResult::InUse, TDeleteResult::NotAddressable,
                               TDeleteResult::Failed, TDeleteResult::LinkedFile}) {
    std::vector<TUndeletedEntry> group;
    std::copy_if(listing.NotDeleted.begin(), listing.NotDeleted.end(), std::back_inserter(group),
                 [reason](const TUndeletedEntry &left) { return left.Reason == reason; });
    if (group.empty()) continue;
    out << "    " << ReasonText(reason) << ":\n";
    TRowWriter(out, layout).Write(group, "      ", EntryOf);
  }
}

// Writes the listing; true when rows were left out.
bool WriteListingText(std::ostream &out, const TListing &listing, const TTextLayout &layout,
                      bool clean) {
  const char *verb = clean ? " deleted" : "";
  bool rowsLeftOut = false;
  for (const TCategoryListing &category : listing.Categories) {
    if (!WriteCategoryHead(out, category)) continue;
    if (layout.Rows)
      TRowWriter(out, layout).Write(category.Entries, "  ", Itself);
    else
      rowsLeftOut = rowsLeftOut || !category.Entries.empty();
    out << "  " << CountsText(category.Totals, verb) << '\n';
    if (clean) WriteNotDeletedText(out, category, layout);
    WriteKeptText(out, category, layout);
    WriteOtherSchemesText(out, category);
  }
  const TCategoryTotals total = listing.Total();
  out << "total: " << CountsText(total, verb);
  if (clean && total.NotDeleted > 0) out << "; " << EntriesText(total.NotDeleted) << " not deleted";
  if (total.Kept.Count > 0) out << "; " << EntriesText(total.Kept.Count) << " kept";
  out << '\n';
  return rowsLeftOut;
}

void WriteRowsLeftOutNote(std::ostream &out, bool rowsLeftOut) {
  if (rowsLeftOut) out << "(entries are not listed on a terminal; give --list to list them)\n";
}

std::string HexCode(int32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
  return text;
}

void WriteFileJson(TJsonWriter &json, const TCacheEntry &entry) {
  json.Key("url");
  json.Ansi(entry.Url);
  json.Key("file");
  if (entry.LocalFileName)
    json.Ansi(*entry.LocalFileName);
  else
    json.Null();
  json.Key("size");
  json.Number(entry.Size);
}

void WriteEntriesJson(TJsonWriter &json, const std::vector<TCacheEntry> &entries) {
  json.BeginArray();
  for (const TCacheEntry &entry : entries) {
    json.BeginObject();
    WriteFileJson(json, entry);
    json.EndObject();
  }
  json.EndArray();
}

void WriteNotDeletedJson(TJsonWriter &json, const std::vector<TUndeletedEntry> &left) {
  json.BeginArray();
  for (const TUndeletedEntry &entry : left) {
    json.BeginObject();
    WriteFileJson(json, entry.Entry);
    json.Key("reason");
    json.String(ReasonKey(entry.Reason));
    json.EndObject();
  }
  json.EndArray();
}

// The members "count" and "bytes".
void WriteCountAndBytesJson(TJsonWriter &json, uint64_t count, uint64_t bytes) {
  json.Key("count");
  json.Number(count);
  json.Key("bytes");
  json.Number(bytes);
}

void WriteKeptTotalsJson(TJsonWriter &json, const TKeptTotals &kept) {
  json.Key("kept");
  json.BeginObject();
  WriteCountAndBytesJson(json, kept.Count, kept.Bytes);
  json.Key("sites");
  json.BeginObject();
  for (const TKeptSite &site : kept.Sites) {
    json.AnsiKey(site.Site);
    json.Number(site.Count);
  }
  json.EndObject();
  json.EndObject();
}

void WriteKeptEntriesJson(TJsonWriter &json, const std::vector<TKeptEntry> &kept) {
  json.Key("keptEntries");
  json.BeginArray();
  for (const TKeptEntry &entry : kept) {
    json.BeginObject();
    WriteFileJson(json, entry.Entry);
    json.Key("site");
    json.Ansi(entry.Site);
    json.EndObject();
  }
  json.EndArray();
}

void WriteTotalsJson(TJsonWriter &json, const TCategoryTotals &totals, bool clean) {
  WriteCountAndBytesJson(json, totals.Count, totals.Bytes);
  if (clean) {
    json.Key("notDeletedCount");
    json.Number(totals.NotDeleted);
  }
  WriteKeptTotalsJson(json, totals.Kept);
}

void WriteOtherSchemesJson(TJsonWriter &json, const TSchemeTotals &others) {
  json.Key("otherSchemes");
  json.BeginObject();
  WriteCountAndBytesJson(json, others.Count, others.Bytes);
  json.EndObject();
}

void WriteCategoryJson(TJsonWriter &json, const TCategoryListing &listing, bool clean) {
  json.BeginObject();
  json.Key("name");
  json.String(CategoryName(listing.Category));
  json.Key("enabled");
  json.Bool(listing.Enabled);
  json.Key("type");
  json.Number(static_cast<int64_t>(TypeCode(listing.Type)));
  // "pattern": the first sweep's, as before the https half existed;
  // "patterns": every sweep's.
  json.Key("pattern");
  if (!listing.Patterns.empty())
    json.Ansi(listing.Patterns.front());
  else
    json.Null();
  json.Key("patterns");
  json.BeginArray();
  for (const std::string &pattern : listing.Patterns)
    json.Ansi(pattern);
  json.EndArray();
  json.Key("entries");
  WriteEntriesJson(json, listing.Entries);
  if (clean) {
    json.Key("notDeleted");
    WriteNotDeletedJson(json, listing.NotDeleted);
  }
  WriteKeptEntriesJson(json, listing.Kept);
  if (listing.OtherSchemes) WriteOtherSchemesJson(json, *listing.OtherSchemes);
  WriteTotalsJson(json, listing.Totals, clean);
  json.EndObject();
}

} // namespace

void WritePreviewText(std::ostream &out, const TListing &listing, const TTextLayout &layout) {
  WriteRowsLeftOutNote(out, WriteListingText(out, listing, layout, false));
}

void WriteCleanText(std::ostream &out, const TListing &listing, const TTextLayout &layout) {
  WriteRowsLeftOutNote(out, WriteListingText(out, listing, layout, true));
}

std::string HistoryOutcomeText(const THistoryOutcome &outcome) {
  if (outcome.Emptied) return "history store: emptied";
  if (outcome.ForgotVisits())
    return "history store: forgot the URLs of the " +
           std::to_string(outcome.DeletedVisits->Forgotten) + " deleted visits (" +
           std::to_string(outcome.DeletedVisits->Left) + " left)";
  if (outcome.DeletedVisits && outcome.Code == 0)
    return "history store: forgot the URLs of the " +
           std::to_string(outcome.DeletedVisits->Forgotten) + " deleted visits, but " +
           std::to_string(outcome.DeletedVisits->NotDeleted) + " could not be deleted";
  if (outcome.EmptiedExceptKept())
    return "history store: emptied except kept sites (" + std::to_string(outcome.KeptSites->Left) +
           " left)";
  std::string text = "history store: not emptied";
  if (outcome.LeftAlone())
    text = "history store: left alone to keep " + std::to_string(outcome.KeptSites->Sites) +
           (outcome.KeptSites->Sites == 1 ? " site" : " sites");
  else if (outcome.KeptSites && outcome.KeptSites->NotDeleted > 0)
    return "history store: emptied except kept sites (" + std::to_string(outcome.KeptSites->Left) +
           " left), but " + std::to_string(outcome.KeptSites->NotDeleted) +
           " other URLs could not be deleted";
  if (!outcome.Text.empty()) text += ": " + outcome.Text;
  if (outcome.Code) text += " (code " + HexCode(*outcome.Code) + ")";
  return text;
}

void WriteSettingsText(std::ostream &out, const CleanerSettings &settings) {
  for (const TSetting &setting : kSettings)
    if (Used(settings, setting)) out << setting.Key << '=' << ValueText(settings, setting) << '\n';
  out << "summary: " << SummaryText(settings) << '\n';
}

std::string MaskFaultText(const TMaskFault &fault) {
  return std::string("malformed ") + CategoryName(fault.Category) + " mask (" +
         MaskSettingOf(fault.Category) + "): pattern '" + fault.Pattern + "', position " +
         std::to_string(fault.Position) + ": " + fault.Message;
}

void WriteSettingsJson(TJsonWriter &json, const CleanerSettings &settings,
                       const TSettingsOrigin &origin) {
  json.Key("settings");
  json.BeginObject();
  json.Key("source");
  json.String(origin.Defaults ? "defaults" : "file");
  if (origin.Defaults) {
    json.Key("reason");
    json.Ansi(origin.Reason);
  }
  for (const TSetting &setting : kSettings)
    if (Used(settings, setting)) WriteSettingJson(json, settings, setting);
  json.EndObject();
}

void WriteListingJson(TJsonWriter &json, const TListing &listing, bool clean) {
  json.Key("categories");
  json.BeginArray();
  for (const TCategoryListing &category : listing.Categories)
    WriteCategoryJson(json, category, clean);
  json.EndArray();
  json.Key("total");
  json.BeginObject();
  WriteTotalsJson(json, listing.Total(), clean);
  json.EndObject();
}

void WriteHistoryJson(TJsonWriter &json, const std::optional<THistoryOutcome> &outcome) {
  json.Key("historyStore");
  if (!outcome) {
    json.Null();
    return;
  }
  json.BeginObject();
  json.Key("emptied");
  json.Bool(outcome->Emptied);
  json.Key("code");
  if (outcome->Code)
    json.String(HexCode(*outcome->Code));
  else
    json.Null();
  json.Key("text");
  json.Ansi(outcome->Text);
  if (outcome->DeletedVisits) {
    json.Key("onlyDeletedVisits");
    json.Bool(true);
    json.Key("forgotten");
    json.Number(outcome->DeletedVisits->Forgotten);
    json.Key("left");
    json.Number(outcome->DeletedVisits->Left);
    json.Key("notDeleted");
    json.Number(outcome->DeletedVisits->NotDeleted);
  }
  if (outcome->KeptSites) {
    json.Key("keptSites");
    json.Number(static_cast<uint64_t>(outcome->KeptSites->Sites));
    json.Key("leftAlone");
    json.Bool(outcome->LeftAlone());
    json.Key("left");
    json.Number(outcome->KeptSites->Left);
    json.Key("notDeleted");
    json.Number(outcome->KeptSites->NotDeleted);
  }
  json.EndObject();
}

void WriteMaskFaultsJson(TJsonWriter &json, const std::vector<TMaskFault> &faults) {
  json.Key("error");
  json.BeginObject();
  json.Key("kind");
  json.String("malformed-mask");
  json.Key("masks");
  json.BeginArray();
  for (const TMaskFault &fault : faults) {
    json.BeginObject();
    json.Key("category");
    json.String(CategoryName(fault.Category));
    json.Key("setting");
    json.String(MaskSettingOf(fault.Category));
    json.Key("pattern");
    json.Ansi(fault.Pattern);
    json.Key("position");
    json.Number(fault.Position);
    json.Key("message");
    json.Ansi(fault.Message);
    json.EndObject();
  }
  json.EndArray();
  json.EndObject();
}

std::string KeepFaultText(const TKeepSiteFault &fault) {
  return "malformed keep list (" + std::string(SettingOf(&CleanerSettings::KeepSites).Key) +
         "): " + fault.Message();
}

void WriteKeepFaultJson(TJsonWriter &json, const TKeepSiteFault &fault) {
  json.Key("error");
  json.BeginObject();
  json.Key("kind");
  json.String("malformed-keep-list");
  json.Key("item");
  json.Ansi(fault.Item);
  json.Key("position");
  json.Number(static_cast<uint64_t>(fault.Position));
  json.Key("reason");
  json.Ansi(fault.Reason);
  json.Key("message");
  json.Ansi(fault.Message());
  json.EndObject();
}

void WriteKeepSitesText(std::ostream &out, const TKeepSites &list) {
  if (list.Empty()) out << "no sites are kept\n";
  for (const TKeepSite &site : list.Items())
    out << site.Typed << '\n';
}

void WriteKeepSitesJson(TJsonWriter &json, const TKeepSites &list) {
  json.Key("sites");
  json.BeginArray();
  for (const TKeepSite &site : list.Items())
    json.Ansi(site.Typed);
  json.EndArray();
}

void WritePlatformJson(TJsonWriter &json, const TPlatformIdentity &identity) {
  json.Key("platform");
  json.BeginObject();
  json.Key("name");
  json.String(identity.Name);
  json.Key("wine");
  json.Bool(identity.Wine);
  if (!identity.Caveat.empty()) {
    json.Key("caveat");
    json.String(identity.Caveat);
  }
  json.EndObject();
}
