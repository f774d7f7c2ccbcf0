#pragma once
// Masks: the wildcard matcher of URL masks. A mask is compiled once into a
// sequence of elements (TMask) and then matched against any number of texts,
// whole text against whole mask; MatchesMask does both for one text.
//
// The mask language: "*" any run of bytes (also none), "?" one byte, "[...]"
// one byte of a set ("[!...]" negated, "a-z" ranges), a lead byte and the
// byte after it one double-byte character, any other byte itself. ASCII
// letters compare without regard to case, nothing else does. Texts and masks
// are byte strings that end at their first zero byte.
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "LeadBytes.h"
#include "SysUtils.h"

// A malformed mask. The message is "'<mask>' is an invalid mask at (<pos>)",
// the position 1-based in the mask text where compilation stood.
class EMaskException : public Exception {
public:
  EMaskException(const std::string &mask, size_t position);
  const std::string Mask; // the whole mask text as compiled
  const size_t Position;  // 1-based, in Mask
};

// The largest number of elements of one mask that may carry the star flag,
// the end-of-mask element included.
constexpr int MaxStarGroups = 30;

// No lead bytes: every byte is a character of its own (single-byte code pages).
inline const TLeadByteSet kSingleByte{};

enum TMaskElementKind : unsigned char { mekLiteral, mekAny, mekSet, mekDoubleByte };

// One byte per bit: the upper-cased byte values a set element accepts.
using TMaskMemberSet = std::bitset<256>;

// One compiled element. A value-initialised element is the end-of-mask
// element without the star flag.
struct TMaskElement {
  TMaskElementKind Kind = mekLiteral;
  bool Star = false;                 // one or more "*" stood before it
  unsigned char Literal = 0;         // mekLiteral: the upper-cased byte; 0 = end of mask
  bool Negated = false;              // mekSet: "[!...]"
  unsigned char Lead = 0, Trail = 0; // mekDoubleByte: the two bytes as written
  // With the star flag, before the end of the mask: the segment this element
  // starts, up to the next element with the flag. Its element count and byte
  // length, and the key the matcher scans for: two adjacent literals
  // (upper-cased; Key[1] 0: one literal; Key[0] 0: none) KeyOffset bytes in.
  unsigned char Key[2] = {0, 0};
  // The key ready for the scan, each byte repeated across a word: a text
  // byte b matches Key[i] when (b | fold) == want for the bytes of
  // KeyFold[i] and KeyWant[i]; all-ones words match any byte.
  uint64_t KeyFold[2] = {~uint64_t{0}, ~uint64_t{0}}, KeyWant[2] = {~uint64_t{0}, ~uint64_t{0}};
  size_t SegmentCount = 0, SegmentLength = 0, KeyOffset = 0;
  // On the first element only: how many elements from it on are literals
  // without the star flag (the end-of-mask element not counted), so that the
  // match compares a literal head like "http://" in a tight loop.
  size_t HeadLiterals = 0;
  std::unique_ptr<TMaskMemberSet> Members; // mekSet: owned; null for the other kinds
};

// A compiled mask. Not copyable; a moved-from TMask matches nothing and may
// only be destroyed or assigned to.
class TMask {
public:
  // Compiles `mask` (null reads as the empty mask) in two passes: one that
  // counts the elements and finds every set fault, then one that fills an
  // array allocated once at exactly that count and enforces the star limit.
  // `lead` names the bytes that begin a double-byte character in the code
  // page of the mask and the texts. Raises EMaskException for a malformed
  // mask; nothing stays allocated then.
  explicit TMask(const char *mask, const TLeadByteSet &lead = kSingleByte);
  explicit TMask(const std::string &mask, const TLeadByteSet &lead = kSingleByte);
  ~TMask();

  TMask(const TMask &) = delete;
  TMask &operator=(const TMask &) = delete;
  TMask(TMask &&other) noexcept;
  TMask &operator=(TMask &&other) noexcept;

  // True when the whole `text` (null reads as empty) matches the whole mask.
  // Gives the answers of the classic backtracking search in time at most
  // proportional to (text length x element count), one pass for the usual
  // masks. Raises nothing; the mask does not change.
  bool Matches(const char *text) const;
  bool Matches(const std::string &text) const { return Matches(text.c_str()); }

  // The compiled elements, end-of-mask element included (for tests).
  size_t ElementCount() const { return Count; }
  const TMaskElement &Element(size_t index) const { return Elements[index]; }

private:
  std::unique_ptr<TMaskElement[]> Elements;
  size_t Count = 0;
};

// Whether the whole `text` matches the whole `mask` (null reads as empty):
// compiles a TMask from `mask` in the code page of `lead`, matches `text`
// once and releases it. Raises EMaskException for a malformed mask, whatever
// the text. To match many texts, compile a TMask once.
bool MatchesMask(const char *text, const char *mask, const TLeadByteSet &lead = kSingleByte);
bool MatchesMask(const std::string &text, const std::string &mask,
                 const TLeadByteSet &lead = kSingleByte);
