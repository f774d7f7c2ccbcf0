#pragma once
// Version 6 of the common controls, whose push buttons draw a glyph beside
// their caption. The module carries their manifest (CommonControls.rc);
// windows created while its activation context is active are of version 6.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>

#include "Handles.h"

struct TActivationContextTraits {
  using TValue = HANDLE;
  static TValue Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(TValue context) { ReleaseActCtx(context); }
};
using TActivationContext = TUniqueHandle<TActivationContextTraits>;

struct TImageListTraits {
  using TValue = HIMAGELIST;
  static TValue Invalid() { return nullptr; }
  static void Close(TValue list) { ImageList_Destroy(list); }
};
using TImageList = TUniqueHandle<TImageListTraits>;

// The module this code is linked into: the plug-in DLL, or a test program.
HINSTANCE ThisModule();

// The activation context of the manifest the module of this code carries;
// invalid when it has none (the controls are then of the system's default
// version, with plain push buttons).
TActivationContext CommonControlsContext();

// Keeps an activation context active for a scope; does nothing for an
// invalid one.
class TActivation {
public:
  explicit TActivation(const TActivationContext &context)
      : Active(context && ActivateActCtx(context.Get(), &Cookie)) {}
  ~TActivation() {
    if (Active) DeactivateActCtx(0, Cookie);
  }
  TActivation(const TActivation &) = delete;
  TActivation &operator=(const TActivation &) = delete;

private:
  ULONG_PTR Cookie = 0;
  bool Active;
};
