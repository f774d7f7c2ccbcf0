#include "MaskOracle.h"

#include "CodePageGuard.h"

// Written step by step from the mask language's definition, keeping its
// structure rather than speed, so that a reader can check it line by line.

namespace {

using uchar = unsigned char;

uchar UpperCase(uchar b) { return b >= 0x61 && b <= 0x7A ? static_cast<uchar>(b - 0x20) : b; }

bool IsLeadByte(uchar b) { return TestLeadBytes().test(b); }

[[noreturn]] void Malformed(const char *mask, size_t position1) {
  throw EMaskException(mask, position1);
}

// One pass of the walk. countingPass: count only, no star limit; otherwise
// fill `elements` (already sized) and enforce the star limit.
size_t WalkMask(const char *maskText, bool countingPass,
                std::vector<TOracleMask::TElement> *elements) {
  const uchar *mask = reinterpret_cast<const uchar *>(maskText);
  size_t position = 0;
  size_t emitted = 0;
  int starGroups = 0;
  bool starFlag = false;
  bool negatedFlag = false;
  std::bitset<256> memberSet;

  auto emit = [&](TMaskElementKind kind, uchar literal, uchar lead, uchar trail) {
    if (starFlag && !countingPass) {
      ++starGroups;
      if (starGroups == MaxStarGroups + 1) Malformed(maskText, position + 1);
    }
    if (!countingPass) {
      TOracleMask::TElement &element = (*elements)[emitted];
      element.Star = starFlag;
      element.Kind = kind;
      element.Literal = literal;
      element.Negated = negatedFlag;
      if (kind == mekSet) element.Members = std::make_unique<std::bitset<256>>(memberSet);
      element.Lead = lead;
      element.Trail = trail;
    }
    ++emitted;
    starFlag = false;
    negatedFlag = false;
    memberSet.reset();
  };

  auto scanSet = [&] {
    // 1. Step past the "["; a "!" there negates.
    ++position;
    if (mask[position] == '!') {
      negatedFlag = true;
      ++position;
    }
    // 2. No single member seen yet.
    bool singleSeen = false;
    uchar lastSingle = 0;
    // 3. Until the zero byte or "]".
    while (mask[position] != 0 && mask[position] != ']') {
      const uchar b = mask[position];
      if (IsLeadByte(b)) {
        // 3.1 skip it and the byte after it; stop on the zero byte.
        ++position;
        if (mask[position] == 0) break;
      } else if (b == '-') {
        // 3.2 a range from the last single member.
        if (!singleSeen) Malformed(maskText, position + 1);
        ++position;
        if (mask[position] == 0) break;
        const uchar upper = UpperCase(mask[position]);
        for (unsigned v = lastSingle; v <= upper; ++v)
          memberSet.set(v);
      } else {
        // 3.3 a single member.
        const uchar upper = UpperCase(b);
        memberSet.set(upper);
        lastSingle = upper;
        singleSeen = true;
      }
      // 3.4 step.
      ++position;
    }
    // 4. The faults.
    if (mask[position] == 0) Malformed(maskText, position + 1);
    if (memberSet.none()) Malformed(maskText, position + 1);
  };

  while (mask[position] != 0) {
    const uchar b = mask[position];
    if (b == '*') {
      starFlag = true;
    } else if (b == '?') {
      if (!starFlag) emit(mekAny, 0, 0, 0);
    } else if (b == '[') {
      scanSet();
      emit(mekSet, 0, 0, 0);
    } else if (IsLeadByte(b) && mask[position + 1] != 0) {
      // With no trail byte before the mask's end, the lead
      // byte falls through to the last case and is a literal of itself.
      ++position;
      emit(mekDoubleByte, 0, b, mask[position]);
    } else {
      emit(mekLiteral, UpperCase(b), 0, 0);
    }
    ++position;
  }
  emit(mekLiteral, 0, 0, 0);
  return emitted;
}

} // namespace

TOracleMask::TOracleMask(const char *mask) {
  if (!mask) mask = "";
  const size_t count = WalkMask(mask, true, nullptr);
  ElementArray.resize(count);
  WalkMask(mask, false, &ElementArray);
}

std::optional<bool> TOracleMask::Matches(const char *textPtr, uint64_t budget) const {
  const uchar *text = reinterpret_cast<const uchar *>(textPtr ? textPtr : "");
  const size_t count = ElementArray.size();
  uint64_t steps = 0;
  bool outOfBudget = false;

  auto accepts = [&](const TElement &e, size_t p, size_t &consumed) {
    if (++steps > budget) outOfBudget = true;
    const bool atEnd = text[p] == 0;
    consumed = 1;
    switch (e.Kind) {
    case mekLiteral: return UpperCase(text[p]) == e.Literal;
    case mekAny: return !atEnd;
    case mekSet: return !atEnd && (e.Members->test(UpperCase(text[p])) != e.Negated);
    case mekDoubleByte: consumed = 2; return text[p] == e.Lead && !atEnd && text[p + 1] == e.Trail;
    }
    return false;
  };

  struct TRetry {
    size_t Position, Element;
  };
  TRetry stack[MaxStarGroups];
  int top = 0;

  auto attempt = [&](size_t p, size_t k) {
    for (; k < count; ++k) {
      if (outOfBudget) return false;
      const TElement &e = ElementArray[k];
      size_t consumed = 0;
      if (e.Star) {
        // The search, byte by byte for every kind.
        while (text[p] != 0 && !accepts(e, p, consumed)) {
          ++p;
          if (outOfBudget) return false;
        }
        if (text[p] != 0) stack[top++] = {p + 1, k};
      }
      if (!accepts(e, p, consumed)) return false;
      p += consumed;
    }
    return true;
  };

  bool answer = attempt(0, 0);
  while (!answer && top > 0 && !outOfBudget) {
    const TRetry retry = stack[--top];
    answer = attempt(retry.Position, retry.Element);
  }
  if (outOfBudget) return std::nullopt;
  return answer;
}

bool OracleMatchesMask(const std::string &text, const std::string &mask) {
  return *TOracleMask(mask).Matches(text);
}

std::string DifferenceOfElements(const TMask &mask, const TOracleMask &oracle) {
  const auto &expected = oracle.Elements();
  if (mask.ElementCount() != expected.size())
    return "element count " + std::to_string(mask.ElementCount()) + " vs " +
           std::to_string(expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const TMaskElement &a = mask.Element(i);
    const TOracleMask::TElement &b = expected[i];
    bool same = a.Star == b.Star && a.Kind == b.Kind;
    if (same) switch (a.Kind) {
      case mekLiteral: same = a.Literal == b.Literal && !a.Members; break;
      case mekAny: same = !a.Members; break;
      case mekSet: same = a.Negated == b.Negated && a.Members && *a.Members == *b.Members; break;
      case mekDoubleByte: same = a.Lead == b.Lead && a.Trail == b.Trail && !a.Members; break;
      }
    if (!same) return "element " + std::to_string(i);
  }
  return "";
}
