#pragma once
// The general exception class that every failure of the plug-in derives from.
#include <stdexcept>
#include <string>

// A failure with a message text for the user. Derived classes add only their
// kind (and, for platform failures, a code).
class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string &message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};
