// Feeds arbitrary bytes to colour: the first three bytes choose a map, the
// rest is the MIDI file. Each input must give either a clear error or a
// coloured file that reads back, names every played note once, and is the
// same every time; that file renders (with the plug-in's engine, as
// plughost renders through the DLL) and colours again to the same notes and
// tempo map wherever a rendered file can tell its notes apart: no two notes
// of one key sounding at once, every note ended, and no CC the map switches
// with at a tick where a note starts.
#include <cstdio>
#include <bitset>
#include <cstdlib>
#include <string>

#include "tests/render/render_test_support.h"

namespace {

using namespace render_test;

[[noreturn]] void Broken(const std::string& what) {
  std::fprintf(stderr, "colour property broken: %s\n", what.c_str());
  std::abort();
}

void Require(bool holds, const char* what) {
  if (!holds) Broken(what);
}

// Slots 1..n, each sending the kinds `kinds` selects with values of its
// own, so no two collide. Bits 3..5 of `kinds` add what slots may send
// beyond that: a transpose; notes layered on channel 16 (every other slot)
// with a CC 20 of its own on channel 2; actions: a tapped note on channel
// 3, a held one on channel 5, a program of its own on channel 4, a pitch
// bend on channel 3.
PluginSettings MapOf(uint8_t count, uint8_t kinds, uint8_t base) {
  PluginSettings settings;
  const int n = 1 + count % kSlotCount;
  for (int s = 0; s < n; ++s) {
    SlotSettings& slot = settings.slots[s];
    if (kinds & 1) slot.keyswitch = (base + s) % 128;
    if (kinds & 2) slot.uacc = (base * 3 + s * 5) % 128;
    if (kinds & 4) slot.modwheel = (base + s * 7) % 128;
    SlotAdditions& more = slot.additions;
    auto act = [&](ActionKind kind, int channel, int number, int value) {
      more.actions[more.actionCount++] = {kind, uint8_t(channel), uint8_t(number), uint16_t(value)};
    };
    if (kinds & 8) more.transpose = static_cast<int8_t>((base + s) % 7 - 3);
    if (kinds & 16) {
      if (s % 2 == 0) more.noteChannels = kPluginChannelBit | 1u << 15;
      act(ActionKind::kControlChange, 2, 20, s);
    }
    if (kinds & 32) {
      act(ActionKind::kNoteTap, 3, s % 4, 100);
      act(ActionKind::kNoteHeld, 5, 5 + s % 3, 90);
      act(ActionKind::kProgramChange, 4, s, 0);
      act(ActionKind::kPitchBend, 3, 0, (base * 64 + s * 500) % 16384);
    }
  }
  return settings;
}

// Whether a render keeps every note of `coloured` apart (see the top): each
// note as the render plays it (its slot's transpose, on its slot's
// channels) never clamped, never on a key that switches there, and never
// sounding with another on the same channel and key.
bool RenderKeepsNotesApart(const Bytes& coloured, const SlotOutputTable& table) {
  MidiLayout layout;
  std::string error;
  Require(ReadMidiLayout(coloured, layout, error), "the coloured file does not read back");
  std::array<std::array<int, 128>, 16> sounding{};
  HeldNotes<int> held;
  std::vector<uint64_t> starts, switchingCcs;
  std::bitset<128> switchingControls;
  for (const ChannelSwitches& s : table.switches) switchingControls |= s.controls;
  MergedMidiEvents events(coloured, layout);
  MidiEventView e;
  while (events.Next(e)) {
    if (e.kind != MidiEvent::Kind::Channel) continue;
    const int kind = e.status & 0xF0, slot = e.status & 0x0F;
    const int key = e.data1 + table.transpose[slot];
    const uint16_t channels = table.NoteChannelsOf(slot, table.homeChannel);
    if (kind == 0x90 && e.data2 > 0) {
      if (key < 0 || key > 127) return false;
      for (int c = 0; c < 16; ++c)
        if ((channels >> c & 1) && (sounding[c][key]++ || table.switches[c].keys[key]))
          return false;
      held.Push(slot, e.data1, key);
      starts.push_back(e.tick);
    } else if (kind == 0x80 || kind == 0x90) {
      int played = 0;
      if (held.Pop(slot, e.data1, played))
        for (int c = 0; c < 16; ++c) sounding[c][played] -= channels >> c & 1;
    } else if (kind == 0xB0 && switchingControls[e.data1]) {
      switchingCcs.push_back(e.tick);
    }
  }
  for (const auto& keys : sounding)
    for (int n : keys)
      if (n) return false;
  for (uint64_t tick : switchingCcs)
    if (std::binary_search(starts.begin(), starts.end(), tick)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const PluginSettings settings = MapOf(data[0], data[1], data[2]);
  const SlotOutputTable table = SlotOutputsOf(settings);
  Require(CollidingSlots(table).empty(), "the fuzzer's own map has colliding slots");
  const Bytes input(data + 3, data + size);

  MidiLayout layout;
  std::string error;
  if (!ReadMidiLayout(input, layout, error)) {
    Require(!error.empty(), "a refused file without a reason");
    return 0;
  }
  ColourSummary summary;
  const Bytes coloured = ColourMidiFile(input, layout, table, summary);
  ColourSummary again;
  Require(ColourMidiFile(input, layout, table, again) == coloured, "colour is not repeatable");

  // Every played note once, in a file the reader takes.
  int played = 0;
  MergedMidiEvents events(input, layout);
  MidiEventView e;
  while (events.Next(e))
    played += e.kind == MidiEvent::Kind::Channel && (e.status & 0xF0) == 0x90 && e.data2 > 0 &&
              !table.switches[e.status & 0x0F].keys[e.data1];
  Require(summary.notesRead + summary.layerNotes == played,
          "notes read differ from the notes played");
  int perSlot = 0;
  for (int n : summary.perSlot) perSlot += n;
  Require(perSlot == played, "the slots' counts do not add up to the notes");
  MidiFile file;
  Require(ReadMidiFile(coloured, file, error), "the coloured file does not read back");

  const Bytes rendered = RenderNatively(settings, coloured);
  Require(!rendered.empty(), "the coloured file does not render");
  const Bytes back = ColourFile(settings, rendered);
  Require(!back.empty(), "the rendered file does not colour");
  if (RenderKeepsNotesApart(coloured, table)) {
    Require(NotesOf(back) == NotesOf(coloured), "colour(render(colour(x))) changed a note");
    Require(TempoOf(back) == TempoOf(coloured), "colour(render(colour(x))) changed the tempo map");
  }
  return 0;
}
