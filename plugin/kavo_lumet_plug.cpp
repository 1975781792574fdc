#include "plugin/kavo_lumet_plug.h"

#include "editor/editor_resources.h"
#include "plugin/com_byte_stream.h"
#include "plugin/descriptor.h"

namespace {
// Touched only by construction and destruction, on the host's main thread.
int g_instanceCount = 0;
}  // namespace

int KAVOLumetPlug::LiveInstances() { return g_instanceCount; }

KAVOLumetPlug::LiveInstance::LiveInstance(HINSTANCE module) {
  if (g_instanceCount == 0) CreateEditorResources(module);
  ++g_instanceCount;
}

KAVOLumetPlug::LiveInstance::~LiveInstance() {
  if (--g_instanceCount <= 0) {
    ReleaseEditorResources();
    g_instanceCount = 0;
  }
}

KAVOLumetPlug::KAVOLumetPlug(int32_t tag, PluginHost* host, HINSTANCE module)
    : TCPPFruityPlug(tag, host),
      module_(module),
      live_(module),
      engine_(host, tag),
      editor_(engine_, module, &editorHandle),
      mapLoader_(engine_.model, &editor_),
      panelMaps_(mapLoader_) {
  descriptor = &kPluginDescriptor;
  engine_.InitState();
  engine_.SetRepaint(&editor_);
  editor_.SetMapLoading(&panelMaps_);
  editor_.Create();
}

KAVOLumetPlug::~KAVOLumetPlug() = default;

// The window goes here; the shared resources with the last instance's
// destructor, after it.
void KAVOLumetPlug::OnDestroy() {
  engine_.EndAllVoices();
  engine_.ReleaseHeldActionNotes();
  engine_.SetRepaint(nullptr);
  editor_.Destroy();
}

intptr_t KAVOLumetPlug::OnDispatch(int32_t request, int32_t, intptr_t value) {
  switch (request) {
    case kDispatchShowEditor:
      editor_.ShowIn(reinterpret_cast<HWND>(value));
      break;
    case kDispatchPlayback:
      engine_.PlaybackChanged(value != 0);
      break;
    default:
      break;
  }
  return 0;
}

void KAVOLumetPlug::OnSaveOrLoadState(IStream* stream, int32_t save) {
  ComByteStream bytes(stream);
  if (save) {
    mapLoader_.SaveHostState(bytes);
  } else {
    mapLoader_.LoadHostState(bytes);
  }
}

void KAVOLumetPlug::StateRefused(bool save, host_boundary::Refusal why) noexcept {
  const bool memory = why == host_boundary::Refusal::kOutOfMemory;
  editor_.TellLater(save ? (memory ? "Settings not saved: not enough memory"
                                   : "Settings not saved: an internal error")
                         : (memory ? "Settings not loaded: not enough memory; nothing changed"
                                   : "Settings not loaded: an internal error"));
}

void KAVOLumetPlug::OnGetName(int32_t section, int32_t index, int32_t value, char* text) {
  if (text) engine_.GetName(section, index, value, text);
}

int32_t KAVOLumetPlug::OnProcessEvent(int32_t event, int32_t value, int32_t flags) {
  return engine_.ProcessEvent(event, value, flags);
}

int32_t KAVOLumetPlug::OnProcessParam(int32_t index, int32_t value, int32_t flags) {
  return engine_.ProcessParam(index, value, flags);
}

intptr_t KAVOLumetPlug::OnTriggerVoice(const void* voiceParams, int32_t hostVoiceTag) {
  if (!voiceParams) return 0;
  return engine_.TriggerVoice(voiceParams, hostVoiceTag);
}

void KAVOLumetPlug::OnReleaseVoice(intptr_t handle) { engine_.ReleaseVoice(handle); }

void KAVOLumetPlug::OnKillVoice(intptr_t handle) { engine_.KillVoice(handle); }

int32_t KAVOLumetPlug::OnRenderVoice(intptr_t handle, float* buffer, int32_t* length) {
  if (!buffer || !length) return 0;
  return engine_.RenderVoice(handle, buffer, length);
}
