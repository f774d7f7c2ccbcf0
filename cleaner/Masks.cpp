#include "Masks.h"

#include <cstring>

TLeadByteSet LeadBytes;

namespace {

using uchar = unsigned char;

// ASCII-only upper-casing: 'a'..'z' become 'A'..'Z', every other byte stays.
struct TUpperTable {
  uchar Byte[256];
  constexpr TUpperTable() : Byte() {
    for (int b = 0; b < 256; ++b) Byte[b] = static_cast<uchar>(b >= 'a' && b <= 'z' ? b - 0x20 : b);
  }
};
constexpr TUpperTable Upper;

[[noreturn]] void Fault(const uchar* mask, size_t position) {
  throw EMaskException("'" + std::string(reinterpret_cast<const char*>(mask)) +
                       "' is an invalid mask at (" + std::to_string(position) + ")");
}

// One walk over the mask, as Part 2.3 describes it. The counting pass
// (Fill = false) only counts the elements and finds the set faults; the
// filling pass writes `out`, which has room for exactly the counted elements,
// and enforces the star limit. Returns the element count.
//
// A lead byte as the last byte of the mask, outside a set, has no trail byte
// to pair with: it compiles as an ordinary literal of itself (a lead byte is
// never a lower-case letter, so that literal is the byte exactly). It then
// matches the same byte as the last byte of the text, which is also what a
// double-byte element "lead byte + end of text" would have meant, and the
// walk never steps over the mask's terminating zero.
template <bool Fill>
size_t Walk(const uchar* mask, TMaskElement* out) {
  size_t count = 0;
  int starGroups = 0;
  bool star = false;
  size_t i = 0; // the current byte, 0-based

  // Takes the next element of `out` with the current star flag; the star
  // limit counts against the current position.
  auto emit = [&]() -> TMaskElement* {
    TMaskElement* element = nullptr;
    if constexpr (Fill) {
      if (star && ++starGroups > MaxStarGroups) Fault(mask, i + 1);
      element = &out[count];
      element->Star = star;
    }
    ++count;
    star = false;
    return element;
  };

  for (; mask[i] != 0; ++i) {
    const uchar c = mask[i];
    if (c == '*') {
      star = true;
    } else if (c == '?') {
      if (!star)
        if (TMaskElement* element = emit()) element->Kind = mekAny;
    } else if (c == '[') {
      ++i;
      bool negated = false;
      if (mask[i] == '!') {
        negated = true;
        ++i;
      }
      TMaskMemberSet members;
      bool haveSingle = false;
      uchar last = 0;
      for (; mask[i] != 0 && mask[i] != ']'; ++i) {
        const uchar m = mask[i];
        if (LeadBytes[m]) {
          if (mask[i + 1] == 0) { // the trail byte would be the end
            ++i;
            break;
          }
          ++i; // the trail byte; the loop steps past it
        } else if (m == '-') {
          if (!haveSingle) Fault(mask, i + 1);
          if (mask[i + 1] == 0) {
            ++i;
            break;
          }
          ++i;
          if constexpr (Fill)
            for (unsigned b = last; b <= Upper.Byte[mask[i]]; ++b) members.set(b);
        } else {
          last = Upper.Byte[m];
          haveSingle = true;
          if constexpr (Fill) members.set(last);
        }
      }
      if (mask[i] == 0) Fault(mask, i + 1);
      if (!haveSingle) Fault(mask, i + 1); // closed without a member
      if (TMaskElement* element = emit()) {
        element->Kind = mekSet;
        element->Negated = negated;
        element->Members = std::make_unique<TMaskMemberSet>(members);
      }
    } else if (LeadBytes[c] && mask[i + 1] != 0) {
      ++i;
      if (TMaskElement* element = emit()) {
        element->Kind = mekDoubleByte;
        element->Lead = c;
        element->Trail = mask[i];
      }
    } else {
      if (TMaskElement* element = emit()) element->Literal = Upper.Byte[c];
    }
  }
  emit(); // the end-of-mask element: a value-initialised literal 0
  return count;
}

// Whether `element` accepts the text at `t`. `t` may point at the text's
// terminating zero, never beyond; nothing past that zero is read.
inline bool Accepts(const TMaskElement& element, const uchar* t) {
  switch (element.Kind) {
  case mekLiteral: return Upper.Byte[*t] == element.Literal;
  case mekAny: return *t != 0;
  case mekSet: return *t != 0 && (*element.Members)[Upper.Byte[*t]] != element.Negated;
  case mekDoubleByte: return t[0] == element.Lead && t[1] == element.Trail;
  }
  return false;
}

inline size_t Width(const TMaskElement& element) {
  return element.Kind == mekDoubleByte ? 2 : 1;
}

// The first position at or after `t` where `first` accepts; for a literal a
// plain scan instead of the general test. Returns null at the text's end or
// past `last` (null: no bound but the end).
inline const uchar* Seek(const TMaskElement& first, const uchar* t, const uchar* last) {
  if (first.Kind == mekLiteral) {
    const uchar want = first.Literal;
    if (want >= 'A' && want <= 'Z') {
      const uchar lower = static_cast<uchar>(want | 0x20);
      for (; *t != 0; ++t) {
        if (last && t > last) return nullptr;
        if ((*t | 0x20) == lower) return t;
      }
      return nullptr;
    }
    if (last) {
      if (t > last) return nullptr;
      return static_cast<const uchar*>(std::memchr(t, want, static_cast<size_t>(last - t) + 1));
    }
    return reinterpret_cast<const uchar*>(std::strchr(reinterpret_cast<const char*>(t), want));
  }
  for (; *t != 0; ++t) {
    if (last && t > last) return nullptr;
    if (Accepts(first, t)) return t;
  }
  return nullptr;
}

// Places the floating segments of [first, stop) one after the other, each at
// its leftmost position, within [t, limit) (limit null: up to the text's
// end). A segment runs from an element with the star flag up to the next one
// with it; it consumes a fixed number of bytes, so the leftmost placement of
// each leaves the most room to the rest and is as good as any other: this
// gives the backtracking search's answer without its backtracking.
bool PlaceSegments(const TMaskElement* first, const TMaskElement* stop, const uchar* t,
                   const uchar* limit) {
  while (first != stop) {
    const TMaskElement* segmentEnd = first + 1;
    size_t length = Width(*first);
    while (segmentEnd != stop && !segmentEnd->Star) length += Width(*segmentEnd++);

    const uchar* last = nullptr; // the last position where the segment still fits
    if (limit) {
      if (static_cast<size_t>(limit - t) < length) return false;
      last = limit - length;
    }
    for (;; ++t) {
      t = Seek(*first, t, last);
      if (!t) return false;
      const uchar* r = t + Width(*first);
      const TMaskElement* x = first + 1;
      for (; x != segmentEnd && Accepts(*x, r); ++x) r += Width(*x);
      if (x == segmentEnd) {
        t = r;
        break;
      }
      if (*r == 0) return false; // the text ends inside the segment from here on
    }
    first = segmentEnd;
  }
  return true;
}

} // namespace

