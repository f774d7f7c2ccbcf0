#pragma once
// A strict JSON reader for tests: parses a whole document (RFC 8259) into a
// tree, so a test can check what a program printed member by member.
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class TJsonValue;
using TJsonObject = std::map<std::string, TJsonValue>;
using TJsonArray = std::vector<TJsonValue>;

// One JSON value. Numbers keep their text; integers read back exactly.
class TJsonValue {
public:
  struct TNumber {
    std::string Text;
  };
  using TData = std::variant<std::nullptr_t, bool, TNumber, std::string, TJsonArray, TJsonObject>;

  TJsonValue() : Data(nullptr) {}
  explicit TJsonValue(TData data) : Data(std::move(data)) {}

  // Parses `text`, which must hold exactly one value (blanks around it
  // allowed). Raises std::runtime_error naming the offset of a fault.
  static TJsonValue Parse(std::string_view text);

  bool IsNull() const { return std::holds_alternative<std::nullptr_t>(Data); }
  // Each accessor raises std::runtime_error when the value is of another kind.
  bool Bool() const;
  uint64_t Unsigned() const; // a non-negative integer number
  int64_t Signed() const;    // an integer number
  const std::string &String() const;
  const TJsonArray &Array() const;
  const TJsonObject &Object() const;

  // The member `name` of an object; raises when absent.
  const TJsonValue &operator[](const std::string &name) const;
  // The element `index` of an array; raises when out of range.
  const TJsonValue &operator[](size_t index) const;
  bool Has(const std::string &name) const;

private:
  TData Data;
};
