#pragma once
// KeepSites: the sites whose cache entries, cookies and history a clean
// leaves alone. The list is stored as one INI value, the names separated by
// ";" ("example.com;mail.example.org"). A listed name keeps every entry whose
// host is that name or ends in "." and that name, so "example.com" keeps
// "www.example.com" but never "badexample.com".
//
// Names: ASCII letters, digits, "-", "_" and bytes of 0x80 and above, in
// labels joined by single dots. A leading "*." or "." is dropped
// ("*.example.com" means "example.com"). Blanks (space, tab) around a name
// and empty items are ignored. Anything else is malformed: another byte, an
// empty label ("a..b", and a trailing dot, "example.com."), a "*" anywhere
// but in the leading "*.". Label and name lengths are not checked. ASCII
// letters compare without regard to case; every other byte compares exactly.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "SysUtils.h"

// What makes a name malformed.
enum class TKeepSiteFaultKind {
  EmptyName,     // nothing is left once the leading "*." or "." is dropped
  EmptyLabel,    // ".." (a dot where a label should begin)
  TrailingDot,   // the name ends in "."
  MisplacedStar, // a "*" other than the leading "*."
  Blank,         // a space or tab inside the name
  BadCharacter,  // any other byte not allowed in a host name
};

// One malformed name: which one, where in the list, and why.
struct TKeepSiteFault {
  TKeepSiteFaultKind Kind = TKeepSiteFaultKind::EmptyName;
  std::string Item;    // the name as typed, blanks around it removed
  size_t Position = 0; // 1-based among the list's non-empty items; 0 for a lone name
  std::string Reason;  // for the user, e.g. "'/' is not allowed"

  // "'<item>' is not a site name (item <position>): <reason>", without the
  // "(item ...)" for a lone name.
  std::string Message() const;
};

// A malformed keep list or name met where a valid one is required. The
// message is the fault's Message().
class EKeepSitesException : public Exception {
public:
  explicit EKeepSitesException(const TKeepSiteFault &fault);
  const TKeepSiteFault Fault;
};

// One listed site.
struct TKeepSite {
  std::string Typed; // as typed, blanks around it removed (e.g. "*.Example.COM")
  std::string Name;  // as matched: leading "*." or "." dropped, ASCII letters in lower case
};

// A valid keep list, in the order typed. Immutable once parsed; Add and
// Remove give the text of a new list.
class TKeepSites {
public:
  // The empty list: keeps nothing.
  TKeepSites() = default;

  // Parses the stored text (empty: the empty list). Raises
  // EKeepSitesException naming the first malformed item.
  static TKeepSites Parse(std::string_view text);
  // The first malformed item of the stored text, or nothing when the text
  // parses. Never raises.
  static std::optional<TKeepSiteFault> Validate(std::string_view text);
  // The fault of one name (as Validate, Position 0), or nothing when it is a
  // site name. ";" is not allowed in it. Never raises.
  static std::optional<TKeepSiteFault> ValidateName(std::string_view name);

  // The host an entry's URL names, or the empty view when it has none:
  // "Cookie:user@HOST/path" gives the text between the first "@" and the
  // next "/"; "Visited:user@URL" the host of the URL after the first "@";
  // any other URL "scheme://[userinfo@]HOST[:port]/..." its host ("[...]"
  // kept whole for an IPv6 literal). The prefixes compare with case, as the
  // cache writes them; the scheme without. The view points into `url`.
  static std::string_view EntryHost(std::string_view url);

  // True when no site is listed.
  bool Empty() const { return Sites.empty(); }
  // The listed sites in the order typed; empty for the empty list.
  const std::vector<TKeepSite> &Items() const { return Sites; }

  // The first listed site (its Typed text) that keeps the entry of `url`,
  // or null when none does or the URL has no host (EntryHost). One trailing
  // "." of the entry's host is ignored. Allocates nothing. The pointer lives
  // as long as this list.
  const std::string *KeptBy(std::string_view url) const;
  // True when a listed site keeps the entry of `url` (KeptBy is not null).
  bool Keeps(std::string_view url) const { return KeptBy(url) != nullptr; }
  // True when a site with the same name as `name` (compared as matched:
  // "*.A.com" lists as "a.com") is listed; false for a malformed name.
  bool Lists(std::string_view name) const;

  // The stored text of this list: the typed items joined by ";"; empty for
  // the empty list.
  std::string Join() const;
  // The stored text of this list with `name` (blanks around it removed)
  // appended, or of this list unchanged when a site of that name is listed
  // already. Raises EKeepSitesException (Position 0) for a malformed name.
  [[nodiscard]] std::string Add(std::string_view name) const;
  // The stored text of this list without every site of the same name as
  // `name`; unchanged when none is listed. Raises EKeepSitesException
  // (Position 0) for a malformed name.
  [[nodiscard]] std::string Remove(std::string_view name) const;

private:
  explicit TKeepSites(std::vector<TKeepSite> sites) : Sites(std::move(sites)) {}

  std::vector<TKeepSite> Sites;
};
