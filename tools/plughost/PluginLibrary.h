#pragma once
// A loaded plug-in library and lookup of its exports by plain name.
#include <string>

class TPluginLibrary {
public:
  // Loads the library at `path`; throws std::runtime_error when it cannot.
  explicit TPluginLibrary(const std::string &path);
  ~TPluginLibrary();
  TPluginLibrary(const TPluginLibrary &) = delete;
  TPluginLibrary &operator=(const TPluginLibrary &) = delete;

  // The export named `name`; throws std::runtime_error when there is none.
  template <typename F> F Export(const char *name) const {
    return reinterpret_cast<F>(Symbol(name));
  }

private:
  void *Symbol(const char *name) const;
  void *Handle;
};
