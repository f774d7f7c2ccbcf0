#include "StandInCache.h"

#include <sstream>
#include <stdexcept>

#include "UrlEscape.h"

namespace {

// One word of a line; a lone "%" stands for the empty text.
std::string Escaped(const std::string &text) { return text.empty() ? "%" : EscapedUrl(text); }

std::string Unescaped(const std::string &word) { return word == "%" ? "" : UnescapedUrl(word); }

std::istringstream Lines(const std::string &text) { return std::istringstream(text); }

} // namespace

void TStandInCache::SeedInto(TMemoryUrlCache &cache) const {
  for (const TStandInEntry &entry : Entries) {
    cache.Add(entry.Url, entry.LocalFileName, entry.Size);
    if (entry.DeleteAnswer != TDeleteResult::Deleted)
      cache.FailDeleteOf(entry.Url, entry.DeleteAnswer);
    if (entry.Hidden) cache.HideFromEnumerations(entry.Url);
  }
}

std::string TStandInCache::Text() const {
  std::ostringstream out;
  out << (Listing == TMemoryUrlCache::TListing::Apart ? "apart" : "with-content") << '\n';
  for (const TStandInEntry &entry : Entries)
    out << static_cast<int>(entry.DeleteAnswer) << ' ' << entry.Hidden << ' ' << entry.Size << ' '
        << Escaped(entry.Url) << ' ' << (entry.LocalFileName ? Escaped(*entry.LocalFileName) : "-")
        << '\n';
  return out.str();
}

TStandInCache TStandInCache::Parse(const std::string &text) {
  std::istringstream in = Lines(text);
  TStandInCache cache;
  std::string listing;
  in >> listing;
  cache.Listing = listing == "apart" ? TMemoryUrlCache::TListing::Apart
                                     : TMemoryUrlCache::TListing::WithContent;
  int answer = 0;
  TStandInEntry entry;
  std::string url, file;
  while (in >> answer >> entry.Hidden >> entry.Size >> url >> file) {
    entry.DeleteAnswer = static_cast<TDeleteResult>(answer);
    entry.Url = Unescaped(url);
    entry.LocalFileName = file == "-" ? std::nullopt : std::optional(Unescaped(file));
    cache.Entries.push_back(entry);
  }
  if (!in.eof()) throw std::runtime_error("not a stand-in cache file");
  return cache;
}

std::vector<std::string> TStandInCache::HistoryUrls() const {
  std::vector<std::string> urls;
  for (const TStandInEntry &entry : Entries)
    if (ContainerOfUrl(entry.Url.c_str()) == TCategory::History)
      if (const size_t at = entry.Url.find('@'); at != std::string::npos)
        urls.push_back(entry.Url.substr(at + 1));
  return urls;
}

std::string TStandInAftermath::Text() const {
  std::ostringstream out;
  out << HistoryClears << ' ' << HistoryWalks << ' ' << HistoryLeft.size() << '\n';
  for (const std::string &url : HistoryLeft)
    out << Escaped(url) << '\n';
  for (const std::string &url : Left)
    out << Escaped(url) << '\n';
  return out.str();
}

TStandInAftermath TStandInAftermath::Parse(const std::string &text) {
  std::istringstream in = Lines(text);
  TStandInAftermath aftermath;
  size_t historyLeft = 0;
  if (!(in >> aftermath.HistoryClears >> aftermath.HistoryWalks >> historyLeft))
    throw std::runtime_error("not a stand-in aftermath");
  std::string url;
  for (size_t i = 0; i < historyLeft && in >> url; ++i)
    aftermath.HistoryLeft.push_back(Unescaped(url));
  if (aftermath.HistoryLeft.size() != historyLeft)
    throw std::runtime_error("not a stand-in aftermath");
  while (in >> url)
    aftermath.Left.push_back(Unescaped(url));
  return aftermath;
}
