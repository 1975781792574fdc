// Reading articulations back: which messages switch (CC 1 only right before
// a note at its tick), which slot a note gets (best explanation, ties to the
// lowest, unexplained notes keep the slot before), what passes untouched,
// and which maps cannot be read at all.
#include <gtest/gtest.h>

#include "render_test_support.h"

namespace {

using namespace render_test;

MidiEvent On(uint64_t t, int channel, int key, int velocity = 100) {
  return MidiEvent::Channel(t, uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity));
}
MidiEvent Off(uint64_t t, int channel, int key) {
  return MidiEvent::Channel(t, uint8_t(0x80 | channel), uint8_t(key), 0);
}
MidiEvent Cc(uint64_t t, int channel, int cc, int value) {
  return MidiEvent::Channel(t, uint8_t(0xB0 | channel), uint8_t(cc), uint8_t(value));
}

Bytes FileOf(std::vector<std::vector<MidiEvent>> tracks, int format = 1) {
  MidiFile file;
  file.format = format;
  file.tracks = std::move(tracks);
  return WriteMidiFile(file);
}

MidiFile Read(const Bytes& bytes) {
  MidiFile file;
  std::string error;
  EXPECT_TRUE(ReadMidiFile(bytes, file, error)) << error;
  return file;
}

std::vector<int> ColoursInOrder(const Bytes& midi) {
  std::vector<int> colours;
  for (const Note& n : NotesOf(midi)) colours.push_back(n.colour);
  return colours;
}

TEST(Colouring, Cc1SwitchesOnlyRightBeforeANoteAtItsTickAndIsPlayedElsewhere) {
  PluginSettings map;
  map.slots[0].modwheel = 20;
  map.slots[1].modwheel = 90;
  const Bytes input = FileOf({{
      Cc(0, 0, 1, 20), On(0, 0, 60), Off(40, 0, 60),  // switches to slot 1
      Cc(50, 0, 1, 90),                               // no note at tick 50: played
      On(100, 0, 62), Off(140, 0, 62),                // still slot 1
      Cc(200, 0, 1, 90), Cc(200, 0, 11, 64),          // CC 11 between: played
      On(200, 0, 64), Off(240, 0, 64), Cc(300, 1, 1, 90), On(300, 0, 65),
      Off(340, 0, 65),                                     // another channel's CC 1: played
      Cc(400, 0, 1, 90), On(400, 0, 67), Off(440, 0, 67),  // switches to slot 2
  }});
  ColourSummary summary;
  const Bytes out = ColourFile(map, input, &summary);
  EXPECT_EQ(ColoursInOrder(out), (std::vector<int>{0, 0, 0, 0, 1}));
  using Cc3 = std::tuple<uint64_t, int, int>;
  EXPECT_EQ(ControllersOf(out),
            (std::vector<Cc3>{{50, 1, 90}, {200, 1, 90}, {200, 11, 64}, {300, 1, 90}}));
  EXPECT_EQ(summary.messagesRemoved, 2);
  EXPECT_EQ(summary.unexplained, 0);
}

TEST(Colouring, BestExplanationWinsTiesGoLowUnexplainedNotesKeepTheSlotBefore) {
  PluginSettings map;
  map.slots[0] = {"Legato", 55, 24, 10, kUnset};
  map.slots[1] = {"Sustain", 55, 25, 20, kUnset};
  map.slots[2] = {"Staccato", 55, 26, 10, kUnset};
  const Bytes input = FileOf({{
      On(0, 0, 60), Off(10, 0, 60),                         // nothing set yet: unexplained, slot 1
      Cc(100, 0, 32, 10), On(110, 0, 61), Off(120, 0, 61),  // slots 1 and 3 agree: tie, slot 1
      On(200, 0, 26, 127), Off(200, 0, 26),                 // keyswitch D0 with UACC 10: slot 3
      On(210, 0, 62), Off(220, 0, 62), On(300, 0, 25, 127),
      Off(300, 0, 25),                  // C#0 with UACC 10 fits no slot
      On(310, 0, 63), Off(320, 0, 63),  // unexplained: keeps slot 3
  }});
  ColourSummary summary;
  const Bytes out = ColourFile(map, input, &summary);
  EXPECT_EQ(ColoursInOrder(out), (std::vector<int>{0, 0, 2, 2}));
  EXPECT_EQ(summary.notesRead, 4);
  EXPECT_EQ(summary.perSlot[0], 2);
  EXPECT_EQ(summary.perSlot[2], 2);
  EXPECT_EQ(summary.ties, 1);
  EXPECT_EQ(summary.unexplained, 2);
  EXPECT_EQ(summary.messagesRemoved, 5);  // CC 32 and two keyswitches, on and off
}

