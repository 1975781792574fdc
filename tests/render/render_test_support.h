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
#include "tools/render/latency_shift.h"
#include "tools/render/note_outputs.h"
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

// The file's notes as a sampler hears them: a note-off ends every note
// held on its channel and key begun before it; when none is held, it is
// the note-off still owed by a note ended with others, and ends nothing;
// failing both, it ends those begun at its own tick. Sorted; notes never
// ended are left out.
inline std::vector<Note> NotesOf(const Bytes& midi) {
  MidiLayout layout;
  std::string error;
  if (!ReadMidiLayout(midi, layout, error)) return {};
  std::vector<Note> open, done;
  HeldNotes<size_t> held;
  std::vector<int> owed(16 * 128, 0);
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
      const bool before = held.Peek(channel, e.data1, i) && open[i].tick < e.tick;
      int& owes = owed[channel * 128 + e.data1];
      if (!before && owes > 0) {
        --owes;
        continue;
      }
      int ended = 0;
      while (held.Peek(channel, e.data1, i) && (!before || open[i].tick < e.tick)) {
        held.Pop(channel, e.data1, i);
        open[i].length = e.tick - open[i].tick;
        done.push_back(open[i]);
        ++ended;
      }
      if (ended > 1) owes += ended - 1;
    }
  }
  std::sort(done.begin(), done.end());
  return done;
}

// Per key (channel * 128 + note): note-ons less note-offs, over the whole
// file; a key whose count is not 0 was left unbalanced.
inline std::vector<int> KeyBalance(const Bytes& midi) {
  std::vector<int> balance(16 * 128, 0);
  MidiLayout layout;
  std::string error;
  if (!ReadMidiLayout(midi, layout, error)) return balance;
  MergedMidiEvents events(midi, layout);
  MidiEventView e;
  while (events.Next(e)) {
    if (e.kind != MidiEvent::Kind::Channel) continue;
    const int kind = e.status & 0xF0, at = (e.status & 0x0F) * 128 + e.data1;
    if (kind == 0x90 && e.data2 > 0)
      ++balance[at];
    else if (kind == 0x80 || kind == 0x90)
      --balance[at];
  }
  return balance;
}

// The render's promise for every key: once every note of the input that
// sounds an output key has ended (at the input's note-off that ends it),
// that key is up. A note sounds an output key on each of its slot's note
// channels, transposed, from its note-on (moved by its slot's latency when
// `compensate`) to its end; the plug-in may hold a key's note-off back only
// while another note still sounds that same key, so spans that overlap or
// touch are one. Checks that no key is down at the end, and that after each
// span's end the key's last message up to then is a note-off. Returns the
// first fault, or empty. Assumes the played keys are not the map's
// keyswitch or action keys.
inline std::string KeyLeftDown(const PluginSettings& settings, const Bytes& input,
                               const Bytes& output, bool compensate) {
  MidiLayout layout;
  std::string error;
  if (!ReadMidiLayout(input, layout, error)) return "input: " + error;
  const TempoMap tempo = ReadTempoMap(input, layout);
  const LatencyShift shift(tempo);
  const SlotOutputTable table = SlotOutputsOf(settings);
  std::vector<std::vector<std::pair<uint64_t, uint64_t>>> spans(16 * 128);
  for (const Note& n : NotesOf(input)) {
    uint64_t start = n.tick;
    const int ms = settings.slots[n.colour].additions.latencyMs;
    bool clamped = false;
    if (compensate && ms > 0) start = shift.Earlier(n.tick, ms, clamped);
    const int key = std::clamp(n.key + table.transpose[n.colour], 0, 127);
    const uint16_t channels = table.NoteChannelsOf(n.colour, settings.channel);
    for (int c = 0; c < 16; ++c)
      if (channels >> c & 1) spans[c * 128 + key].emplace_back(start, n.tick + n.length);
  }
  // The output's note messages per key: (tick, down after it).
  std::vector<std::vector<std::pair<uint64_t, bool>>> messages(16 * 128);
  if (!ReadMidiLayout(output, layout, error)) return "output: " + error;
  MergedMidiEvents events(output, layout);
  MidiEventView e;
  while (events.Next(e)) {
    if (e.kind != MidiEvent::Kind::Channel) continue;
    const int kind = e.status & 0xF0;
    if (kind != 0x80 && kind != 0x90) continue;
    messages[(e.status & 0x0F) * 128 + e.data1].emplace_back(e.tick, kind == 0x90 && e.data2 > 0);
  }
  for (int k = 0; k < 16 * 128; ++k) {
    const std::string name =
        "channel " + std::to_string(k / 128 + 1) + " key " + std::to_string(k % 128);
    if (!messages[k].empty() && messages[k].back().second)
      return name + " is still down at the end";
    auto& s = spans[k];
    std::sort(s.begin(), s.end());
    for (size_t i = 0; i < s.size();) {
      uint64_t end = s[i].second;
      size_t j = i + 1;
      while (j < s.size() && s[j].first <= end) end = std::max(end, s[j++].second);
      // The key's last message at or before the span's end.
      const auto after = std::upper_bound(
          messages[k].begin(), messages[k].end(), end,
          [](uint64_t tick, const std::pair<uint64_t, bool>& m) { return tick < m.first; });
      if (after != messages[k].begin() && std::prev(after)->second)
        return name + " is still down at tick " + std::to_string(end) +
               ", where the input's last note of it has ended";
      i = j;
    }
  }
  return {};
}

