#include "engine/midi_output.h"

void MidiOutput::EmitMidi(MidiMessage message) const { host_->SendMidi(hostTag_, message); }

void MidiOutput::SendNote(uint8_t port, uint8_t channel, bool off, int32_t note,
                          int32_t velocity) const {
  const uint8_t status = (off ? midi::kNoteOff : midi::kNoteOn) | (channel & 0x0F);
  EmitMidi(midi::Pack(status, note, off ? 0 : velocity, port));
}

void MidiOutput::SendControlChange(uint8_t port, uint8_t channel, int32_t controller,
                                   int32_t value) const {
  EmitMidi(midi::Pack(midi::kControlChange | (channel & 0x0F), controller, value, port));
}

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
