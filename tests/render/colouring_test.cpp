// Reading articulations back: which messages switch (CC 1 at a note's tick
// or last in a rest), which slot a note gets (best explanation, ties to the
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

// CC 1 is both a switch and Dynamics: it switches at a note's tick, or in
// a rest as the last CC 1 before the next note when it carries a slot's
// value; under notes, and where a curve in a rest ends on another value,
// it is played.
TEST(Colouring, Cc1SwitchesAtTheNoteOrLastInARestWithASlotsValue) {
  PluginSettings map;
  map.slots[0].modwheel = 20;
  map.slots[1].modwheel = 90;
  const Bytes input = FileOf({{
      Cc(0, 0, 1, 20),   On(0, 0, 60),        // at the note: slot 1
      Cc(20, 0, 1, 90),  Off(40, 0, 60),      // under the note: played
      Cc(50, 0, 1, 90),  Cc(60, 0, 1, 70),    // a curve in the rest ending on 70: played
      On(100, 0, 62),    Off(140, 0, 62),     // still slot 1
      Cc(150, 0, 1, 90), Cc(160, 0, 11, 64),  // early, before the phrase: slot 2
      On(200, 0, 64),    Off(240, 0, 64),     //
      Cc(250, 1, 1, 20), On(300, 0, 65),     Off(340, 0, 65),  // another channel's: played
      Cc(350, 0, 1, 20), Cc(360, 0, 1, 90),                    // only the last one switches
      On(400, 0, 67),    Off(440, 0, 67),
  }});
  ColourSummary summary;
  const Bytes out = ColourFile(map, input, &summary);
  EXPECT_EQ(ColoursInOrder(out), (std::vector<int>{0, 0, 1, 1, 1}));
  using Cc3 = std::tuple<uint64_t, int, int>;
  EXPECT_EQ(ControllersOf(out),
            (std::vector<Cc3>{
                {20, 1, 90}, {50, 1, 90}, {60, 1, 70}, {160, 11, 64}, {250, 1, 20}, {350, 1, 20}}));
  EXPECT_EQ(summary.messagesRemoved, 3);
  EXPECT_EQ(summary.unexplained, 0);
}

