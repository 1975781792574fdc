#include "tools/render/performed_controllers.h"

#include <algorithm>

#include "tools/midifile/merged_events.h"

PerformedControllers PerformedIn(const std::vector<uint8_t>& input, const MidiLayout& layout,
                                 const SlotOutputTable& table) {
  PerformedControllers part;
  MergedMidiEvents events(input, layout);
  MidiEventView e;
  while (events.Next(e)) {
    if (e.kind != MidiEvent::Kind::Channel) continue;
    const int channel = e.status & 0x0F, lane = table.LaneOf(channel);
    const ChannelSwitches& switches = table.switches[channel];
    if ((e.status & 0xF0) == 0xB0) {
      const int cc = e.data1 & 0x7F;
      if (switches.controls[cc] && !table.controlValues[lane][cc][e.data2 & 0x7F])
        part.performed[lane].set(cc);
    } else if ((e.status & 0xF0) == 0xE0 && switches.pitchBends) {
      const int value = (e.data1 & 0x7F) | (e.data2 & 0x7F) << 7;
      const auto& values = table.bendValues[lane];
      if (std::find(values.begin(), values.end(), value) == values.end())
        part.performed[lane].set(PerformedControllers::kPitchBend);
    }
  }
  return part;
}
