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
