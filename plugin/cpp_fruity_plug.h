// The wrapper base every plug-in derives from: keeps the host object and
// tag, fetches the host's name text once, and gives every operation a
// harmless default body.
#pragma once

#include <cstdint>

#include "plugin/fruity_interface.h"

class TCPPFruityPlug : public TFruityPlug {
 public:
  TCPPFruityPlug(int32_t tag, PluginHost* host);

  intptr_t PLUG_CALL Dispatch(int32_t, int32_t, intptr_t) override { return 0; }
  void PLUG_CALL Idle() override {}
  void PLUG_CALL SaveOrLoadState(IStream*, int32_t) override {}
  void PLUG_CALL GetName(int32_t, int32_t, int32_t, char*) override {}
  int32_t PLUG_CALL ProcessEvent(int32_t, int32_t, int32_t) override { return 0; }
  int32_t PLUG_CALL ProcessParam(int32_t, int32_t value, int32_t) override { return value; }
  void PLUG_CALL RenderEffect(void*, void*, int32_t) override {}
  void PLUG_CALL RenderVoices(void*, int32_t) override {}
  intptr_t PLUG_CALL TriggerVoice(const void*, int32_t) override { return 0; }
  void PLUG_CALL ReleaseVoice(intptr_t) override {}
  void PLUG_CALL KillVoice(intptr_t) override {}
  int32_t PLUG_CALL VoiceEvent(intptr_t, int32_t, int32_t, int32_t) override { return 0; }
  int32_t PLUG_CALL RenderVoice(intptr_t, float*, int32_t*) override { return 0; }
  void PLUG_CALL Unused14() override {}
  void PLUG_CALL Unused15() override {}
  void PLUG_CALL Unused16(int32_t) override {}
  void PLUG_CALL Unused17(int32_t) override {}

  PluginHost* hostObject() const { return host_; }
  // The host's name text (request 29), always NUL-terminated; empty when the
  // host answered null.
  const char* hostNameText() const { return hostNameText_; }

 protected:
  PluginHost* host_;
  char hostNameText_[kHostTextSize] = {};
};
