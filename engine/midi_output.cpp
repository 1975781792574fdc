#include "engine/midi_output.h"

void MidiOutput::BroadcastControllers(int32_t kind, int32_t parameter) const {
  if (model_.output.ccGhosting != 0) return;
  const bool all = kind == kBroadcastAll;
  if (all || kind == kBroadcastPan) SendControlChange(Port(), Channel(), 10, model_.pan);
  if (all || kind == kBroadcastVolume) SendControlChange(Port(), Channel(), 7, model_.volume);
  if (all || kind == kBroadcastPitchBendCentre) {
    EmitMidi(midi::Pack(midi::kPitchBend | Channel(), 0x00, 0x40, Port()));
  }
  if (all || kind == kBroadcastControllers) {
    for (int i = 0; i < kControllerCount; ++i) {
      const int32_t cc = controllerCcNumbers[i];
      if (parameter == -1 || static_cast<int64_t>(parameter) == cc - 1) {
        SendControlChange(Port(), Channel(), cc, model_.controllers.value[i]);
      }
    }
  }
}
