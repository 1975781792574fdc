// The module's one export: builds a plug-in object for the host.
#include <windows.h>

#include "editor/system_callbacks.h"
#include "plugin/kavo_lumet_plug.h"

// A construction that throws leaves nothing behind (every part cleans up
// after itself) and answers null, the host's "no instance".
extern "C" TFruityPlug* PLUG_CALL CreatePlugInstance(PluginHost* host, int32_t tag) {
  return host_boundary::Call(
      [&]() -> TFruityPlug* {
        return new KAVOLumetPlug(tag, host, system_callbacks::ThisModule());
      },
      host_boundary::Answer<TFruityPlug*>(nullptr));
}
