// Reading a part's articulations back from the messages that switched them,
// as a sampler follows them: the inverse of a render, and the reading of an
// old project whose switches stand anywhere before their notes. Per channel
// it keeps what the instrument keeps (the key last pressed in each group of
// keys, with its velocity; the last value of each CC, program and pitch
// bend the slots use; the notes the slots' actions last tapped together and
// those held, as slot_outputs.h lists them) from where a switching message
// stands until another changes it, and gives every note the slot whose
// outputs best explain the state in force when it starts, as the note's
// channel (colour k on channel k + 1). The switching messages are removed;
// everything else passes exactly as it came.
//
// Which messages switch:
// - a note-on on a key some slot presses or holds on its channel, and every
//   note-off on such a key; a pressed key replaces the other keys of its
//   group (slot_outputs.h) and keeps its velocity;
// - a CC some slot sends on its channel, a program change or a pitch bend
//   when some slot sends one there. A CC that is also a performance
//   controller (CC 1 is both the modwheel a slot may send and Dynamics), and
//   a pitch bend, switch only where
//   - they stand just before a note at that note's tick, with at most other
//     switching messages between (as a render writes them), or
//   - they stand in a rest (no note sounds on their channel; in a routed
//     map, on any channel), carry a value some slot sends, and are the last
//     of their controller there before the next note (a switch written
//     early, before its phrase).
//   Anywhere else they are played and change nothing in the state: a
//   dynamics curve under the notes never switches, and one drawn in a rest
//   switches only if its last value before the note is a slot's.
// The notes tapped on a channel at one tick, with no note played between,
// are one set; the notes held down on a channel are a set as well.
//
// Which slot a note gets: a slot explains the state when none of its
// outputs disagrees with the value in force and at least one agrees (values
// nothing has set yet neither agree nor disagree; a key's velocity counts
// only where some slot presses that key at another). In a routed map a slot
// explains only notes on its note channels, and only with its whole layer:
// the same key at the same tick on each of its other note channels; a note
// on a channel where some slot does not play counts as one agreeing output.
// A slot whose tapped notes are exactly the set last tapped (the plug-in
// taps them all at each switch) is preferred over one that only agrees with
// the latched keys; then the slot with the most agreeing outputs wins; among
// equals the lowest, counted as a tie. A note no slot explains keeps the
// slot of the previous note on its channel (slot 1 at the start), counted
// as unexplained. Tied and unexplained notes are guessed: the summary lists
// where the first of them stand, and a picture marks them. The note goes out
// once, on its colour, with its slot's transpose undone; the other note-ons
// and note-offs of its layer are removed (and counted as removed).
//
// A note-off ends every note of its key sounding on its channel, as a
// sampler hears it (key_overlaps.h): one note-off goes out for each note it
// ends, on that note's colour, so every note written gets exactly one. A
// note-off that ends no note is removed (counted). A note the input never
// ends gets its note-off at the input's last tick, where a render ends it
// too (counted); a track that ended with such a note of its own sounding
// ends there with it.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <deque>
#include <vector>

#include "tools/midifile/merged_events.h"
#include "tools/midifile/midi_file_reader.h"
#include "tools/render/bar_positions.h"
#include "tools/render/held_notes.h"
#include "tools/render/key_overlaps.h"
#include "tools/render/piano_roll.h"
#include "tools/render/performed_controllers.h"
#include "tools/render/slot_outputs.h"

// A note whose slot was guessed: where it stands.
struct GuessedNote {
  uint64_t tick = 0;
  int track = 0;     // 0-based, as the file orders its tracks
  bool tie = false;  // several slots explained it; else none did
};

struct ColourSummary {
  static constexpr size_t kGuessesListed = 10;
  int notesRead = 0;
  std::array<int, kSlotCount> perSlot{};  // by the slot read
  int unexplained = 0;
  int ties = 0;
  int messagesRemoved = 0;
  int layerNotes = 0;        // note-ons read as another channel's copy of a note (removed)
  int controllerCopies = 0;  // the map's controllers repeated on its other note channels (removed)
  int strayNoteOffs = 0;     // note-offs that ended no note (removed)
  int endedAtEnd = 0;        // notes the input never ended: their note-off added at its end
  KeyOverlapSummary overlaps;        // in what colour writes: notes begun while their key sounded
  std::vector<GuessedNote> guessed;  // the first kGuessesListed of them
  std::vector<MetreChange> metres;   // the time signatures met, to name a place
  uint64_t endTick = 0;
};

// Slot s of the map read plays as colour pairing[s] (default: s itself).
using SlotPairing = std::array<uint8_t, kSlotCount>;
SlotPairing IdentityPairing();

