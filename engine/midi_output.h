// The send path: every message the plug-in produces is packed and handed to
// the host's SendMidi at once, inside the call that produced it.
#pragma once

#include <cstdint>

#include "engine/data_model.h"
#include "engine/midi_message.h"
#include "engine/realtime.h"
#include "engine/slot_playback.h"
#include "engine/sustain_ledger.h"
#include "plugin/fruity_interface.h"

// What BroadcastControllers sends.
enum BroadcastKind : int32_t {
  kBroadcastAll = 0,
  kBroadcastPan = 2,
  kBroadcastVolume = 3,
  kBroadcastPitchBendCentre = 4,
  kBroadcastControllers = 5,
};

class MidiOutput {
 public:
  MidiOutput(PluginHost* host, int32_t hostTag, DataModel& model)
      : host_(host), hostTag_(hostTag), model_(model) {}

  // Defined here so a switch that sends many messages pays one host call
  // for each and nothing more.
  void EmitMidi(MidiMessage message) const ARTSW_REALTIME { host_->SendMidi(hostTag_, message); }
  void SendNote(uint8_t port, uint8_t channel, bool off, int32_t note,
                int32_t velocity) const ARTSW_REALTIME {
    const uint8_t status = (off ? midi::kNoteOff : midi::kNoteOn) | (channel & 0x0F);
    EmitMidi(midi::Pack(status, note, off ? 0 : velocity, port));
  }
  void SendControlChange(uint8_t port, uint8_t channel, int32_t controller,
                         int32_t value) const ARTSW_REALTIME {
    EmitMidi(midi::Pack(midi::kControlChange | (channel & 0x0F), controller, value, port));
  }
  // A slot's actions, in order, on the plug-in's channel and port where
  // they name none.
  void EmitActions(const ActionWord* words, int count, uint8_t channel,
                   uint8_t port) const ARTSW_REALTIME {
    PluginHost* const host = host_;
    const int32_t tag = hostTag_;
    for (int i = 0; i < count; ++i) {
      const MidiMessage message = ActionMessage(words[i], channel, port);
      host->SendMidi(tag, message);
      if ((message & 0xFFF0u) == kSustainPrefix) {
        sustain_.Record(port, static_cast<uint16_t>(1u << (message & 0x0F)), midi::Data2(message));
      }
    }
  }
  // Kind 0 with parameter -1 is the full broadcast of nine messages; kind 5
  // with a parameter index sends only the controller of CC parameter + 1.
  // Each message goes to every one of the bank's note channels, the
  // plug-in's channel first. Silent while ccGhosting is set.
  void BroadcastControllers(int32_t kind, int32_t parameter) const ARTSW_REALTIME;

  // The bank's note channels (bit c: channel c): the plug-in's channel and
  // every channel a slot plays its notes on.
  uint16_t NoteChannels() const ARTSW_REALTIME {
    return static_cast<uint16_t>(model_.additions.RoutedChannels() | 1u << Channel());
  }

  // Before a note on these channels, in a bank that routes notes: each of
  // them, and the plug-in's channel, that does not hold the current
  // controller values gets the full broadcast first. Sends nothing for a
  // bank that routes no slot, or while ccGhosting is set.
  void ChaseControllers(uint16_t noteChannels) const ARTSW_REALTIME;

  // At a playback stop: lifts every sustain pedal the plug-in left down on
  // an address other than its own channel and port, unless it holds one
  // itself (Hold at 64 or more). Silent while ccGhosting is set.
  void LiftStaleSustain() const ARTSW_REALTIME;

  // The address every new message goes to, read afresh for each message.
  uint8_t Channel() const { return static_cast<uint8_t>(model_.output.channel & 0x0F); }
  uint8_t Port() const { return static_cast<uint8_t>(model_.output.port); }

 private:
  // Status 0xB0 and controller 64, the low bytes of a sustain message.
  static constexpr MidiMessage kSustainPrefix = midi::kControlChange | SustainLedger::kController
                                                                           << 8;

  // The messages of a broadcast of this kind, each on every given channel.
  void SendControllers(int32_t kind, int32_t parameter, uint16_t channels) const ARTSW_REALTIME;
  void SendOnChannels(uint8_t status, int32_t data1, int32_t data2,
                      uint16_t channels) const ARTSW_REALTIME;

  PluginHost* host_;
  int32_t hostTag_;
  DataModel& model_;
  mutable SustainLedger sustain_;
};