// A part that only ever sets CC 1 to slots' values uses it to switch, even
// where a switch written early lands under the note before (legato); one
// that also plays it keeps the narrower rule.
TEST(Colouring, AControllerThePartNeverPlaysSwitchesWhereverItStands) {
  PluginSettings map;
  map.slots[0].modwheel = 20;
  map.slots[1].modwheel = 90;
  std::vector<MidiEvent> legato = {Cc(0, 0, 1, 20), On(0, 0, 60),   Cc(90, 0, 1, 90),
                                   Off(100, 0, 60), On(100, 0, 62), Cc(190, 0, 1, 20),
                                   Off(200, 0, 62), On(200, 0, 64), Off(300, 0, 64)};
  ColourSummary summary;
  Bytes out = ColourFile(map, FileOf({legato}), &summary);
  EXPECT_EQ(ColoursInOrder(out), (std::vector<int>{0, 1, 0}));
  EXPECT_TRUE(ControllersOf(out).empty());

  legato.insert(legato.begin() + 2, Cc(50, 0, 1, 70));  // a swell: the part plays CC 1
  out = ColourFile(map, FileOf({legato}), &summary);
  EXPECT_EQ(ColoursInOrder(out), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(ControllersOf(out).size(), 3u);
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

// Slot additions: action messages switch as the fields do, a layered note is
// one note with its transpose undone, note channels tell slots apart.
namespace additions {

MidiEvent Msg(uint64_t t, int status, int d1, int d2) {
  return MidiEvent::Channel(t, uint8_t(status), uint8_t(d1), uint8_t(d2));
}

void Act(SlotSettings& slot, ActionKind kind, int channel, int number, int value) {
  auto& a = slot.additions;
  a.actions[a.actionCount++] = {kind, uint8_t(channel), uint8_t(number), uint16_t(value)};
}

TEST(ColouringAdditions, ALayeredTransposedNoteIsOneNoteAndNoteChannelsAreEvidence) {
  PluginSettings map;  // the plug-in on channel 1
  map.slots[0].keyswitch = 24;
  map.slots[0].additions.noteChannels = kPluginChannelBit | 1u << 2;  // and channel 3
  map.slots[0].additions.transpose = -12;
  map.slots[1].keyswitch = 26;
  map.slots[2].additions.noteChannels = 1u << 4;  // channel 5 only, sends nothing
  const Bytes input = FileOf({{
      On(0, 0, 24), Off(0, 0, 24), On(0, 0, 48, 90), On(0, 2, 48, 90),  // slot 1, layered
      Off(50, 0, 48), Off(50, 2, 48),                                   //
      On(60, 0, 26), Off(60, 0, 26), On(60, 0, 50), Off(70, 0, 50),     // slot 2, as played
      On(80, 4, 52), Off(90, 4, 52),                                    // channel 5: slot 3
      On(100, 0, 55), Off(110, 0, 55),  // channel 1 without channel 3: not slot 1
  }});
  ColourSummary summary;
  const Bytes out = ColourFile(map, input, &summary);
  const std::vector<Note> want = {
      {0, 50, 60, 90, 0}, {60, 10, 50, 100, 1}, {80, 10, 52, 100, 2}, {100, 10, 55, 100, 1}};
  EXPECT_EQ(NotesOf(out), want);
  EXPECT_EQ(summary.notesRead, 4);
  EXPECT_EQ(summary.layerNotes, 1);
  EXPECT_EQ(summary.unexplained, 0);
  EXPECT_EQ(summary.messagesRemoved, 4 + 2);  // two keyswitches on and off, a layer on and off
  EXPECT_EQ(Read(out).tracks[0].size(), 9u);  // four notes on and off, end of track
}

TEST(ColouringAdditions, ActionsSwitchAndPerformanceOnesOnlyRightBeforeANote) {
  PluginSettings map;
  Act(map.slots[0], ActionKind::kControlChange, 2, 11, 30);  // CC 11 on channel 2
  Act(map.slots[0], ActionKind::kPitchBend, 2, 0, 1000);
  Act(map.slots[0], ActionKind::kProgramChange, 4, 7, 0);
  Act(map.slots[1], ActionKind::kControlChange, 2, 11, 90);
  Act(map.slots[1], ActionKind::kPitchBend, 2, 0, 9000);
  Act(map.slots[1], ActionKind::kProgramChange, 4, 8, 0);
  const Bytes input = FileOf({{
      Msg(0, 0xB1, 11, 30),
      Msg(0, 0xE1, 1000 & 0x7F, 1000 >> 7),
      Msg(0, 0xC3, 7, 0),
      On(0, 0, 60),
      Off(10, 0, 60),  // slot 1
      Msg(20, 0xB1, 11, 70),
      Msg(20, 0xE1, 0, 64),  // no note at tick 20, no slot's values: played
      Msg(25, 0xC3, 8, 0),   // a program switches anywhere
      On(30, 0, 62),
      Off(40, 0, 62),  // slot 1 by CC 11 and the bend; 8 disagrees
      Msg(50, 0xB1, 11, 90),
      Msg(50, 0xE1, 9000 & 0x7F, 9000 >> 7),
      On(50, 0, 64),
      Off(60, 0, 64),
  }});
  ColourSummary summary;
  const Bytes out = ColourFile(map, input, &summary);
  EXPECT_EQ(ColoursInOrder(out), (std::vector<int>{0, 0, 1}));
  using Cc3 = std::tuple<uint64_t, int, int>;
  EXPECT_EQ(ControllersOf(out), (std::vector<Cc3>{{20, 11, 70}}));
  EXPECT_EQ(summary.unexplained, 1);  // tick 30: the program says slot 2, the rest slot 1
  EXPECT_EQ(summary.messagesRemoved, 3 + 1 + 2);
  int bends = 0;
  const MidiFile file = Read(out);
  for (const MidiEvent& e : file.tracks[0]) bends += (e.status & 0xF0) == 0xE0;
  EXPECT_EQ(bends, 1);
}

TEST(ColouringAdditions, TappedNotesAreASetAndHeldNotesTheSetStillDown) {
  PluginSettings map;
  map.slots[0].uacc = 5;
  Act(map.slots[0], ActionKind::kNoteTap, 3, 36, 100);  // C1 and D1 on channel 3
  Act(map.slots[0], ActionKind::kNoteTap, 3, 38, 100);
  Act(map.slots[0], ActionKind::kNoteHeld, 2, 41, 90);  // F1 held on channel 2
  map.slots[1].uacc = 5;
  Act(map.slots[1], ActionKind::kNoteTap, 3, 36, 100);  // C1 and E1
  Act(map.slots[1], ActionKind::kNoteTap, 3, 40, 100);
  const Bytes input = FileOf({{
      Msg(0, 0xB0, 32, 5), On(0, 2, 36), Off(0, 2, 36), On(0, 2, 38), Off(0, 2, 38), On(0, 1, 41),
      On(0, 0, 60), Off(10, 0, 60),  // slot 1: {C1, D1}, F1 down
      Off(20, 1, 41), On(20, 2, 36), Off(20, 2, 36), On(20, 2, 40), Off(20, 2, 40), On(20, 0, 62),
      Off(30, 0, 62),                                // slot 2: {C1, E1}, nothing down
      On(40, 2, 38), On(40, 0, 64), Off(50, 0, 64),  // {D1} alone: no slot's set
  }});
  ColourSummary summary;
  const Bytes out = ColourFile(map, input, &summary);
  EXPECT_EQ(ColoursInOrder(out), (std::vector<int>{0, 1, 1}));
  EXPECT_EQ(summary.unexplained, 1);
  EXPECT_EQ(summary.ties, 0);
  EXPECT_EQ(NotesOf(out).size(), 3u);
}

TEST(ColouringAdditions, CollisionsCountActionsAndNoteChannelsAndNameThem) {
  PluginSettings map;
  map.slots[0].name = "Legato";
  Act(map.slots[0], ActionKind::kControlChange, 2, 58, 20);
  map.slots[1].name = "Sustain";
  Act(map.slots[1], ActionKind::kControlChange, 2, 58, 21);  // apart from 1 by CC 58
  map.slots[2].keyswitch = 24;
  Act(map.slots[2], ActionKind::kControlChange, 2, 58, 20);           // as slot 1, plus a keyswitch
  map.slots[3].additions.noteChannels = kPluginChannelBit | 1u << 2;  // channels 1 and 3
  map.slots[4].additions.noteChannels = 1u << 3;                      // channel 4
  const SlotOutputTable table = SlotOutputsOf(map);
  ASSERT_TRUE(table.routed);
  const auto pairs = CollidingSlots(table);
  // Slots 4 and 5 share no note channel; slots 1..3 all play on channel 1.
  EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{0, 2}, {0, 3}, {1, 3}, {2, 3}}));
  EXPECT_EQ(DescribeCollisions({{0, 2}, {2, 3}}, map, table),
            "slot 1 \"Legato\" (CC 58 = 20, ch 2) and slot 3 (keyswitch C0, CC 58 = 20, ch 2); "
            "slot 3 (keyswitch C0, CC 58 = 20, ch 2) and slot 4 (notes on ch 1+3)");
  // A held note is always in force: a slot holding nothing differs from one
  // holding F1.
  PluginSettings held;
  held.slots[0].uacc = 5;
  held.slots[1].uacc = 5;
  Act(held.slots[1], ActionKind::kNoteHeld, 0, 41, 90);
  EXPECT_TRUE(CollidingSlots(SlotOutputsOf(held)).empty());
}

TEST(ColouringAdditions, ARenderCountsALayeredNotesOwnNoteOnsAsNoSwitch) {
  PluginSettings map;
  map.slots[0].keyswitch = 24;
  map.slots[0].additions.noteChannels = kPluginChannelBit | 1u << 2 | 1u << 5;
  RenderSummary summary;
  const Bytes rendered = RenderNatively(map, FileOf({{On(10, 0, 60), Off(20, 0, 60)}}), &summary);
  EXPECT_EQ(summary.keyswitches, 1);
  EXPECT_EQ(NotesOf(rendered).size(), 4u);  // the keyswitch and three layers
}

}  // namespace additions
