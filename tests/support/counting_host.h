// A host and a repaint target that only count, so nothing they do allocates
// or blocks: what a heap or real-time check then reports is the engine's.
#pragma once

#include <cstdint>
#include <cstring>

#include "engine/editor_repaint.h"
#include "engine/voice_params.h"
#include "plugin/fruity_interface.h"

class CountingHost : public PluginHost {
 public:
  long midi = 0, hints = 0, ended = 0, queries = 0, badDataBytes = 0;
  int32_t colour = 0;
  // Colours answered step by step modulo colourCycle; a cycle above 16
  // includes colours outside the bank.
  int32_t colourStep = 5, colourCycle = 17;

  intptr_t PLUG_CALL HostDispatch(int32_t, int32_t, int32_t, intptr_t) override { return 0; }
  void PLUG_CALL NotifyParamChanged(int32_t, int32_t, int32_t) override {}
  void PLUG_CALL ShowHint(int32_t, const char* text) override { hints += text[0] != 0; }
  void PLUG_CALL EndVoice(int32_t, int32_t) override { ++ended; }
  int32_t PLUG_CALL QueryVoice(int32_t, int32_t, int32_t, int32_t) override {
    ++queries;
    colour = (colour + colourStep) % colourCycle;
    return colour;
  }
  void PLUG_CALL SendMidi(int32_t, uint32_t message) override {
    ++midi;
    badDataBytes += ((message >> 8) & 0x80) != 0 || ((message >> 16) & 0x80) != 0;
  }
  int32_t PLUG_CALL PromptText(int32_t, int32_t, const char*, char*, int32_t*) override {
    return 0;
  }
};

struct CountingRepaint : EditorRepaint {
  long requests = 0;
  void InvalidateEditor(bool) override { ++requests; }
};

// The host's voice parameters record with a pitch and a level.
struct Params {
  unsigned char bytes[32] = {};
  void Set(float pitch, float level) {
    std::memcpy(bytes + kVoiceParamsPitchOffset, &pitch, sizeof pitch);
    std::memcpy(bytes + kVoiceParamsLevelOffset, &level, sizeof level);
  }
};