// The coloured events of a source, streamed: each tick's events are read
// before the first of them is given, so a CC can be judged by what follows
// it at its tick.
class ColouredEvents final : public MidiEventSource {
 public:
  // `performed` (PerformedIn of the same part) lets a controller the part
  // never plays switch wherever it stands; without it every controller is
  // taken as played. It must outlive this.
  ColouredEvents(MidiEventSource& input, const SlotOutputTable& table, ColourSummary& summary,
                 const SlotPairing& pairing = IdentityPairing(), PianoRoll* picture = nullptr,
                 const PerformedControllers* performed = nullptr);

  bool Next(MidiEventView& e, int& track) override;

 private:
  struct Item {
    MidiEventView e;
    int track = 0;
    bool keep = true;
    bool layer = false;  // another channel's copy of a layered note
    bool added = false;  // a note-off added for a note its note-off also ended
  };
  struct Sounding {
    uint8_t colour = 0;
    uint8_t key = 0;  // the key written, transpose undone
    bool layer = false;
    uint64_t start = 0;
    int track = 0;
  };
  struct Latched {
    int8_t key = -1;  // -1: no key of the group pressed yet
    uint8_t velocity = 0;
  };
  using State = std::array<int16_t, kStateCount>;  // -1: nothing set yet

  // Reads input until item `index` is buffered; false at the end.
  bool Fetch(size_t index);
  // At the end of the input: note-offs for the notes still sounding, then
  // the End of Track events held back for them.
  void EndAtEnd();
  bool ReadTick();
  void Decide();
  // What a switching message sets, or -1 for one that sets nothing (a
  // keyswitch's note-off); -2 for a message that does not switch. Item `at`
  // is the message, `beforeNote` whether a note follows at its tick.
  int SwitchKind(size_t at, bool beforeNote);
  // A performance controller or pitch bend in a rest, with a slot's value,
  // the last of its controller before the next note.
  bool SwitchesEarly(size_t at);
  bool Performed(
      const MidiEventView& e) const;  // a controller the part plays, not only switches with
  bool TapsNameSlot(int slot, int channel) const;
  bool IsSwitchingKind(const MidiEventView& e) const;
  bool IsPlayedNoteOn(const MidiEventView& e) const;
  void Apply(const MidiEventView& e, int sets);
  void PlayNote(size_t at);
  // The note-off at item `at` ends the notes of its key on its channel.
  void EndNotes(size_t at);
  // The channels with a played note-on of `key` not yet read after item `at`.
  uint16_t LayerChannels(size_t at, int key) const;
  int ChooseSlot(size_t at, int channel, int key);
  int Agreeing(int slot, int channel, bool& disagrees) const;
  // A routed map's pan, volume, pitch bend or performance controller on
  // another of its note channels, repeating the value last played on the
  // map's channel: the plug-in sends every controller to each note channel.
  bool IsControllerCopy(const MidiEventView& e) const;
  void NoteHomeController(const MidiEventView& e);

  MidiEventSource& input_;
  const SlotOutputTable& table_;
  ColourSummary& summary_;
  SlotPairing pairing_;
  PianoRoll* picture_;
  const PerformedControllers* performed_;

  // The tick being decided, items_[0, tickEnd_), then any events read ahead.
  std::deque<Item> items_;
  size_t tickEnd_ = 0;
  std::vector<uint8_t> beforeNote_;
  size_t next_ = 0;
  bool inputDone_ = false;

  std::array<State, 16> state_;
  std::array<std::array<Latched, 128>, 16> latched_;    // by channel and key group
  std::array<int, 16> soundingOn_{};                    // notes sounding, by channel
  std::array<std::bitset<128>, 16> tapped_, heldDown_;  // by channel
  std::bitset<16> tapSeen_, tapsOpen_;
  bool layered_ = false;       // some slot plays its notes on several channels
  uint16_t copyChannels_ = 0;  // note channels other than the map's (routed maps)
  // Last value on the map's channel of each CC, and of the pitch bend at
  // kBendIndex; -1 before the first.
  static constexpr int kBendIndex = 128;
  std::array<int16_t, 129> homeControllers_;
  std::array<uint8_t, 16> lastSlot_{};
  HeldNotes<Sounding> sounding_;
  std::vector<Item> endOfTracks_;  // held back until the notes still sounding end
  bool ended_ = false;
};

// Colours a whole checked file: the same format, division and tracks, each
// track keeping its own events less the switching ones.
std::vector<uint8_t> ColourMidiFile(const std::vector<uint8_t>& input, const MidiLayout& layout,
                                    const SlotOutputTable& table, ColourSummary& summary,
                                    PianoRoll* picture = nullptr);
