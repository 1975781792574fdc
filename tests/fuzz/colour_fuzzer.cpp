// Feeds arbitrary bytes to colour: the first three bytes choose a map, the
// rest is the MIDI file. Each input must give either a clear error or a
// coloured file that reads back, names every played note once, and is the
// same every time; that file renders (with the plug-in's engine, as
// plughost renders through the DLL) and colours again to the same notes and
// tempo map wherever a rendered file can tell its notes apart: no two notes
// of one key sounding at once, every note ended, and no CC the map switches
// with at a tick where a note starts.
#include <cstdio>
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
// own, so no two collide.
PluginSettings MapOf(uint8_t count, uint8_t kinds, uint8_t base) {
  PluginSettings settings;
  const int n = 1 + count % kSlotCount;
  for (int s = 0; s < n; ++s) {
    if (kinds & 1) settings.slots[s].keyswitch = (base + s) % 128;
    if (kinds & 2) settings.slots[s].uacc = (base * 3 + s * 5) % 128;
    if (kinds & 4) settings.slots[s].modwheel = (base + s * 7) % 128;
  }
  return settings;
}

// Whether a render keeps every note of `coloured` apart (see the top).
bool RenderKeepsNotesApart(const Bytes& coloured, const SlotOutputTable& table) {
  MidiLayout layout;
  std::string error;
  Require(ReadMidiLayout(coloured, layout, error), "the coloured file does not read back");
  std::array<int, 128> sounding{};
  HeldNotes<int> held;
  std::vector<uint64_t> starts, switchingCcs;
  MergedMidiEvents events(coloured, layout);
  MidiEventView e;
  while (events.Next(e)) {
    if (e.kind != MidiEvent::Kind::Channel) continue;
    const int kind = e.status & 0xF0, channel = e.status & 0x0F;
    if (kind == 0x90 && e.data2 > 0) {
      if (sounding[e.data1]++) return false;
      held.Push(channel, e.data1, 0);
      starts.push_back(e.tick);
    } else if (kind == 0x80 || kind == 0x90) {
      int unused = 0;
      if (held.Pop(channel, e.data1, unused)) --sounding[e.data1];
    } else if (kind == 0xB0 && table.controls[e.data1]) {
      switchingCcs.push_back(e.tick);
    }
  }
  for (int n : sounding)
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
              !table.keyswitchKeys[e.data1];
  Require(summary.notesRead == played, "notes read differ from the notes played");
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
