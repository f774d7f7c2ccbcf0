#include "KeepSites.h"

#include "AsciiText.h"
#include "UrlCache.h"

namespace {

constexpr std::string_view CookiePrefix = "Cookie:";
constexpr std::string_view VisitedPrefix = "Visited:";
constexpr std::string_view WildcardPrefix = "*.";

bool IsBlank(char c) { return kSpaceAndTab.find(c) != std::string_view::npos; }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHighByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

bool IsLabelByte(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '-' || c == '_' || IsHighByte(c);
}

bool IsSchemeByte(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '+' || c == '-' || c == '.';
}

// The typed name without its leading "*." or ".".
std::string_view DropWildcard(std::string_view typed) {
  if (typed.starts_with(WildcardPrefix)) return typed.substr(WildcardPrefix.size());
  if (typed.starts_with('.')) return typed.substr(1);
  return typed;
}

// The name as matched: wildcard dropped, ASCII letters lowered.
std::string MatchedName(std::string_view typed) {
  std::string name(DropWildcard(typed));
  for (char &c : name)
    c = LowerAscii(c);
  return name;
}

// Whether `host` is `lowerName` or ends in "." and `lowerName`.
bool HostBelongsTo(std::string_view host, std::string_view lowerName) {
  if (host.size() < lowerName.size()) return false;
  const size_t offset = host.size() - lowerName.size();
  if (offset > 0 && host[offset - 1] != '.') return false;
  return SameAsciiNoCase(host.substr(offset), lowerName);
}

struct TNameFault {
  TKeepSiteFaultKind Kind;
  std::string Reason;
};

TNameFault CharacterFault(char c) {
  if (c == '*') return {TKeepSiteFaultKind::MisplacedStar, "'*' is allowed only as a leading '*.'"};
  if (IsBlank(c)) return {TKeepSiteFaultKind::Blank, "a blank is not allowed"};
  if (c > ' ' && c < 0x7F)
    return {TKeepSiteFaultKind::BadCharacter, std::string("'") + c + "' is not allowed"};
  constexpr std::string_view digits = "0123456789ABCDEF";
  const auto byte = static_cast<unsigned char>(c);
  return {TKeepSiteFaultKind::BadCharacter,
          std::string("byte 0x") + digits[byte >> 4] + digits[byte & 0xF] + " is not allowed"};
}

// The first fault of a typed name (blanks around it removed), scanning left
// to right, or nothing when it is a site name.
std::optional<TNameFault> FindNameFault(std::string_view typed) {
  const std::string_view name = DropWildcard(typed);
  if (name.empty()) {
    if (typed.empty()) return TNameFault{TKeepSiteFaultKind::EmptyName, "the name is empty"};
    return TNameFault{TKeepSiteFaultKind::EmptyName,
                      "nothing follows the leading '" + std::string(typed) + "'"};
  }
  bool labelEmpty = true;
  for (const char c : name) {
    if (c == '.') {
      if (labelEmpty)
        return TNameFault{TKeepSiteFaultKind::EmptyLabel, "'..' is not allowed (an empty label)"};
      labelEmpty = true;
    } else if (IsLabelByte(c)) {
      labelEmpty = false;
    } else {
      return CharacterFault(c);
    }
  }
  if (labelEmpty)
    return TNameFault{TKeepSiteFaultKind::TrailingDot, "a trailing '.' is not allowed"};
  return std::nullopt;
}

std::optional<TKeepSiteFault> CheckItem(std::string_view typed, size_t position) {
  std::optional<TNameFault> fault = FindNameFault(typed);
  if (!fault) return std::nullopt;
  return TKeepSiteFault{fault->Kind, std::string(typed), position, std::move(fault->Reason)};
}

// The sites of a stored text, or its first malformed item.
struct TParsedList {
  std::vector<TKeepSite> Sites;
  std::optional<TKeepSiteFault> Fault;
};

TParsedList ParseList(std::string_view text) {
  TParsedList parsed;
  size_t position = 0;
  while (true) {
    const size_t separator = text.find(';');
    const std::string_view typed = Trim(text.substr(0, separator), kSpaceAndTab);
    if (!typed.empty()) {
      parsed.Fault = CheckItem(typed, ++position);
      if (parsed.Fault) return parsed;
      parsed.Sites.push_back({std::string(typed), MatchedName(typed)});
    }
    if (separator == std::string_view::npos) return parsed;
    text.remove_prefix(separator + 1);
  }
}

// The typed name of a lone name, checked; raises EKeepSitesException.
std::string_view RequireName(std::string_view name) {
  const std::string_view typed = Trim(name, kSpaceAndTab);
  if (std::optional<TKeepSiteFault> fault = CheckItem(typed, 0)) throw EKeepSitesException(*fault);
  return typed;
}

// The length of the authority that begins `rest`: up to the first "/", "?"
// or "#", or the whole text.
size_t AuthorityLength(std::string_view rest) {
  size_t length = 0;
  while (length < rest.size() && rest[length] != '/' && rest[length] != '?' && rest[length] != '#')
    ++length;
  return length;
}

// The host of "scheme://[userinfo@]HOST[:port]/...", or empty.
std::string_view UrlHost(std::string_view url) {
  if (url.empty() || !IsAsciiLetter(url.front())) return {};
  size_t schemeEnd = 1;
  while (schemeEnd < url.size() && IsSchemeByte(url[schemeEnd]))
    ++schemeEnd;
  if (url.substr(schemeEnd, 3) != "://") return {};
  std::string_view authority = url.substr(schemeEnd + 3);
  authority = authority.substr(0, AuthorityLength(authority));
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos)
    authority.remove_prefix(at + 1);
  if (authority.starts_with('[')) {
    const size_t close = authority.find(']');
    return close == std::string_view::npos ? std::string_view{} : authority.substr(0, close + 1);
  }
  return authority.substr(0, authority.find(':'));
}