// Where a key is struck while it is down: (channel * 128 + key, tick).
using Strikes = std::vector<std::pair<int, uint64_t>>;

// The output's note-ons on a key already down (a note-off ends the key),
// sorted, on the keys in `keys` (by channel * 128 + key).
inline Strikes StrikesWhileDown(const Bytes& output, const std::vector<bool>& keys) {
  Strikes strikes;
  MidiLayout layout;
  std::string error;
  if (!ReadMidiLayout(output, layout, error)) return strikes;
  std::vector<bool> down(16 * 128, false);
  MergedMidiEvents events(output, layout);
  MidiEventView e;
  while (events.Next(e)) {
    if (e.kind != MidiEvent::Kind::Channel) continue;
    const int kind = e.status & 0xF0, at = (e.status & 0x0F) * 128 + e.data1;
    if (kind != 0x80 && kind != 0x90) continue;
    const bool on = kind == 0x90 && e.data2 > 0;
    if (on && down[at] && keys[at]) strikes.emplace_back(at, e.tick);
    down[at] = on;
  }
  std::sort(strikes.begin(), strikes.end());
  return strikes;
}

// What a sampler should hear of the input through the map, on the channel
// and key each note sounds (every colour's notes on one key are one key):
// a note that begins while another note sounds there strikes the key while
// it is down, except a note moved earlier by its latency (`compensate`),
// which ends every note sounding there first. At one tick, notes end before
// others begin, and moved notes begin after the others. `keys` gets the
// keys the input's notes sound; the counts say how often a note met one of
// another colour there.
struct ExpectedKeys {
  Strikes strikes;  // sorted
  std::vector<bool> keys = std::vector<bool>(16 * 128, false);
  int touchingOtherColours = 0;  // notes begun where one of another colour ended
  int strikingOtherColours = 0;  // of the strikes, those on a note of another colour
  int cuttingOtherColours = 0;   // moved notes that ended one of another colour
};

inline ExpectedKeys ExpectedStrikes(const PluginSettings& settings, const Bytes& input,
                                    bool compensate) {
  ExpectedKeys expected;
  MidiLayout layout;
  std::string error;
  if (!ReadMidiLayout(input, layout, error)) return expected;
  const TempoMap tempo = ReadTempoMap(input, layout);
  const LatencyShift shift(tempo);
  const NoteOutputs outputs(settings);
  const std::vector<Note> notes = NotesOf(input);
  struct Edge {
    uint64_t tick;
    int order;  // 0: a note ends, 1: a note begins, 2: a moved note begins
    size_t note;
    bool operator<(const Edge& o) const {
      return std::tie(tick, order, note) < std::tie(o.tick, o.order, o.note);
    }
  };
  std::vector<std::vector<Edge>> edges(16 * 128);
  for (size_t i = 0; i < notes.size(); ++i) {
    const Note& n = notes[i];
    uint64_t start = n.tick;
    const int ms = settings.slots[n.colour].additions.latencyMs;
    bool clamped = false;
    if (compensate && ms > 0) start = shift.Earlier(n.tick, ms, clamped);
    for (int c = 0; c < 16; ++c) {
      if (!(outputs.Channels(n.colour) >> c & 1)) continue;
      const int at = c * 128 + outputs.Key(n.colour, n.key);
      expected.keys[at] = true;
      edges[at].push_back({start, start < n.tick ? 2 : 1, i});
      edges[at].push_back({n.tick + n.length, 0, i});
    }
  }
  for (int at = 0; at < 16 * 128; ++at) {
    std::sort(edges[at].begin(), edges[at].end());
    std::vector<size_t> sounding;
    uint64_t lastEnd = 0;
    uint32_t endedColours = 0;  // of the notes that ended at lastEnd
    for (const Edge& e : edges[at]) {
      const int colour = notes[e.note].colour;
      auto other = [&](size_t i) { return notes[i].colour != colour; };
      if (e.order == 0) {
        const auto it = std::find(sounding.begin(), sounding.end(), e.note);
        if (it == sounding.end()) continue;  // ended earlier by a moved note
        sounding.erase(it);
        if (e.tick != lastEnd) endedColours = 0;
        lastEnd = e.tick;
        endedColours |= 1u << colour;
        continue;
      }
      if (sounding.empty() && e.tick == lastEnd && (endedColours & ~(1u << colour)) != 0)
        ++expected.touchingOtherColours;
      if (!sounding.empty() && e.order == 2) {
        expected.cuttingOtherColours += std::any_of(sounding.begin(), sounding.end(), other);
        sounding.clear();
      } else if (!sounding.empty()) {
        expected.strikes.emplace_back(at, e.tick);
        expected.strikingOtherColours += std::any_of(sounding.begin(), sounding.end(), other);
      }
      sounding.push_back(e.note);
    }
  }
  std::sort(expected.strikes.begin(), expected.strikes.end());
  return expected;
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
                            int leadMs = kNoLead) {
  static const VelocityLevels levels;
  MidiLayout layout;
  std::string error;
  if (!ReadMidiLayout(midi, layout, error)) return {};
  EngineRenderTarget target(EncodeState(settings));
  RenderRequest request;
  request.input = &midi;
  request.layout = &layout;
  request.outputs = NoteOutputs(settings);
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
