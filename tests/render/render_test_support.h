// Rendering and colouring whole files in memory with the engine linked in,
// and what the round trip between them must keep: the notes (tick, key,
// velocity, length, colour) and the tempo map. Used by the tests and by the
// colour fuzz target.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "maps/plugin_settings.h"
#include "maps/state_bytes.h"
#include "tools/midifile/merged_events.h"
#include "tools/midifile/midi_file_reader.h"
#include "tools/midifile/midi_file_writer.h"
#include "tools/render/colouring.h"
#include "tools/render/engine_render_target.h"
#include "tools/render/held_notes.h"
#include "tools/render/latency_compensation.h"
#include "tools/render/render_session.h"

namespace render_test {

using Bytes = std::vector<uint8_t>;

struct Note {
  uint64_t tick = 0, length = 0;
  int key = 0, velocity = 0, colour = 0;
  auto Tied() const { return std::tie(tick, key, colour, velocity, length); }
  bool operator==(const Note& o) const { return Tied() == o.Tied(); }
  bool operator<(const Note& o) const { return Tied() < o.Tied(); }
};

inline std::string Describe(const Note& n) {
  return "tick " + std::to_string(n.tick) + " key " + std::to_string(n.key) + " vel " +
         std::to_string(n.velocity) + " len " + std::to_string(n.length) + " colour " +
         std::to_string(n.colour);
}

// The file's notes, each note-off ending the earliest note held on its
// channel and key, sorted; notes never ended are left out.
inline std::vector<Note> NotesOf(const Bytes& midi) {
  MidiLayout layout;
  std::string error;
  if (!ReadMidiLayout(midi, layout, error)) return {};
  std::vector<Note> open, done;
  HeldNotes<size_t> held;
  MergedMidiEvents events(midi, layout);
  MidiEventView e;
  while (events.Next(e)) {
    if (e.kind != MidiEvent::Kind::Channel) continue;
    const int kind = e.status & 0xF0, channel = e.status & 0x0F;
    if (kind == 0x90 && e.data2 > 0) {
      held.Push(channel, e.data1, open.size());
      open.push_back({e.tick, 0, e.data1, e.data2, channel});
    } else if (kind == 0x80 || kind == 0x90) {
      size_t i = 0;
      if (!held.Pop(channel, e.data1, i)) continue;
      open[i].length = e.tick - open[i].tick;
      done.push_back(open[i]);
    }
  }
  std::sort(done.begin(), done.end());
  return done;
}

// (tick, microseconds per quarter) of every tempo change.
inline std::vector<std::pair<uint64_t, uint32_t>> TempoOf(const Bytes& midi) {
  MidiLayout layout;
  std::string error;
  std::vector<std::pair<uint64_t, uint32_t>> tempo;
  if (!ReadMidiLayout(midi, layout, error)) return tempo;
  MergedMidiEvents events(midi, layout);
  MidiEventView e;
  while (events.Next(e))
    if (e.kind == MidiEvent::Kind::Meta && e.metaType == kMetaTempo && e.payloadSize == 3)
      tempo.emplace_back(e.tick, e.payload[0] << 16 | e.payload[1] << 8 | e.payload[2]);
  return tempo;
}

// (tick, CC number, value) of every control change, in file order.
inline std::vector<std::tuple<uint64_t, int, int>> ControllersOf(const Bytes& midi) {
  MidiLayout layout;
  std::string error;
  std::vector<std::tuple<uint64_t, int, int>> ccs;
  if (!ReadMidiLayout(midi, layout, error)) return ccs;
  MergedMidiEvents events(midi, layout);
  MidiEventView e;
  while (events.Next(e))
    if (e.kind == MidiEvent::Kind::Channel && (e.status & 0xF0) == 0xB0)
      ccs.emplace_back(e.tick, e.data1, e.data2);
  return ccs;
}

// render, with the plug-in's engine in place of the DLL; with
// `compensate`, by the map's latencies.
inline Bytes RenderNatively(const PluginSettings& settings, const Bytes& midi,
                            RenderSummary* summary = nullptr, bool compensate = false,
                            int leadMs = 0) {
  static const VelocityLevels levels;
  MidiLayout layout;
  std::string error;
  if (!ReadMidiLayout(midi, layout, error)) return {};
  EngineRenderTarget target(EncodeState(settings));
  RenderRequest request;
  request.input = &midi;
  request.layout = &layout;
  const SlotLatencies latencies = LatenciesOf(settings);
  if (compensate) request.latencies = &latencies;
  request.leadMs = leadMs;
  Bytes out;
  RenderSummary local;
  RenderThrough(target, levels, request, out, summary ? *summary : local);
  return out;
}

inline Bytes ColourFile(const PluginSettings& settings, const Bytes& midi,
                        ColourSummary* summary = nullptr, bool compensate = false) {
  MidiLayout layout;
  std::string error;
  if (!ReadMidiLayout(midi, layout, error)) return {};
  ColourSummary local;
  if (!compensate)
    return ColourMidiFile(midi, layout, SlotOutputsOf(settings), summary ? *summary : local);
  CompensationSummary undone;
  undone.latencies = LatenciesOf(settings);
  return ColourUndoingCompensation(midi, layout, SlotOutputsOf(settings),
                                   summary ? *summary : local, undone);
}

}  // namespace render_test
