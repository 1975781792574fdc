#include "plugin/kavo_lumet_plug.h"

#include "editor/editor_resources.h"
#include "plugin/com_byte_stream.h"
#include "plugin/descriptor.h"

namespace {
// Touched only by construction and Destroy, on the host's main thread.
int g_instanceCount = 0;
}  // namespace

int KAVOLumetPlug::LiveInstances() { return g_instanceCount; }

KAVOLumetPlug::KAVOLumetPlug(int32_t tag, PluginHost* host, HINSTANCE module)
    : TCPPFruityPlug(tag, host),
      module_(module),
      engine_(host, tag),
      editor_(engine_, module, &editorHandle),
      mapLoader_(engine_.model, &editor_),
      panelMaps_(mapLoader_) {
  descriptor = &kPluginDescriptor;
  if (g_instanceCount == 0) CreateEditorResources(module_);
  ++g_instanceCount;
  engine_.InitState();
  engine_.SetRepaint(&editor_);
  editor_.SetMapLoading(&panelMaps_);
  editor_.Create();
}

KAVOLumetPlug::~KAVOLumetPlug() = default;

void PLUG_CALL KAVOLumetPlug::Destroy() {
  engine_.EndAllVoices();
  engine_.ReleaseHeldActionNotes();
  engine_.SetRepaint(nullptr);
  editor_.Destroy();
  if (--g_instanceCount <= 0) {
    ReleaseEditorResources();
    g_instanceCount = 0;
  }
  delete this;
}

intptr_t PLUG_CALL KAVOLumetPlug::Dispatch(int32_t request, int32_t, intptr_t value) {
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

void PLUG_CALL KAVOLumetPlug::SaveOrLoadState(IStream* stream, int32_t save) {
  ComByteStream bytes(stream);
  if (save) {
    mapLoader_.SaveHostState(bytes);
  } else {
    mapLoader_.LoadHostState(bytes);
  }
}

void PLUG_CALL KAVOLumetPlug::GetName(int32_t section, int32_t index, int32_t value, char* text) {
  if (text) engine_.GetName(section, index, value, text);
}

int32_t PLUG_CALL KAVOLumetPlug::ProcessEvent(int32_t event, int32_t value, int32_t flags) {
  return engine_.ProcessEvent(event, value, flags);
}

int32_t PLUG_CALL KAVOLumetPlug::ProcessParam(int32_t index, int32_t value, int32_t flags) {
  return engine_.ProcessParam(index, value, flags);
}

intptr_t PLUG_CALL KAVOLumetPlug::TriggerVoice(const void* voiceParams, int32_t hostVoiceTag) {
  if (!voiceParams) return 0;
  return engine_.TriggerVoice(voiceParams, hostVoiceTag);
}

void PLUG_CALL KAVOLumetPlug::ReleaseVoice(intptr_t handle) { engine_.ReleaseVoice(handle); }

void PLUG_CALL KAVOLumetPlug::KillVoice(intptr_t handle) { engine_.KillVoice(handle); }

int32_t PLUG_CALL KAVOLumetPlug::RenderVoice(intptr_t handle, float* buffer, int32_t* length) {
  if (!buffer || !length) return 0;
  return engine_.RenderVoice(handle, buffer, length);
}
