#pragma once
// What a category's type setting asks a clean for.
#include <cstdint>

// The type setting as stored, kept exactly as it was read: All (0) takes
// every entry of the category, ByMask (1) the entries that match the user's
// mask. Any other number ("other", such as 2) sweeps nothing and is saved
// back unchanged.
enum class TSweepType : int32_t { All = 0, ByMask = 1 };

// The number the INI file stores for `type`.
constexpr int32_t TypeCode(TSweepType type) { return static_cast<int32_t>(type); }

// The type that the stored number `code` stands for.
constexpr TSweepType SweepTypeOf(int32_t code) { return static_cast<TSweepType>(code); }

// Whether `type` is neither All nor ByMask: its category is not swept.
constexpr bool IsOtherType(TSweepType type) {
  return type != TSweepType::All && type != TSweepType::ByMask;
}
