#include "plugin/cpp_fruity_plug.h"

#include <cstring>

using host_boundary::Answer;
using host_boundary::Call;

TCPPFruityPlug::TCPPFruityPlug(int32_t tag, PluginHost* host) : host_(host) {
  hostTag = tag;
  if (!host_) return;
  const auto* text = reinterpret_cast<const char*>(host_->HostDispatch(tag, kHostNameText, 0, 0));
  if (!text) return;
  // The host's text may be unterminated: read no further than the field.
  const void* end = std::memchr(text, 0, kHostTextSize - 1);
  const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - text)
                            : static_cast<size_t>(kHostTextSize - 1);
  std::memcpy(hostNameText_, text, length);
  hostNameText_[length] = 0;
}

void PLUG_CALL TCPPFruityPlug::Destroy() {
  Call([&] { OnDestroy(); });
  delete this;
}

intptr_t PLUG_CALL TCPPFruityPlug::Dispatch(int32_t request, int32_t index, intptr_t value) {
  return Call([&] { return OnDispatch(request, index, value); }, Answer(intptr_t{0}));
}

void PLUG_CALL TCPPFruityPlug::Idle() {
  Call([&] { OnIdle(); });
}

void PLUG_CALL TCPPFruityPlug::SaveOrLoadState(IStream* stream, int32_t save) {
  Call([&] { OnSaveOrLoadState(stream, save); },
       [&](host_boundary::Refusal why) noexcept { StateRefused(save != 0, why); });
}

void PLUG_CALL TCPPFruityPlug::GetName(int32_t section, int32_t index, int32_t value, char* text) {
  Call([&] { OnGetName(section, index, value, text); },
       [&](host_boundary::Refusal) noexcept {
         if (text) text[0] = 0;
       });
}

int32_t PLUG_CALL TCPPFruityPlug::ProcessEvent(int32_t event, int32_t value, int32_t flags) {
  return Call([&] { return OnProcessEvent(event, value, flags); }, Answer(int32_t{0}));
}

int32_t PLUG_CALL TCPPFruityPlug::ProcessParam(int32_t index, int32_t value, int32_t flags) {
  return Call([&] { return OnProcessParam(index, value, flags); }, Answer(value));
}

void PLUG_CALL TCPPFruityPlug::RenderEffect(void* source, void* destination, int32_t length) {
  Call([&] { OnRenderEffect(source, destination, length); });
}

void PLUG_CALL TCPPFruityPlug::RenderVoices(void* destination, int32_t length) {
  Call([&] { OnRenderVoices(destination, length); });
}

intptr_t PLUG_CALL TCPPFruityPlug::TriggerVoice(const void* voiceParams, int32_t hostVoiceTag) {
  return Call([&] { return OnTriggerVoice(voiceParams, hostVoiceTag); }, Answer(intptr_t{0}));
}

void PLUG_CALL TCPPFruityPlug::ReleaseVoice(intptr_t handle) {
  Call([&] { OnReleaseVoice(handle); });
}

void PLUG_CALL TCPPFruityPlug::KillVoice(intptr_t handle) {
  Call([&] { OnKillVoice(handle); });
}

int32_t PLUG_CALL TCPPFruityPlug::VoiceEvent(intptr_t handle, int32_t event, int32_t value,
                                             int32_t flags) {
  return Call([&] { return OnVoiceEvent(handle, event, value, flags); }, Answer(int32_t{0}));
}

int32_t PLUG_CALL TCPPFruityPlug::RenderVoice(intptr_t handle, float* buffer, int32_t* length) {
  return Call([&] { return OnRenderVoice(handle, buffer, length); }, Answer(int32_t{0}));
}
