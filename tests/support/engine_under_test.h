// An engine played as a host plays it, for the tests of what notes send:
// voice parameters for a key at velocity 100, a note of a colour, and the
// messages sent since the last look.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/voice_params.h"
#include "tests/support/recording_host.h"

struct VoiceParams {
  unsigned char bytes[64] = {};
  explicit VoiceParams(int note) {
    const float level = 1.0f;  // velocity 100
    const auto pitch = static_cast<float>((note - 60) * 100);
    std::memcpy(bytes + kVoiceParamsLevelOffset, &level, sizeof level);
    std::memcpy(bytes + kVoiceParamsPitchOffset, &pitch, sizeof pitch);
  }
};

class EngineUnderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.InitState();
    host.ClearRecords();
  }
  intptr_t Note(int note, int32_t colour) {
    host.colourQueue.push_back(colour);
    return engine.TriggerVoice(VoiceParams(note).bytes, 1);
  }
  std::vector<std::string> Sent() {
    std::vector<std::string> sent = Describe(host.midi);
    host.ClearRecords();
    return sent;
  }

  RecordingHost host;
  ArticulationEngine engine{&host, 7};
  DataModel& model = engine.model;
};
