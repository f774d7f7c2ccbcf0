#include "CommonControls.h"

namespace {

constexpr int kManifestResource = 2; // ISOLATIONAWARE_MANIFEST_RESOURCE_ID, CommonControls.rc

} // namespace

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

TActivationContext CommonControlsContext() {
  ACTCTXA info{};
  info.cbSize = sizeof info;
  info.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
  info.hModule = ThisModule();
  info.lpResourceName = MAKEINTRESOURCEA(kManifestResource);
  return TActivationContext(CreateActCtxA(&info));
}
