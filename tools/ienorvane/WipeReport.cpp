#include "WipeReport.h"

#include "CommandLine.h"

namespace {

constexpr size_t kReasons = static_cast<size_t>(TFileKeep::Count);

void WriteCategoryText(std::ostream &out, const char *name, const TWipeTotals &totals) {
  out << "wiped " << name << ": " << totals.Records << " index records, " << totals.Files
      << " files (" << totals.Bytes << " bytes) overwritten\n";
  if (totals.RecordsTooSmall)
    out << "  not wiped: " << totals.RecordsTooSmall
        << " index records, smaller than a neutral entry\n";
  if (totals.RecordsFailed)
    out << "  not wiped: " << totals.RecordsFailed
        << " index records, the neutral entry was refused\n";
  for (size_t reason = 0; reason < kReasons; ++reason)
    if (const uint64_t count = totals.FilesKept[reason])
      out << "  deleted by name only: " << count << " files, "
          << ReasonText(static_cast<TFileKeep>(reason)) << '\n';
}

void WriteCategoryJson(TJsonWriter &json, const TWipeTotals &totals) {
  json.BeginObject();
  const std::pair<const char *, uint64_t> counts[] = {{"records", totals.Records},
                                                      {"recordsTooSmall", totals.RecordsTooSmall},
                                                      {"recordsFailed", totals.RecordsFailed},
                                                      {"files", totals.Files},
                                                      {"bytes", totals.Bytes}};
  for (const auto &[key, value] : counts) {
    json.Key(key);
    json.Number(value);
  }
  json.Key("filesKept");
  json.BeginObject();
  for (size_t reason = 0; reason < kReasons; ++reason) {
    json.Key(ReasonKey(static_cast<TFileKeep>(reason)));
    json.Number(totals.FilesKept[reason]);
  }
  json.EndObject();
  json.EndObject();
}

} // namespace

void WriteWipeText(std::ostream &out, const std::optional<TCleanWipe> &wipe) {
  if (!wipe) return;
  if (!wipe->Unavailable.empty()) {
    out << "traces not wiped: " << wipe->Unavailable << '\n';
    return;
  }
  if (wipe->LeftoversRemoved)
    out << "removed " << wipe->LeftoversRemoved << " neutral entries an earlier wipe left\n";
  for (TCategory category : kAllCategories)
    WriteCategoryText(out, CategoryName(category), wipe->Of(category));
}

void WriteWipeJson(TJsonWriter &json, const std::optional<TCleanWipe> &wipe) {
  json.Key("wipe");
  if (!wipe) {
    json.Null();
    return;
  }
  json.BeginObject();
  json.Key("available");
  json.Bool(wipe->Unavailable.empty());
  if (!wipe->Unavailable.empty()) {
    json.Key("unavailable");
    json.String(wipe->Unavailable);
  }
  json.Key("leftoversRemoved");
  json.Number(wipe->LeftoversRemoved);
  for (TCategory category : kAllCategories) {
    json.Key(CategoryName(category));
    WriteCategoryJson(json, wipe->Of(category));
  }
  json.EndObject();
}
