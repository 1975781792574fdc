// The benchmarks' host: cycles the note colour through all sixteen slots,
// so every note moves to another slot, and only counts what it is sent.
// Its operations are defined in a file of their own: with their bodies in
// view, the compiler inlined them into a stand-in and turned its
// twenty-five SendMidi calls into one loop over registers, so the stand-in
// timed no host calls at all.
#pragma once

#include <cstdint>

#include "plugin/fruity_interface.h"

class BenchHost : public PluginHost {
 public:
  long midi = 0;
  uint32_t midiSum = 0;
  int32_t colour = 0;

  intptr_t PLUG_CALL HostDispatch(int32_t, int32_t, int32_t, intptr_t) override;
  void PLUG_CALL NotifyParamChanged(int32_t, int32_t, int32_t) override;
  void PLUG_CALL ShowHint(int32_t, const char*) override;
  void PLUG_CALL EndVoice(int32_t, int32_t) override;
  int32_t PLUG_CALL QueryVoice(int32_t, int32_t, int32_t, int32_t) override;
  void PLUG_CALL SendMidi(int32_t, uint32_t message) override;
  int32_t PLUG_CALL PromptText(int32_t, int32_t, const char*, char*, int32_t*) override;
};
