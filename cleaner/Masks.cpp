#include "Masks.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "AsciiText.h"

namespace {

using uchar = unsigned char;

// UpperAscii of every byte, looked up per byte of a match.
struct TUpperTable {
  uchar Byte[256];
  constexpr TUpperTable() : Byte() {
    for (int b = 0; b < 256; ++b)
      Byte[b] = static_cast<uchar>(UpperAscii(static_cast<char>(b)));
  }
};
constexpr TUpperTable Upper;

[[noreturn]] void Fault(const uchar *mask, size_t position) {
  throw EMaskException(reinterpret_cast<const char *>(mask), position);
}

// The walk over the mask, in two passes: the
// counting pass (CountElements) counts the elements and finds every set
// fault; the filling pass (FillElements) writes an array that has room for
// exactly the counted elements and enforces the star limit. Both share the
// scan of a set (ScanSet).
//
// A lead byte as the last byte of the mask, outside a set, has no trail byte
// to pair with: it compiles as an ordinary literal of itself (a lead byte is
// never a lower-case letter, so that literal is the byte exactly). It then
// matches the same byte as the last byte of the text, which is also what a
// double-byte element "lead byte + end of text" would have meant, and the
// walk never steps over the mask's terminating zero.

// What a byte means to the walk outside a set. Lead bytes are all above 0x7F
// on every code page, so only bytes of class High need the lead-byte set.
enum TByteClass : uchar { Plain, End, Star, Question, Open, High };
struct TClassTable {
  uchar Class[256];
  constexpr TClassTable() : Class() {
    for (int b = 0x80; b < 256; ++b)
      Class[b] = High;
    Class[0] = End;
    Class[static_cast<uchar>('*')] = Star;
    Class[static_cast<uchar>('?')] = Question;
    Class[static_cast<uchar>('[')] = Open;
  }
};
constexpr TClassTable ByteClass;

// For a byte of class Plain its upper-cased value, for every other byte 0:
// the hot loops over runs of plain bytes take one table look-up per byte.
struct TPlainTable {
  uchar Byte[256];
  constexpr TPlainTable() : Byte() {
    const TClassTable classes;
    const TUpperTable upper;
    for (int b = 0; b < 256; ++b)
      Byte[b] = classes.Class[b] == Plain ? upper.Byte[b] : 0;
  }
};
constexpr TPlainTable PlainUpper;

// Scans the set whose "[" is at mask[i]; returns the position of its "]".
// Fill: adds the members to `members`.
template <bool Fill>
size_t ScanSet(const uchar *mask, size_t i, const TLeadByteSet &lead, bool &negated,
               TMaskMemberSet *members) {
  ++i;
  negated = mask[i] == '!';
  if (negated) ++i;
  bool haveSingle = false;
  uchar last = 0;
  for (; mask[i] != 0 && mask[i] != ']'; ++i) {
    const uchar m = mask[i];
    if (lead[m]) {
      if (mask[i + 1] == 0) { // the trail byte would be the end
        ++i;
        break;
      }
      ++i; // onto the trail byte; the loop steps past it
    } else if (m == '-') {
      if (!haveSingle) Fault(mask, i + 1);
      if (mask[i + 1] == 0) {
        ++i;
        break;
      }
      ++i;
      if constexpr (Fill)
        for (unsigned b = last; b <= Upper.Byte[mask[i]]; ++b)
          members->set(b);
    } else {
      last = Upper.Byte[m];
      haveSingle = true;
      if constexpr (Fill) members->set(last);
    }
  }
  if (mask[i] == 0) Fault(mask, i + 1); // unterminated
  if (!haveSingle) Fault(mask, i + 1);  // closed without a member
  return i;
}

// The counting pass: how many elements the mask compiles to (the end
// element included). The star limit is the filling pass's to enforce.
size_t CountElements(const uchar *mask, const TLeadByteSet &lead) {
  size_t count = 0;
  bool star = false;
  auto emit = [&] {
    ++count;
    star = false;
  };
  for (size_t i = 0;; ++i) {
    if (PlainUpper.Byte[mask[i]]) { // a run of plain bytes, one literal each
      emit();
      const size_t start = i;
      do
        ++i;
      while (PlainUpper.Byte[mask[i]]);
      count += i - start - 1;
      --i; // the loop steps onto the byte after the run
      continue;
    }
    const uchar c = mask[i];
    switch (ByteClass.Class[c]) {
    case Plain: break;
    case End: emit(); return count;
    case Star: star = true; break;
    case Question:
      if (!star) emit();
      break;
    case Open: {
      bool negated;
      i = ScanSet<false>(mask, i, lead, negated, nullptr);
      emit();
      break;
    }
    case High:
      if (lead[c] && mask[i + 1] != 0) ++i;
      emit();
      break;
    }
  }
}

void FillElements(const uchar *mask, const TLeadByteSet &lead, TMaskElement *next) {
  int starGroups = 0;
  bool star = false;
  // Takes the next element with the current star flag; the star limit
  // counts against position i.
  auto emit = [&](size_t i) {
    TMaskElement *element = next++;
    if (star) {
      if (++starGroups > MaxStarGroups) Fault(mask, i + 1);
      element->Star = true;
      star = false;
    }
    return element;
  };
  for (size_t i = 0;; ++i) {
    if (uchar upper = PlainUpper.Byte[mask[i]]) { // a run of plain bytes, one literal each
      emit(i)->Literal = upper;
      while ((upper = PlainUpper.Byte[mask[i + 1]]) != 0) {
        next++->Literal = upper;
        ++i;
      }
      continue;
    }
    const uchar c = mask[i];
    switch (ByteClass.Class[c]) {
    case Plain: break;
    case End: emit(i); return; // a value-initialised element is the end of the mask
    case Star: star = true; break;
    case Question:
      if (!star) emit(i)->Kind = mekAny;
      break;
    case Open: {
      bool negated;
      TMaskMemberSet members;
      i = ScanSet<true>(mask, i, lead, negated, &members);
      TMaskElement *element = emit(i);
      element->Kind = mekSet;
      element->Negated = negated;
      element->Members = std::make_unique<TMaskMemberSet>(members);
      break;
    }
    case High:
      if (lead[c] && mask[i + 1] != 0) {
        ++i;
        TMaskElement *element = emit(i);
        element->Kind = mekDoubleByte;
        element->Lead = c;
        element->Trail = mask[i];
      } else {
        emit(i)->Literal = c;
      }
      break;
    }
  }
}

// Whether `element` accepts the text at `t`. `t` may point at the text's
// terminating zero, never beyond; nothing past that zero is read.
inline bool Accepts(const TMaskElement &element, const uchar *t) {
  switch (element.Kind) {
  case mekLiteral: return Upper.Byte[*t] == element.Literal;
  case mekAny: return *t != 0;
  case mekSet: return *t != 0 && (*element.Members)[Upper.Byte[*t]] != element.Negated;
  case mekDoubleByte: return t[0] == element.Lead && t[1] == element.Trail;
  }
  return false;
}

inline size_t Width(const TMaskElement &element) { return element.Kind == mekDoubleByte ? 2 : 1; }

constexpr uint64_t EachByte = 0x0101010101010101u;

// One byte of a segment's search key, repeated across a word for scans of
// many bytes at a time: a text byte b matches when (b | fold) == want, fold
// and want being the bytes of Fold and Want. The fold byte is 0x20 for a
// letter, which maps both its cases onto the lower one, and 0 otherwise, so
// that every other byte (those above 0x7F too) matches only itself; all-ones
// words match any byte. Kept in the segment's element, ready, so that a
// match builds nothing before its scan.
struct TKeyWord {
  uint64_t Fold = ~uint64_t{0}, Want = ~uint64_t{0};
  TKeyWord() = default;
  TKeyWord(uint64_t fold, uint64_t want) : Fold(fold), Want(want) {}
  explicit TKeyWord(uchar upper) {
    const uchar fold = IsAsciiUpper(static_cast<char>(upper)) ? kAsciiCaseBit : 0;
    Fold = EachByte * fold;
    Want = EachByte * static_cast<uchar>(upper | fold);
  }
  bool Matches(uchar b) const {
    return static_cast<uchar>(b | static_cast<uchar>(Fold)) == static_cast<uchar>(Want);
  }
};

#if defined(__SSE2__)
// Sixteen positions at once: bit i set when `a` matches c[i] and `b` c[i + 1].
inline unsigned KeyBits16(const uchar *c, TKeyWord a, TKeyWord b) {
  auto matches = [](const uchar *p, TKeyWord key) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    return _mm_cmpeq_epi8(_mm_or_si128(bytes, _mm_set1_epi64x(static_cast<long long>(key.Fold))),
                          _mm_set1_epi64x(static_cast<long long>(key.Want)));
  };
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(matches(c, a), matches(c + 1, b))));
}
#endif

