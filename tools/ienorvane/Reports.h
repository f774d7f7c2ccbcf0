#pragma once
// How ienorvane prints its results: plain text for people, one JSON document
// for scripts. Preview and clean print their listings in the same form, so
// that what a preview announced and what a clean did can be compared. The
// writers fill an in-memory stream; the command writes it out in one block.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "HistoryStore.h"
#include "IENorvaneU.h"
#include "JsonWriter.h"
#include "Preview.h"

// How the text of a listing is laid out.
struct TTextLayout {
  bool Rows = true;       // one row per selected or deleted entry (a terminal without --list: none)
  size_t Width = 0;       // rows longer than this are shortened in the middle; 0: never
  TLeadByteSet LeadBytes; // of the code page of the texts, so no character is cut
};

// Where the settings came from: the INI section, or the plug-in's defaults
// (with the reason the section could not supply them).
struct TSettingsOrigin {
  bool Defaults = false;
  std::string Reason; // when Defaults
};

// With sites to keep, the history store is walked rather than emptied.
struct TKeptSitesOutcome {
  size_t Sites = 0;        // the sites listed to keep
  uint64_t Left = 0;       // walked: the URLs left for them
  uint64_t NotDeleted = 0; // walked: URLs whose delete the store refused
};

// The walk of the history store after a clean by mask: the URLs of the
// deleted visits it forgot, the URLs it left, and those it refused to forget.
struct TDeletedVisitsOutcome {
  uint64_t Forgotten = 0;
  uint64_t Left = 0;
  uint64_t NotDeleted = 0;
};

// What the history store did in a clean: emptied (code 0), answered another
// code with a text, or could not be asked (the object or its interface
// failed: the failure's message and, for a COM failure, its code). With
// sites to keep: emptied but for their URLs (code 0), or left alone because
// it cannot be walked (the code and text say why).
struct THistoryOutcome {
  bool Emptied = false;
  std::optional<int32_t> Code;
  std::string Text;
  std::optional<TKeptSitesOutcome> KeptSites;
  // With history by mask: walked to forget only the deleted visits' URLs.
  std::optional<TDeletedVisitsOutcome> DeletedVisits;

  // Walked but for the kept sites' URLs, every other URL deleted.
  bool EmptiedExceptKept() const { return KeptSites && Code == 0 && KeptSites->NotDeleted == 0; }
  // Left alone, as keeping sites requires where the store cannot be walked.
  bool LeftAlone() const { return KeptSites && Code.value_or(0) != 0; }
  // The store did what a clean asks of it; none of these is a partial clean.
  bool Done() const { return Emptied || EmptiedExceptKept() || LeftAlone() || ForgotVisits(); }
  // Walked, and every URL of a deleted visit forgotten.
  bool ForgotVisits() const { return DeletedVisits && Code == 0 && DeletedVisits->NotDeleted == 0; }
};

// The preview as text: per category a header with its pattern (or why it is
// not swept), the entry rows (size, URL, local file or "-"), the count and
// bytes; then the total. Ends with a line break.
void WritePreviewText(std::ostream &out, const TListing &listing, const TTextLayout &layout);

// The clean as text: as a preview, with "deleted" after the counts, and per
// category every entry that stayed with its reason (always listed); the
// total says how many stayed.
void WriteCleanText(std::ostream &out, const TListing &listing, const TTextLayout &layout);

// "history store: emptied", "history store: emptied except kept sites (N
// left)", "history store: left alone to keep N sites: <text> (code ...)",
// or "history store: not emptied: <text> (code 0x<8 hex digits>)", without
// a line break.
std::string HistoryOutcomeText(const THistoryOutcome &outcome);

// The settings as loaded, one "Key=value" line each in the INI file's form
// and the table's order (an addition only when set: see Used), then the
// dialog's summary line.
void WriteSettingsText(std::ostream &out, const CleanerSettings &settings);

// One line naming the malformed mask's category and setting, the pattern and
// the position, followed by the matcher's message; no line break.
std::string MaskFaultText(const TMaskFault &fault);

// The member "settings" of an open JSON object: "source" ("file" or
// "defaults"), "reason" with the defaults, and the settings by key, as the
// text lists them.
void WriteSettingsJson(TJsonWriter &json, const CleanerSettings &settings,
                       const TSettingsOrigin &origin);

// The members "categories" (each with name, enabled, type, pattern, entries,
// count, bytes, and for a clean notDeleted) and "total" of an open JSON
// object. Texts are converted from the ANSI code page to UTF-8.
void WriteListingJson(TJsonWriter &json, const TListing &listing, bool clean);

// The member "historyStore": null when none was asked, else emptied, code
// (null when there was no answer) and text.
void WriteHistoryJson(TJsonWriter &json, const std::optional<THistoryOutcome> &outcome);

// The member "platform" of an open JSON object: {"name", "wine", and
// "caveat" when the platform has one}.
void WritePlatformJson(TJsonWriter &json, const TPlatformIdentity &identity);

// The member "error" naming every malformed mask, in an open JSON object.
void WriteMaskFaultsJson(TJsonWriter &json, const std::vector<TMaskFault> &faults);

// "malformed keep list (KeepSites): " and the fault's message; no line break.
std::string KeepFaultText(const TKeepSiteFault &fault);

// The member "error" naming a malformed keep list or site name (kind
// "malformed-keep-list": item, position, reason, message).
void WriteKeepFaultJson(TJsonWriter &json, const TKeepSiteFault &fault);

// The sites to keep, one per line as typed, or "no sites are kept".
void WriteKeepSitesText(std::ostream &out, const TKeepSites &list);

// The member "sites": the sites to keep as typed, in an open JSON object.
void WriteKeepSitesJson(TJsonWriter &json, const TKeepSites &list);
