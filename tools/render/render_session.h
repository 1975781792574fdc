// Plays a MIDI file through a plug-in as a host plays a song: each note
// becomes a voice whose colour is the note's channel, the performance
// controllers go through parameters, pan and volume through host events.
// Everything the plug-in sends is recorded at the tick of the event that
// made it send, in the order it was sent; only what playback start repeats
// of the host's mix report (the same message, at tick 0) is written once.
// A note-off ends every note of its key sounding on its channel, as a
// sampler hears it (host_voices.h); at one tick, before a note-on the
// plug-in plays on a channel and key where the ended notes sound, whatever
// its colour.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "tools/midifile/merged_events.h"
#include "tools/midifile/midi_file_reader.h"
#include "tools/render/bar_positions.h"
#include "tools/render/key_overlaps.h"
#include "tools/render/latency_compensation.h"
#include "tools/render/note_outputs.h"
#include "tools/render/piano_roll.h"
#include "tools/render/render_target.h"
#include "tools/render/velocity_levels.h"

// The pan and volume a host reports for the plug-in's channel when it loads
// it, as its mixer holds them: centre, and a mixer fader's usual level.
struct HostMix {
  int pan = 64;
  int volume = 100;
};

struct RenderSummary {
  HostMix mix;                          // the pan and volume reported before playback
  int notesIn = 0;                      // note-ons (velocity above 0) played
  std::array<int, 16> notesByColour{};  // of those, by channel: the slot they play
  int messagesOut = 0;         // messages written: sent by the plug-in, playback start included
  int keyswitches = 0;         // keyswitch note-ons sent before notes
  int uaccChanges = 0;         // CC 32 sent before notes
  int modwheelChanges = 0;     // CC 1 sent before notes
  int controllerEvents = 0;    // CC 1, 2, 11, 16, 21, 64, 7 and 10 passed on
  int ignoredEvents = 0;       // channel messages the plug-in has no use for
  int unmatchedNoteOffs = 0;   // beyond one for each note of their key that ended
  KeyOverlapSummary overlaps;  // notes begun while a note of their key sounded
  std::vector<MetreChange> metres;  // the input's time signatures, to name a place
  uint64_t endTick = 0;             // the input's last event
  uint16_t division = 0;            // the input's
  int droppedNotes = 0;             // notes the plug-in made no voice for
  int endedAtStop = 0;              // notes still sounding when the file ended
  int clippedDataBytes = 0;         // messages with a data byte above 127
  double seconds = 0;               // the input's length, to its last event
  bool compensated = false;         // note-ons moved by their slots' latencies
  CompensationSummary compensation;
  int leadMs = -1;       // switching messages put this far before their notes; -1: no lead
  int leads = 0;         // notes whose switching messages were put before them
  int leadsAtStart = 0;  // of those, the ones the file's start stopped short
  int leadsBlocked = 0;  // notes whose switching messages could not go the whole lead
};

constexpr int kNoLead = -1;

// Told now and then how many of the input's events have been played.
using RenderProgress = std::function<void(size_t played, size_t total)>;

// What a render plays and what it writes besides the file.
struct RenderRequest {
  const std::vector<uint8_t>* input = nullptr;  // a file ReadMidiLayout has checked
  const MidiLayout* layout = nullptr;           // its layout
  // The events to play; null plays the input's own. Another source (a
  // colouring, say) must give the input's events less some, in their order.
  MidiEventSource* events = nullptr;
  PianoRoll* picture = nullptr;  // when set: the notes played, in their colours
  HostMix mix;                   // reported just before playback starts
  RenderProgress progress;
  // Where the plug-in plays each colour's notes: those of the map it plays
  // (NoteOutputs(settings)). Notes of any colours that sound one channel
  // and key end and strike that key as one (key_overlaps.h,
  // latency_compensation.h).
  NoteOutputs outputs;
  // When set, each note-on plays its slot's latency earlier (colour k is
  // slot k), and the plug-in hears it there.
  const SlotLatencies* latencies = nullptr;
  // Milliseconds (0..100) by which a note's switching messages go before
  // the note itself, at least one tick, as far as the file's start and the
  // messages before them allow (a switch never passes a note-on, nor an
  // earlier message of its own kind that it would change the meaning of).
  // kNoLead: the switch goes at the note's tick, just before it.
  int leadMs = kNoLead;
};

// The target's listener is replaced for the length of the call. `output`
// receives a format 1 file with the input's division: a first track with the
// input's tempo and metre changes, so its times match the input's, and a
// second track with exactly what the plug-in sent (and a port event wherever
// the port changes).
void RenderThrough(RenderTarget& target, const VelocityLevels& levels, const RenderRequest& request,
                   std::vector<uint8_t>& output, RenderSummary& summary);