inline uint64_t Load8(const uchar *p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// The high bit of each byte of `word` that matches `key`, every other bit 0
// (exact: no carry runs from one byte into the next).
inline uint64_t MatchBits(uint64_t word, TKeyWord key) {
  const uint64_t x = (word | key.Fold) ^ key.Want;
  const uint64_t low7 = EachByte * 0x7F;
  return ~(((x & low7) + low7) | x | low7);
}

// The position within its word of the first byte flagged in `bits` (nonzero).
inline size_t FirstFlagged(uint64_t bits) {
  if constexpr (std::endian::native == std::endian::little)
    return static_cast<size_t>(std::countr_zero(bits)) / 8;
  else
    return static_cast<size_t>(std::countl_zero(bits)) / 8;
}

// The first position c in [c, last] where `a` matches c[0] and `b` c[1],
// or null; the bytes up to last + 1 are readable. Sixteen positions a step
// where the processor has the instructions for it, else eight, then one.
const uchar *FindKey(TKeyWord a, TKeyWord b, const uchar *c, const uchar *last) {
#if defined(__SSE2__)
  if (last - c >= 15) {
    for (; last - c >= 15; c += 16)
      if (const unsigned bits = KeyBits16(c, a, b)) return c + std::countr_zero(bits);
    if (c > last) return nullptr;
    // The rest in one block that ends at `last`, less the positions seen.
    const uchar *block = last - 15;
    const unsigned bits = KeyBits16(block, a, b) >> (c - block);
    return bits ? c + std::countr_zero(bits) : nullptr;
  }
#endif
  for (; last - c >= 7; c += 8)
    if (const uint64_t bits = MatchBits(Load8(c), a) & MatchBits(Load8(c + 1), b))
      return c + FirstFlagged(bits);
  for (; c <= last; ++c)
    if (a.Matches(c[0]) && b.Matches(c[1])) return c;
  return nullptr;
}

// How common an (upper-cased) byte is in URLs, roughly: higher is more
// common, 0 for the bytes not listed. Used to pick the rarest key of a
// segment, so that the scan stops at few positions where the rest fails.
struct TCommonness {
  uchar Of[256];
  constexpr TCommonness() : Of() {
    const char common[] = "%&?=_-YVKFBGUD9876543210WLPHMCRNSIOAET:./"; // rarest first
    for (size_t i = 0; common[i] != 0; ++i)
      Of[static_cast<uchar>(common[i])] = static_cast<uchar>(i + 1);
  }
};
constexpr TCommonness Commonness;

// Fills in the segment that the starred element `first` starts, up to the
// next starred element: its length and its key, the rarest two adjacent
// literals in it (or else its rarest literal). Scanning for the key many
// bytes at a time and checking the whole segment only where it stands skips
// most positions of the text at a fraction of a byte's cost each.
void DescribeSegment(TMaskElement *first) {
  TMaskElement *x = first;
  unsigned best = ~0u;       // the commonness of the key so far; pairs count below singles
  bool afterLiteral = false; // the element before is a literal
  do {
    const uchar literal = x->Kind == mekLiteral ? x->Literal : 0;
    if (literal && afterLiteral) {
      const uchar before = x[-1].Literal;
      const unsigned cost = 0u + Commonness.Of[before] + Commonness.Of[literal];
      if (first->Key[1] == 0 || cost < best) {
        first->Key[0] = before;
        first->Key[1] = literal;
        first->KeyOffset = first->SegmentLength - 1;
        best = cost;
      }
    } else if (literal && first->Key[1] == 0 &&
               (first->Key[0] == 0 || Commonness.Of[literal] < best)) {
      first->Key[0] = literal;
      first->KeyOffset = first->SegmentLength;
      best = Commonness.Of[literal];
    }
    afterLiteral = literal != 0;
    first->SegmentLength += Width(*x);
    ++x;
  } while (!x->Star && !(x->Kind == mekLiteral && x->Literal == 0));
  first->SegmentCount = static_cast<size_t>(x - first);
  for (int i = 0; i < 2; ++i) {
    if (first->Key[i] == 0) break;
    const TKeyWord key(first->Key[i]);
    first->KeyFold[i] = key.Fold;
    first->KeyWant[i] = key.Want;
  }
}

// Whether every element of the segment `s` starts accepts the text from `t` on.
inline bool SegmentAt(const TMaskElement &s, const uchar *t) {
  for (const TMaskElement *x = &s, *end = x + s.SegmentCount; x != end; ++x) {
    if (!Accepts(*x, t)) return false;
    t += Width(*x);
  }
  return true;
}

// The leftmost position in [t, last] where the whole of `s` accepts, or null.
const uchar *PlaceSegment(const TMaskElement &s, const uchar *t, const uchar *last) {
  if (s.Key[0] == 0) { // no literal to look for: try every position
    for (; t <= last; ++t)
      if (SegmentAt(s, t)) return t;
    return nullptr;
  }
  // Reading one byte past the last candidate is safe: at worst it is the
  // text's terminating zero.
  const TKeyWord a(s.KeyFold[0], s.KeyWant[0]), b(s.KeyFold[1], s.KeyWant[1]);
  for (const uchar *c = t + s.KeyOffset; (c = FindKey(a, b, c, last + s.KeyOffset)) != nullptr; ++c)
    if (SegmentAt(s, c - s.KeyOffset)) return c - s.KeyOffset;
  return nullptr;
}

// Places the floating segments of [first, stop) one after the other, each at
// its leftmost position, within [t, limit), limit at or before the text's
// end. A segment runs from an element with the star flag up to the next one
// with it; it consumes a fixed number of bytes, so the leftmost placement of
// each leaves the most room to the rest and is as good as any other: this
// gives the backtracking search's answer without its backtracking.
bool PlaceSegments(const TMaskElement *first, const TMaskElement *stop, const uchar *t,
                   const uchar *limit) {
  while (first != stop) {
    if (static_cast<size_t>(limit - t) < first->SegmentLength) return false;
    t = PlaceSegment(*first, t, limit - first->SegmentLength);
    if (!t) return false;
    t += first->SegmentLength;
    first += first->SegmentCount;
  }
  return true;
}

// The mask is a head (the elements before the first star flag), anchored at
// the text's start; floating segments, each starting at a star flag; and a
// tail (from the last star flag to the end-of-mask element), anchored at the
// text's end unless the end-of-mask element carries the star flag itself.
// The head is compared forwards (in TMask::Matches, kept small for the many
// texts that fail there), the tail backwards from the end, and the floating
// segments are placed leftmost between them. `k` is the first element with
// the star flag, `t` where the head left the text.
#if defined(__GNUC__)
__attribute__((noinline))
#endif
bool MatchAfterHead(const TMaskElement *k, const TMaskElement *end, const uchar *t) {
  const uchar *q = t + std::strlen(reinterpret_cast<const char *>(t));
  const TMaskElement *floating = end; // where the floating segments stop
  if (!end->Star) {
    while (!floating->Star)
      --floating; // stops at k at the latest
    for (const TMaskElement *x = end; x != floating;) {
      --x;
      const size_t width = Width(*x);
      if (static_cast<size_t>(q - t) < width) return false;
      q -= width;
      if (!Accepts(*x, q)) return false;
    }
  }
  // One call, so that the placement is inlined here.
  return PlaceSegments(k, floating, t, q);
}

} // namespace

