// What a picture of a render or a colouring shows, gathered while the
// events pass: every note with the slot it plays, the ticks of the
// switching messages, the metre and the file's length.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/midifile/midi_file.h"
#include "tools/render/bar_positions.h"
#include "tools/render/held_notes.h"

class PianoRoll {
 public:
  struct Note {
    uint64_t start = 0, end = 0;
    uint8_t key = 0, slot = 0;
    bool guessed = false;  // no slot explained it, or several did
  };
  using Metre = MetreChange;

  explicit PianoRoll(uint16_t division) : division_(division) {}

  // A note on a channel and key (what note-offs are paired by), drawn in
  // the colour of `slot`; a guessed one is marked.
  void NoteOn(uint64_t tick, int channel, int key, int slot, bool guessed = false);
  void NoteOff(uint64_t tick, int channel, int key);
  // A switching message: sent before a note, or removed from a file.
  void Switch(uint64_t tick) { switches_.push_back(tick); }
  // Time signatures change the bars; other events only the length.
  void Event(const MidiEventView& e);
  // Notes still held end at the file's last tick.
  void Finish();
  // Gives each note the start `start` returns for it: for a colouring
  // whose note-ons are moved after the fact.
  template <typename F>
  void MoveStarts(F start) {
    for (Note& n : notes_) n.start = start(static_cast<const Note&>(n));
  }

  uint16_t division() const { return division_; }
  uint64_t endTick() const { return end_; }
  const std::vector<Note>& notes() const { return notes_; }
  const std::vector<uint64_t>& switches() const { return switches_; }
  const std::vector<Metre>& metres() const { return metres_; }

 private:
  uint16_t division_;
  uint64_t end_ = 0;
  std::vector<Note> notes_;
  std::vector<uint64_t> switches_;
  std::vector<Metre> metres_;
  HeldNotes<size_t> held_;  // indices into notes_
};
