#include "Reports.h"

#include <iomanip>

#include "CommandLine.h"
#include "frmIENorvane.h"

namespace {

// The name of the setting that holds a category's mask.
const char *MaskSettingOf(TCategory category) {
  switch (category) {
  case TCategory::Cache: return "CacheMask";
  case TCategory::Cookies: return "CookiesMask";
  case TCategory::History: return "HistoryMask";
  }
  return "?";
}

std::string CountsText(const TCategoryTotals &totals, const std::string &verb) {
  std::string text = std::to_string(totals.Count) +
                     (totals.Count == 1 ? " entry, " : " entries, ") +
                     std::to_string(totals.Bytes) + (totals.Bytes == 1 ? " byte" : " bytes");
  return verb.empty() ? text : text + " " + verb;
}

// Why a category is not swept: it is off, or its type is neither 0 nor 1.
std::string NotSweptText(const TCategoryListing &listing) {
  if (!listing.Enabled) return "off";
  return "type " + std::to_string(listing.Type) + ", not swept";
}

void WriteCategoryText(std::ostream &out, const TCategoryListing &listing,
                       const std::string &verb) {
  out << '[' << CategoryName(listing.Category) << "] ";
  if (!listing.Pattern) {
    out << NotSweptText(listing) << '\n';
    return;
  }
  out << *listing.Pattern << '\n';
  for (const TReportedEntry &entry : listing.Entries) {
    out << "  " << std::setw(12) << entry.Size << "  " << entry.Url << "  "
        << (entry.LocalFileName ? *entry.LocalFileName : std::string("-")) << '\n';
  }
  out << "  " << CountsText(listing.Totals, verb) << '\n';
}

void WriteFlag(std::ostream &out, const char *key, bool value) {
  out << key << '=' << (value ? 1 : 0) << '\n';
}

void WriteNumber(std::ostream &out, const char *key, int32_t value) {
  out << key << '=' << value << '\n';
}

void WriteText(std::ostream &out, const char *key, const std::string &value) {
  out << key << '=' << value << '\n';
}

void WriteEntryJson(TJsonWriter &json, const TReportedEntry &entry) {
  json.BeginObject();
  json.Key("url");
  json.Ansi(entry.Url);
  json.Key("file");
  if (entry.LocalFileName)
    json.Ansi(*entry.LocalFileName);
  else
    json.Null();
  json.Key("size");
  json.Number(entry.Size);
  json.EndObject();
}

void WriteTotalsJson(TJsonWriter &json, const TCategoryTotals &totals) {
  json.Key("count");
  json.Number(totals.Count);
  json.Key("bytes");
  json.Number(totals.Bytes);
}

void WriteCategoryJson(TJsonWriter &json, const TCategoryListing &listing) {
  json.BeginObject();
  json.Key("name");
  json.String(CategoryName(listing.Category));
  json.Key("enabled");
  json.Bool(listing.Enabled);
  json.Key("type");
  json.Number(static_cast<int64_t>(listing.Type));
  json.Key("pattern");
  if (listing.Pattern)
    json.Ansi(*listing.Pattern);
  else
    json.Null();
  json.Key("entries");
  json.BeginArray();
  for (const TReportedEntry &entry : listing.Entries)
    WriteEntryJson(json, entry);
  json.EndArray();
  WriteTotalsJson(json, listing.Totals);
  json.EndObject();
}

} // namespace

void WriteListingText(std::ostream &out, const TListing &listing, const std::string &verb) {
  for (const TCategoryListing &category : listing.Categories)
    WriteCategoryText(out, category, verb);
  out << "total: " << CountsText(listing.Total(), verb) << '\n';
}

void WriteSettingsText(std::ostream &out, const TIENorvane &settings) {
  WriteFlag(out, "DeleteCache", settings.DeleteCache);
  WriteNumber(out, "DeleteCacheType", settings.DeleteCacheType);
  WriteText(out, "CacheMask", settings.CacheMask);
  WriteFlag(out, "DeleteCookies", settings.DeleteCookies);
  WriteNumber(out, "DeleteCookiesType", settings.DeleteCookiesType);
  WriteText(out, "CookiesMask", settings.CookiesMask);
  WriteFlag(out, "DeleteHistory", settings.DeleteHistory);
  WriteNumber(out, "DeleteHistoryType", settings.DeleteHistoryType);
  WriteText(out, "HistoryMask", settings.HistoryMask);
  out << "summary: " << SummaryText(settings) << '\n';
}

std::string MaskFaultText(const TMaskFault &fault) {
  std::string text = std::string("malformed ") + CategoryName(fault.Category) + " mask (" +
                     MaskSettingOf(fault.Category) + "): pattern '" + fault.Pattern + "'";
  if (fault.Position) text += ", position " + std::to_string(*fault.Position);
  return text + ": " + fault.Message;
}

void WriteListingJson(TJsonWriter &json, const TListing &listing) {
  json.Key("categories");
  json.BeginArray();
  for (const TCategoryListing &category : listing.Categories)
    WriteCategoryJson(json, category);
  json.EndArray();
  json.Key("total");
  json.BeginObject();
  WriteTotalsJson(json, listing.Total());
  json.EndObject();
}

void WriteMaskFaultJson(TJsonWriter &json, const TMaskFault &fault) {
  json.Key("error");
  json.BeginObject();
  json.Key("kind");
  json.String("malformed-mask");
  json.Key("category");
  json.String(CategoryName(fault.Category));
  json.Key("setting");
  json.String(MaskSettingOf(fault.Category));
  json.Key("pattern");
  json.Ansi(fault.Pattern);
  json.Key("position");
  if (fault.Position)
    json.Number(*fault.Position);
  else
    json.Null();
  json.Key("message");
  json.Ansi(fault.Message);
  json.EndObject();
}