TEST(Colouring, EverythingButSwitchingPassesExactlyTrackByTrack) {
  PluginSettings map;
  map.slots[0].keyswitch = 24;
  map.slots[3].keyswitch = 27;
  const uint8_t text[] = {'h', 'i'};
  const uint8_t sysex[] = {0x7E, 0x7F, 0xF7};
  MidiEvent meta = MidiEvent::Meta(5, kMetaText, {text, text + 2});
  MidiEvent sys;
  sys.tick = 7;
  sys.kind = MidiEvent::Kind::Sysex;
  sys.status = 0xF0;
  sys.payload.assign(sysex, sysex + 3);
  const Bytes input = FileOf({
      {MidiEvent::Meta(0, kMetaTempo, {7, 0xA1, 0x20}), meta},
      {On(0, 2, 27, 127), Off(1, 2, 27), MidiEvent::Channel(2, 0xE2, 0, 64), sys, On(10, 2, 60, 90),
       MidiEvent::Channel(12, 0xC2, 5, 0), MidiEvent::Channel(13, 0xA2, 60, 30), Cc(14, 2, 74, 3),
       Cc(15, 2, 32, 9), Off(20, 2, 60)},
  });
  const Bytes out = ColourFile(map, input);
  const MidiFile in = Read(input), got = Read(out);
  ASSERT_EQ(got.tracks.size(), 2u);
  EXPECT_EQ(got.format, 1);
  // The conductor as it was; the part less its keyswitch, its notes on
  // channel 4 (slot 4), and everything else untouched.
  ASSERT_EQ(got.tracks[0].size(), in.tracks[0].size());
  const auto& part = got.tracks[1];
  std::vector<std::tuple<uint64_t, int, int, int>> events;
  for (const MidiEvent& e : part) events.emplace_back(e.tick, e.status, e.data1, e.data2);
  using E = std::tuple<uint64_t, int, int, int>;
  EXPECT_EQ(events, (std::vector<E>{{2, 0xE2, 0, 64},
                                    {7, 0xF0, 0, 0},
                                    {10, 0x93, 60, 90},
                                    {12, 0xC2, 5, 0},
                                    {13, 0xA2, 60, 30},
                                    {14, 0xB2, 74, 3},
                                    {15, 0xB2, 32, 9},  // no slot sends UACC: played
                                    {20, 0x83, 60, 0},
                                    {20, 0xFF, 0, 0}}));
  EXPECT_EQ(part[1].payload, sys.payload);
  EXPECT_EQ(got.tracks[0][1].payload, meta.payload);

  // A format 0 file stays one.
  EXPECT_EQ(Read(ColourFile(map, FileOf({{On(0, 0, 24), On(1, 0, 60)}}, 0))).format, 0);
}

TEST(Colouring, SlotsTheStateCannotTellApartAreNamed) {
  PluginSettings map;
  map.slots[0] = {"Legato", 55, 24, kUnset, kUnset};
  map.slots[1] = {"Sustain", 55, kUnset, 20, kUnset};  // no kind shared with slot 1
  map.slots[2] = {"", 55, 24, kUnset, 64};             // slot 1's keyswitch and more
  map.slots[3] = {"Pizz", 55, 30, 21, kUnset};         // apart from all by UACC or keyswitch
  const SlotOutputTable table = SlotOutputsOf(map);
  const auto pairs = CollidingSlots(table);
  EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {1, 2}}));
  EXPECT_EQ(DescribeCollisions({{0, 2}}, map, table),
            "slot 1 \"Legato\" (keyswitch C0) and slot 3 (keyswitch C0, modwheel 64)");

  PluginSettings apart;
  apart.slots[0] = {"A", 55, 24, kUnset, 10};
  apart.slots[1] = {"B", 55, 24, kUnset, 11};
  apart.slots[5] = {"", 55, kUnset, kUnset, kUnset};  // sends nothing: never read
  EXPECT_TRUE(CollidingSlots(SlotOutputsOf(apart)).empty());
}

}  // namespace