EMaskException::EMaskException(const std::string &mask, size_t position)
    : Exception("'" + mask + "' is an invalid mask at (" + std::to_string(position) + ")"),
      Mask(mask), Position(position) {}

TMask::TMask(const char *mask, const TLeadByteSet &lead) {
  const uchar *text = reinterpret_cast<const uchar *>(mask ? mask : "");
  const size_t count = CountElements(text, lead);
  auto elements = std::make_unique<TMaskElement[]>(count);
  FillElements(text, lead, elements.get());
  for (size_t i = 0; i + 1 < count; ++i)
    if (elements[i].Star) DescribeSegment(&elements[i]);
  size_t head = 0;
  while (head + 1 < count && !elements[head].Star && elements[head].Kind == mekLiteral)
    ++head;
  elements[0].HeadLiterals = head;
  Elements = std::move(elements);
  Count = count;
}

TMask::TMask(const std::string &mask, const TLeadByteSet &lead) : TMask(mask.c_str(), lead) {}

TMask::~TMask() = default;

TMask::TMask(TMask &&other) noexcept : Elements(std::move(other.Elements)), Count(other.Count) {
  other.Count = 0;
}

TMask &TMask::operator=(TMask &&other) noexcept {
  if (this == &other) return *this;
  Elements = std::move(other.Elements);
  Count = other.Count;
  other.Count = 0;
  return *this;
}

bool TMask::Matches(const char *text) const {
  if (Count == 0) return false;
  const uchar *t = reinterpret_cast<const uchar *>(text ? text : "");
  const TMaskElement *k = Elements.get();
  const TMaskElement *end = k + Count - 1;
  // The literal head first; the text's terminating 0 equals no literal in it.
  for (size_t n = k->HeadLiterals; n != 0; --n, ++k, ++t)
    if (Upper.Byte[*t] != k->Literal) return false;
  if (k == end && k->Star) return true; // a literal head and then "*": done
  for (; !k->Star; ++k) {
    if (k->Kind == mekLiteral) { // the end-of-mask element too: its 0 matches the text's
      if (Upper.Byte[*t] != k->Literal) return false;
      if (k == end) return true;
      ++t;
    } else {
      if (!Accepts(*k, t)) return false;
      t += Width(*k);
    }
  }
  return MatchAfterHead(k, end, t);
}

bool MatchesMask(const char *text, const char *mask, const TLeadByteSet &lead) {
  return TMask(mask, lead).Matches(text);
}

bool MatchesMask(const std::string &text, const std::string &mask, const TLeadByteSet &lead) {
  return MatchesMask(text.c_str(), mask.c_str(), lead);
}
