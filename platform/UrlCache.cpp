#include "UrlCache.h"

namespace {

// Whether `text` begins with `prefix`, byte for byte.
bool BeginsWith(const char *text, const char *prefix) {
  for (; *prefix; ++text, ++prefix)
    if (*text != *prefix) return false;
  return true;
}

} // namespace

const char *CategoryPrefix(TCategory category) {
  switch (category) {
  case TCategory::Cache: return "http://";
  case TCategory::Cookies: return "Cookie:";
  case TCategory::History: return "Visited:";
  }
  return "";
}

TCategory ContainerOfUrl(const char *url) {
  for (TCategory category : {TCategory::Cookies, TCategory::History})
    if (BeginsWith(url, CategoryPrefix(category))) return category;
  return TCategory::Cache;
}

std::optional<std::string_view> VisitedUrlOf(std::string_view entryUrl) {
  const std::string_view prefix = CategoryPrefix(TCategory::History);
  if (!entryUrl.starts_with(prefix)) return std::nullopt;
  const size_t at = entryUrl.find('@', prefix.size());
  if (at == std::string_view::npos) return std::nullopt;
  return entryUrl.substr(at + 1);
}
