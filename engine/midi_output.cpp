#include "engine/midi_output.h"

#include <bit>

static_assert(controllerCcNumbers[kControllerCount - 1] == SustainLedger::kController,
              "the last controller is the sustain pedal");

void MidiOutput::SendOnChannels(uint8_t status, int32_t data1, int32_t data2,
                                uint16_t channels) const {
  const uint8_t port = Port();
  const uint8_t own = Channel();
  if (channels & (1u << own)) EmitMidi(midi::Pack(status | own, data1, data2, port));
  for (uint32_t rest = channels & ~(1u << own); rest != 0; rest &= rest - 1) {
    EmitMidi(midi::Pack(status | static_cast<uint8_t>(std::countr_zero(rest)), data1, data2, port));
  }
  if (status == midi::kControlChange && data1 == SustainLedger::kController) {
    sustain_.Record(port, channels, data2);
  }
}

void MidiOutput::SendControllers(int32_t kind, int32_t parameter, uint16_t channels) const {
  const bool all = kind == kBroadcastAll;
  if (all || kind == kBroadcastPan) SendOnChannels(midi::kControlChange, 10, model_.pan, channels);
  if (all || kind == kBroadcastVolume)
    SendOnChannels(midi::kControlChange, 7, model_.volume, channels);
  if (all || kind == kBroadcastPitchBendCentre)
    SendOnChannels(midi::kPitchBend, 0x00, 0x40, channels);
  if (all || kind == kBroadcastControllers) {
    for (int i = 0; i < kControllerCount; ++i) {
      const int32_t cc = controllerCcNumbers[i];
      if (parameter == -1 || static_cast<int64_t>(parameter) == cc - 1) {
        SendOnChannels(midi::kControlChange, cc, model_.controllers.value[i], channels);
      }
    }
  }
}

void MidiOutput::BroadcastControllers(int32_t kind, int32_t parameter) const {
  SentCache& sent = model_.sent;
  if (model_.output.ccGhosting != 0) {
    // A value may change without going anywhere: no channel can be trusted
    // to hold the current ones any more.
    sent.controllerChannels = 0;
    return;
  }
  const uint16_t channels = NoteChannels();
  SendControllers(kind, parameter, channels);
  // Channels outside the bank missed this message; a full broadcast brings
  // every channel in it up to date.
  if (kind == kBroadcastAll && parameter == -1) {
    sent.controllerChannels = channels;
  } else {
    sent.controllerChannels.FetchAnd(channels);
  }
}

void MidiOutput::ChaseControllers(uint16_t noteChannels) const {
  const uint16_t own = static_cast<uint16_t>(1u << Channel());
  // A bank that routes no note plays on the plug-in's channel alone, which
  // gets its controllers as they change and at playback start; nothing more.
  if ((model_.additions.RoutedChannels() & ~own) == 0) return;
  if (model_.output.ccGhosting != 0) return;
  SentCache& sent = model_.sent;
  const uint16_t due = static_cast<uint16_t>((noteChannels | own) & ~sent.controllerChannels);
  if (due == 0) return;
  SendControllers(kBroadcastAll, -1, due);
  sent.controllerChannels.FetchOr(due);
}

void MidiOutput::LiftStaleSustain() const {
  if (model_.output.ccGhosting != 0) return;
  const int32_t hold = model_.controllers.value[kControllerCount - 1];
  if (hold >= SustainLedger::kPressed) return;
  sustain_.LiftAllBut(Port(), Channel(), [this, hold](uint8_t port, uint8_t channel) {
    EmitMidi(midi::Pack(midi::kControlChange | channel, SustainLedger::kController, hold, port));
  });
}