// The text after the first "@", or nothing when there is no "@".
std::optional<std::string_view> AfterFirstAt(std::string_view text) {
  const size_t at = text.find('@');
  if (at == std::string_view::npos) return std::nullopt;
  return text.substr(at + 1);
}

std::string JoinTyped(const std::vector<TKeepSite> &sites, const std::string *skipName) {
  std::string text;
  for (const TKeepSite &site : sites) {
    if (skipName && site.Name == *skipName) continue;
    if (!text.empty()) text += ';';
    text += site.Typed;
  }
  return text;
}

} // namespace

std::string TKeepSiteFault::Message() const {
  std::string message = "'" + Item + "' is not a site name";
  if (Position > 0) message += " (item " + std::to_string(Position) + ")";
  return message + ": " + Reason;
}

EKeepSitesException::EKeepSitesException(const TKeepSiteFault &fault)
    : Exception(fault.Message()), Fault(fault) {}

TKeepSites TKeepSites::Parse(std::string_view text) {
  TParsedList parsed = ParseList(text);
  if (parsed.Fault) throw EKeepSitesException(*parsed.Fault);
  return TKeepSites(std::move(parsed.Sites));
}

std::optional<TKeepSiteFault> TKeepSites::Validate(std::string_view text) {
  return ParseList(text).Fault;
}

std::optional<TKeepSiteFault> TKeepSites::ValidateName(std::string_view name) {
  return CheckItem(Trim(name, kSpaceAndTab), 0);
}

std::string_view TKeepSites::EntryHost(std::string_view url) {
  if (url.starts_with(CookiePrefix)) {
    const std::optional<std::string_view> rest = AfterFirstAt(url.substr(CookiePrefix.size()));
    return rest ? rest->substr(0, rest->find('/')) : std::string_view{};
  }
  if (url.starts_with(VisitedPrefix)) {
    const std::optional<std::string_view> rest = VisitedUrlOf(url);
    return rest ? UrlHost(*rest) : std::string_view{};
  }
  return UrlHost(url);
}

const std::string *TKeepSites::KeptBy(std::string_view url) const {
  std::string_view host = EntryHost(url);
  if (host.ends_with('.')) host.remove_suffix(1);
  if (host.empty()) return nullptr;
  for (const TKeepSite &site : Sites)
    if (HostBelongsTo(host, site.Name)) return &site.Typed;
  return nullptr;
}

bool TKeepSites::Lists(std::string_view name) const {
  const std::string_view typed = Trim(name, kSpaceAndTab);
  if (FindNameFault(typed)) return false;
  const std::string matched = MatchedName(typed);
  for (const TKeepSite &site : Sites)
    if (site.Name == matched) return true;
  return false;
}

std::string TKeepSites::Join() const { return JoinTyped(Sites, nullptr); }

std::string TKeepSites::Add(std::string_view name) const {
  const std::string_view typed = RequireName(name);
  std::string text = Join();
  if (Lists(typed)) return text;
  if (!text.empty()) text += ';';
  return text.append(typed);
}

std::string TKeepSites::Remove(std::string_view name) const {
  const std::string matched = MatchedName(RequireName(name));
  return JoinTyped(Sites, &matched);
}
