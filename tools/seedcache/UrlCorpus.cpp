#include "UrlCorpus.h"

namespace {

const char *const Subdomains[] = {"www",    "www",    "www",  "static", "img",   "cdn",
                                  "images", "news",   "mail", "ads",    "media", "m",
                                  "forum",  "search", "api",  "s"};
const char *const Words[] = {"example", "news",  "weather", "shop",  "games", "photo", "travel",
                             "bank",    "music", "video",   "sport", "tech",  "daily", "market",
                             "cloud",   "forum", "maps",    "blog",  "radio", "books", "mail"};
const char *const Tlds[] = {".com", ".com", ".com", ".net", ".org",  ".co.uk",
                            ".de",  ".jp",  ".ru",  ".fr",  ".info", ".com.au"};
const char *const Folders[] = {"img",    "images", "css",     "js",      "scripts",
                               "static", "media",  "news",    "2011",    "2012",
                               "en",     "us",     "sport",   "article", "assets",
                               "cache",  "thumbs", "Content", "Pages",   "forum"};
const char *const Extensions[] = {".html", ".htm", ".gif", ".gif",  ".jpg", ".jpg", ".png",
                                  ".js",   ".css", ".php", ".aspx", ".swf", ".ico", ".xml"};
const char *const Keys[] = {"id", "q", "v", "page", "lang", "ref", "s", "session", "cat", "t"};
const char *const Users[] = {"john",    "administrator", "mary",   "user",
                             "default", "guest",         "jsmith", "anna"};

std::string Token(TSeededRandom &random, size_t minLength, size_t maxLength, const char *alphabet) {
  const std::string letters = alphabet;
  std::string token;
  const size_t length = minLength + random.Below(maxLength - minLength + 1);
  for (size_t i = 0; i < length; ++i)
    token += letters[random.Below(letters.size())];
  return token;
}

std::string Host(TSeededRandom &random) {
  if (random.Chance(4))
    return std::to_string(10 + random.Below(200)) + "." + std::to_string(random.Below(256)) + "." +
           std::to_string(random.Below(256)) + "." + std::to_string(1 + random.Below(254));
  std::string host;
  if (random.Chance(80)) {
    host = random.Pick(Subdomains);
    if (random.Chance(15)) host += std::to_string(random.Below(10));
    host += ".";
  }
  host += random.Pick(Words);
  if (random.Chance(35)) host += (random.Chance(50) ? "-" : "") + std::string(random.Pick(Words));
  host += random.Pick(Tlds);
  if (random.Chance(3)) host += ":8080";
  return host;
}

std::string Path(TSeededRandom &random) {
  std::string path = "/";
  const size_t depth = random.Below(5);
  for (size_t i = 0; i < depth; ++i) {
    path += random.Chance(70) ? std::string(random.Pick(Folders))
                              : Token(random, 4, 12, "abcdefghijklmnopqrstuvwxyz0123456789");
    path += "/";
  }
  if (random.Chance(80)) {
    path += random.Chance(60) ? Token(random, 3, 14, "abcdefghijklmnopqrstuvwxyz_-0123456789")
                              : Token(random, 8, 24, "0123456789abcdefABCDEF");
    path += random.Pick(Extensions);
  }
  if (random.Chance(30)) {
    const size_t pairs = 1 + random.Below(3);
    for (size_t i = 0; i < pairs; ++i) {
      path += i == 0 ? "?" : "&";
      path += random.Pick(Keys);
      path += "=";
      path +=
          Token(random, 1, 16, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789%");
    }
  }
  return path;
}

} // namespace

TCacheUrlKind DrawCleanMixKind(TSeededRandom &random) {
  const size_t roll = random.Below(100);
  return roll < 80   ? TCacheUrlKind::Http
         : roll < 95 ? TCacheUrlKind::Cookie
                     : TCacheUrlKind::Visited;
}

std::string GenerateCacheUrl(TCacheUrlKind kind, TSeededRandom &random) {
  switch (kind) {
  case TCacheUrlKind::Http: return "http://" + Host(random) + Path(random);
  case TCacheUrlKind::Cookie: {
    std::string host = Host(random);
    if (host.rfind("www.", 0) == 0 && random.Chance(50)) host.erase(0, 4);
    std::string path = "/";
    if (random.Chance(30)) path += std::string(random.Pick(Folders)) + "/";
    return "Cookie:" + std::string(random.Pick(Users)) + "@" + host + path;
  }
  case TCacheUrlKind::Visited:
    return "Visited:" + std::string(random.Pick(Users)) + "@" +
           (random.Chance(5) ? "file:///C:/Documents%20and%20Settings/" +
                                   Token(random, 3, 10, "abcdefghijklmnopqrstuvwxyz") + ".htm"
                             : "http://" + Host(random) + Path(random));
  }
  return {};
}

std::vector<std::string> GenerateCacheUrlsOfKind(TCacheUrlKind kind, size_t count, uint32_t seed) {
  TSeededRandom random(seed);
  std::vector<std::string> urls;
  urls.reserve(count);
  for (size_t i = 0; i < count; ++i)
    urls.push_back(GenerateCacheUrl(kind, random));
  return urls;
}

std::vector<std::string> GenerateCacheUrls(size_t count, uint32_t seed) {
  TSeededRandom random(seed);
  std::vector<std::string> urls;
  urls.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const size_t roll = random.Below(100);
    const TCacheUrlKind kind = roll < 70   ? TCacheUrlKind::Http
                               : roll < 85 ? TCacheUrlKind::Cookie
                                           : TCacheUrlKind::Visited;
    urls.push_back(GenerateCacheUrl(kind, random));
  }
  return urls;
}
