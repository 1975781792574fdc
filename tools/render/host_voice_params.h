// The host's voice parameters record, as a host fills it for TriggerVoice:
// the plug-in reads the level at byte 4 and the pitch in cents (0 = note
// 60) at byte 28.
#pragma once

#include <cstddef>

#include "engine/voice_params.h"

struct HostVoiceParams {
  float reserved0 = 0;
  float level = 0.78f;
  float reserved[5] = {};
  float pitch = 0;
};
static_assert(offsetof(HostVoiceParams, level) == kVoiceParamsLevelOffset &&
              offsetof(HostVoiceParams, pitch) == kVoiceParamsPitchOffset);
