// What the plug-in sends during a render, written as one track of the
// output: a port meta event wherever the port changes, data bytes above 127
// written as their low seven bits (counted). Messages are placed in the
// order the plug-in sent them; a note's switching messages may be placed
// earlier than messages already placed (a lead), so when leads are on the
// messages wait until nothing can be placed before them any more.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <utility>

#include "tools/midifile/midi_file_writer.h"

class SentTrack {
 public:
  // `leads`: whether Place may go back in time. Without, every message is
  // written at once, exactly in the order sent.
  SentTrack(MidiTrackWriter& out, int& clippedDataBytes, bool leads)
      : out_(out), clipped_(clippedDataBytes), leads_(leads) {}

  // At `tick`, after everything already placed at that tick or before.
  void Place(uint64_t tick, uint32_t message);
  // The earliest tick at which `message` can still be placed without
  // passing a message already placed whose meaning it would change: a
  // note-on (that note would hear it), a note-off of its key, or the same
  // controller, program or pitch bend on its channel.
  uint64_t EarliestFor(uint32_t message) const;
  // Nothing will be placed before `tick` from now on: what waits there or
  // earlier is written.
  void Settle(uint64_t tick);
  // Writes everything still waiting.
  void Finish() { Settle(UINT64_MAX); }

 private:
  void Write(uint64_t tick, uint32_t message);
  void Remember(uint64_t tick, uint32_t message);

  MidiTrackWriter& out_;
  int& clipped_;
  bool leads_;
  uint8_t port_ = 0;
  std::deque<std::pair<uint64_t, uint32_t>> waiting_;  // in tick order
  // Where the last message of each kind was placed (leads only).
  uint64_t lastNoteOn_ = 0;
  std::array<std::array<uint64_t, 128>, 16> lastNoteOff_{}, lastControl_{};
  std::array<uint64_t, 16> lastProgram_{}, lastBend_{};
};
