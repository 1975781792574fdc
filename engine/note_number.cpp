#include "engine/note_number.h"

int32_t NoteNumberForPitch(float pitch) {
  // Both bounds are exact in single precision, and the negated test also
  // turns away NaN before any float-to-integer conversion can misbehave.
  if (!(pitch > -6001.0f && pitch < 6800.0f)) return kNoNote;
  const int32_t cents = static_cast<int32_t>(pitch);  // toward zero
  return static_cast<int32_t>(static_cast<uint32_t>(cents + 6000) / 100u);
}