TMask::TMask(const char* mask) {
  const uchar* text = reinterpret_cast<const uchar*>(mask ? mask : "");
  const size_t count = Walk<false>(text, nullptr);
  auto elements = std::make_unique<TMaskElement[]>(count);
  Walk<true>(text, elements.get());
  Elements = std::move(elements);
  Count = count;
}

TMask::TMask(const std::string& mask) : TMask(mask.c_str()) {}

TMask::~TMask() = default;

TMask::TMask(TMask&& other) noexcept
    : Elements(std::move(other.Elements)), Count(other.Count) {
  other.Count = 0;
}

TMask& TMask::operator=(TMask&& other) noexcept {
  if (this == &other) return *this;
  Elements = std::move(other.Elements);
  Count = other.Count;
  other.Count = 0;
  return *this;
}

// The mask is a head (the elements before the first star flag), anchored at
// the text's start; floating segments, each starting at a star flag; and a
// tail (from the last star flag to the end-of-mask element), anchored at the
// text's end unless the end-of-mask element carries the star flag itself.
// The head is compared forwards, the tail backwards from the end, and the
// floating segments are placed leftmost between them.
bool TMask::Matches(const char* text) const {
  if (Count == 0) return false;
  const uchar* t = reinterpret_cast<const uchar*>(text ? text : "");
  const TMaskElement* k = Elements.get();
  const TMaskElement* end = k + Count - 1;

  for (; !k->Star; ++k) {
    if (k == end) return *t == 0;
    if (!Accepts(*k, t)) return false;
    t += Width(*k);
  }
  if (end->Star) return PlaceSegments(k, end, t, nullptr);

  const TMaskElement* tail = end;
  while (!tail->Star) --tail; // stops at k at the latest
  const uchar* q = t + std::strlen(reinterpret_cast<const char*>(t));
  for (const TMaskElement* x = end; x != tail;) {
    --x;
    const size_t width = Width(*x);
    if (static_cast<size_t>(q - t) < width) return false;
    q -= width;
    if (!Accepts(*x, q)) return false;
  }
  return PlaceSegments(k, tail, t, q);
}

bool MatchesMask(const char* text, const char* mask) { return TMask(mask).Matches(text); }

bool MatchesMask(const std::string& text, const std::string& mask) {
  return TMask(mask).Matches(text);
}
