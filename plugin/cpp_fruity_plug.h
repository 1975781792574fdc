// The wrapper base every plug-in derives from: keeps the host object and
// tag, fetches the host's name text once, and stands between the host's
// table and the plug-in. Each slot of the table is a trampoline that calls
// the plug-in's On... operation with everything thrown caught
// (engine/host_boundary.h); when one throws, the host gets that slot's
// refusal: nothing done, 0 (the value as given, for ProcessParam; an empty
// text, for GetName). A plug-in overrides the On... operations, which may
// throw, and never the slots. Every operation's default does nothing.
#pragma once

#include <cstdint>

#include "engine/host_boundary.h"
#include "plugin/fruity_interface.h"

class TCPPFruityPlug : public TFruityPlug {
 public:
  TCPPFruityPlug(int32_t tag, PluginHost* host);

  // The host's table. Destroy deletes the object even when OnDestroy threw.
  void PLUG_CALL Destroy() final;
  intptr_t PLUG_CALL Dispatch(int32_t request, int32_t index, intptr_t value) final;
  void PLUG_CALL Idle() final;
  void PLUG_CALL SaveOrLoadState(IStream* stream, int32_t save) final;
  void PLUG_CALL GetName(int32_t section, int32_t index, int32_t value, char* text) final;
  int32_t PLUG_CALL ProcessEvent(int32_t event, int32_t value, int32_t flags) final;
  int32_t PLUG_CALL ProcessParam(int32_t index, int32_t value, int32_t flags) final;
  void PLUG_CALL RenderEffect(void* source, void* destination, int32_t length) final;
  void PLUG_CALL RenderVoices(void* destination, int32_t length) final;
  intptr_t PLUG_CALL TriggerVoice(const void* voiceParams, int32_t hostVoiceTag) final;
  void PLUG_CALL ReleaseVoice(intptr_t handle) final;
  void PLUG_CALL KillVoice(intptr_t handle) final;
  int32_t PLUG_CALL VoiceEvent(intptr_t handle, int32_t event, int32_t value, int32_t flags) final;
  int32_t PLUG_CALL RenderVoice(intptr_t handle, float* buffer, int32_t* length) final;
  // Notifications this plug-in has no use for: nothing to guard.
  void PLUG_CALL Unused14() final {}
  void PLUG_CALL Unused15() final {}
  void PLUG_CALL Unused16(int32_t) final {}
  void PLUG_CALL Unused17(int32_t) final {}

  PluginHost* hostObject() const { return host_; }
  // The host's name text (request 29), always NUL-terminated; empty when the
  // host answered null.
  const char* hostNameText() const { return hostNameText_; }

 protected:
  // The operations, each on the thread its slot names (fruity_interface.h).
  // OnDestroy ends what the instance runs; the object is deleted after it.
  virtual void OnDestroy() {}
  virtual intptr_t OnDispatch(int32_t, int32_t, intptr_t) { return 0; }
  virtual void OnIdle() {}
  virtual void OnSaveOrLoadState(IStream*, int32_t) {}
  // [main thread] A state save or load threw: whatever the host's stream
  // got, the plug-in's settings are as they were (the state code allocates
  // before it changes anything). Told so the plug-in can say it.
  virtual void StateRefused(bool save, host_boundary::Refusal why) noexcept {
    (void)save, (void)why;
  }
  virtual void OnGetName(int32_t, int32_t, int32_t, char*) {}
  virtual int32_t OnProcessEvent(int32_t, int32_t, int32_t) { return 0; }
  virtual int32_t OnProcessParam(int32_t, int32_t value, int32_t) { return value; }
  virtual void OnRenderEffect(void*, void*, int32_t) {}
  virtual void OnRenderVoices(void*, int32_t) {}
  virtual intptr_t OnTriggerVoice(const void*, int32_t) { return 0; }
  virtual void OnReleaseVoice(intptr_t) {}
  virtual void OnKillVoice(intptr_t) {}
  virtual int32_t OnVoiceEvent(intptr_t, int32_t, int32_t, int32_t) { return 0; }
  virtual int32_t OnRenderVoice(intptr_t, float*, int32_t*) { return 0; }

  PluginHost* host_;
  char hostNameText_[kHostTextSize] = {};
};
