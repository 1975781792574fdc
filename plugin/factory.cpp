// The module's one export: builds a plug-in object for the host.
#include <windows.h>

#include <new>

#include "plugin/kavo_lumet_plug.h"

namespace {
// The module this code lives in (the DLL, or a test program linking it),
// whose resources hold the dialog and the skin.
HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&OwnModule), &module);
  return module;
}
}  // namespace

extern "C" TFruityPlug* PLUG_CALL CreatePlugInstance(PluginHost* host, int32_t tag) {
  return new (std::nothrow) KAVOLumetPlug(tag, host, OwnModule());
}
