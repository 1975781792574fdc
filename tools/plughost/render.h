// Plays a MIDI file through a plug-in instance as a host plays a song: each
// note becomes a voice whose colour is the note's channel, the performance
// controllers go through parameters, pan and volume through host events.
// Everything the plug-in sends is recorded at the tick of the event that
// made it send, in the order it was sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "tools/midifile/midi_file_reader.h"
#include "tools/plughost/plug_host.h"
#include "tools/plughost/plugin_instance.h"
#include "tools/plughost/velocity_levels.h"

struct RenderSummary {
  int notesIn = 0;           // note-ons (velocity above 0) played
  int messagesOut = 0;       // messages the plug-in sent, playback start included
  int keyswitches = 0;       // keyswitch note-ons sent before notes
  int uaccChanges = 0;       // CC 32 sent before notes
  int modwheelChanges = 0;   // CC 1 sent before notes
  int controllerEvents = 0;  // CC 1, 2, 11, 16, 21, 64, 7 and 10 passed on
  int ignoredEvents = 0;     // channel messages the plug-in has no use for
  int unmatchedNoteOffs = 0;
  int droppedNotes = 0;      // notes the plug-in made no voice for
  int endedAtStop = 0;       // notes still sounding when the file ended
  int clippedDataBytes = 0;  // messages with a data byte above 127
  double seconds = 0;        // the input's length, to its last event
};

// Told now and then how many of the input's events have been played.
using RenderProgress = std::function<void(size_t played, size_t total)>;

// `host` must be the host the instance was created with; its listener is
// replaced for the length of the call. `input` is a file ReadMidiLayout has
// checked, giving `layout`; its events are read in place. `output` receives
// a format 1 file with the input's division: a first track with the input's
// tempo and metre changes, so its times match the input's, and a second
// track with exactly what the plug-in sent (and a port event wherever the
// port changes).
void RenderThroughPlugin(const PluginInstance& instance, PlugHost& host,
                         const VelocityLevels& levels, const std::vector<uint8_t>& input,
                         const MidiLayout& layout, std::vector<uint8_t>& output,
                         RenderSummary& summary, const RenderProgress& progress = {});
