// The send path: every message the plug-in produces is packed and handed to
// the host's SendMidi at once, inside the call that produced it.
#pragma once

#include <cstdint>

#include "engine/data_model.h"
#include "engine/midi_message.h"
#include "engine/realtime.h"
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
  MidiOutput(PluginHost* host, int32_t hostTag, const DataModel& model)
      : host_(host), hostTag_(hostTag), model_(model) {}

  void EmitMidi(MidiMessage message) const ARTSW_REALTIME;
  void SendNote(uint8_t port, uint8_t channel, bool off, int32_t note,
                int32_t velocity) const ARTSW_REALTIME;
  void SendControlChange(uint8_t port, uint8_t channel, int32_t controller,
                         int32_t value) const ARTSW_REALTIME;
  // Kind 0 with parameter -1 is the full broadcast of nine messages; kind 5
  // with a parameter index sends only the controller of CC parameter + 1.
  // Silent while ccGhosting is set.
  void BroadcastControllers(int32_t kind, int32_t parameter) const ARTSW_REALTIME;

  // The address every new message goes to, read afresh for each message.
  uint8_t Channel() const { return static_cast<uint8_t>(model_.output.channel & 0x0F); }
  uint8_t Port() const { return static_cast<uint8_t>(model_.output.port); }

 private:
  PluginHost* host_;
  int32_t hostTag_;
  const DataModel& model_;
};
