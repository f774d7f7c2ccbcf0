#include "PluginLibrary.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#ifdef _WIN32

TPluginLibrary::TPluginLibrary(const std::string &path)
    : Handle(reinterpret_cast<void *>(LoadLibraryA(path.c_str()))) {
  if (!Handle)
    throw std::runtime_error("cannot load " + path + " (error " + std::to_string(GetLastError()) +
                             ")");
}

TPluginLibrary::~TPluginLibrary() { FreeLibrary(static_cast<HMODULE>(Handle)); }

void *TPluginLibrary::Symbol(const char *name) const {
  FARPROC proc = GetProcAddress(static_cast<HMODULE>(Handle), name);
  if (!proc) throw std::runtime_error(std::string("the plug-in has no export ") + name);
  return reinterpret_cast<void *>(proc);
}

#else

TPluginLibrary::TPluginLibrary(const std::string &path) : Handle(dlopen(path.c_str(), RTLD_NOW)) {
  if (!Handle) throw std::runtime_error("cannot load " + path + ": " + dlerror());
}

TPluginLibrary::~TPluginLibrary() { dlclose(Handle); }

void *TPluginLibrary::Symbol(const char *name) const {
  void *proc = dlsym(Handle, name);
  if (!proc) throw std::runtime_error(std::string("the plug-in has no export ") + name);
  return proc;
}

#endif
