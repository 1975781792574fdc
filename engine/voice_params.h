// The two fields read from the voice parameters record the host passes to
// TriggerVoice. The record belongs to the host; it is read byte-wise, so no
// layout or alignment of ours is imposed on it.
#pragma once

#include <cstddef>
#include <cstring>

constexpr std::size_t kVoiceParamsLevelOffset = 4;   // float: the note's level
constexpr std::size_t kVoiceParamsPitchOffset = 28;  // float: cents, 0 is MIDI note 60
constexpr std::size_t kVoiceParamsMinSize = kVoiceParamsPitchOffset + sizeof(float);

inline float ReadVoiceParamsFloat(const void* params, std::size_t offset) {
  float value;
  std::memcpy(&value, static_cast<const unsigned char*>(params) + offset, sizeof value);
  return value;
}
