// Writes Standard MIDI Files: the header, then each track with delta times
// and full status bytes (no running status), ended with End of Track.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/midifile/midi_file.h"

// Appends one MTrk chunk to `out`, event by event, in tick order. A gap
// longer than a delta time can hold is bridged with empty Text meta events
// every kMaxDeltaTime ticks, so every event keeps its exact tick. Events
// after an End of Track are left out; Finish adds one if none came. A meta
// or sysex payload holds at most kMaxDeltaTime bytes, as read ones do.
class MidiTrackWriter {
 public:
  explicit MidiTrackWriter(std::vector<uint8_t>& out);
  void Add(const MidiEventView& e);
  void Channel(uint64_t tick, uint8_t status, uint8_t data1, uint8_t data2);
  void Meta(uint64_t tick, uint8_t type, const uint8_t* payload, uint32_t size);
  // Ends the track and fills in the chunk's length. Nothing may follow.
  void Finish();

 private:
  void Delta(uint64_t tick);

  std::vector<uint8_t>& out_;
  size_t lengthAt_;
  uint64_t last_ = 0;
  bool ended_ = false;
};

// The header of a file of `tracks` tracks, to be followed by their chunks.
void WriteMidiHeader(std::vector<uint8_t>& out, int format, uint16_t division, size_t tracks);

// Each track's events must be in tick order.
std::vector<uint8_t> WriteMidiFile(const MidiFile& file);

// A file of `layout`'s format, division and number of tracks, each track
// holding the events `events` gives for it, in their order (which must keep
// each track's ticks in order).
class MidiEventSource;
struct MidiLayout;
std::vector<uint8_t> WriteEventTracks(MidiEventSource& events, const MidiLayout& layout);
