// Note number of a voice from the host's pitch in cents.
#pragma once

#include <cstdint>

#include "engine/realtime.h"

constexpr int32_t kNoNote = -1;

// trunc(pitch) + 6000, divided by 100 rounding down: 0 cents is note 60,
// -6000 is note 0, 6799.9 is note 127; a pitch between -1 and 0 counts as 0.
// Pitches that would give a note outside 0..127 (and NaN) answer kNoNote:
// their low eight bits would be some unrelated note, or a data byte above 127.
int32_t NoteNumberForPitch(float pitch) ARTSW_REALTIME;
