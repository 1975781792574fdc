// Every articulation on time: the shift on a tempo map and its inverse,
// render moving each slot's note-ons by its latency (the switches going
// with them, note-offs staying), a lead before the switches, and colour
// moving the notes back.
#include <gtest/gtest.h>

#include <tuple>

#include "render_test_support.h"

namespace {

using namespace render_test;
using Message = std::tuple<uint64_t, int, int>;  // tick, status, data 1

MidiEvent NoteOn(uint64_t t, int channel, int key) {
  return MidiEvent::Channel(t, uint8_t(0x90 | channel), uint8_t(key), 100);
}
MidiEvent NoteOff(uint64_t t, int channel, int key) {
  return MidiEvent::Channel(t, uint8_t(0x80 | channel), uint8_t(key), 0);
}

// One track at 480 ticks a quarter and 120 BPM: 960 ticks a second, so
// 250 ms is 240 ticks.
Bytes OneTrack(std::vector<MidiEvent> events) {
  MidiFile file;
  file.format = 1;
  std::stable_sort(events.begin(), events.end(),
                   [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
  file.tracks = {std::move(events)};
  return WriteMidiFile(file);
}

// Slot 1 "Legato" (keyswitch 24) sounds 250 ms late, slot 2 "Staccato"
// (keyswitch 26) at once.
PluginSettings LegatoAndStaccato(int legatoMs = 250) {
  PluginSettings map;
  map.slots[0].name = "Legato";
  map.slots[0].keyswitch = 24;
  map.slots[0].additions.latencyMs = static_cast<uint16_t>(legatoMs);
  map.slots[1].name = "Staccato";
  map.slots[1].keyswitch = 26;
  return map;
}

// The note-ons and note-offs the plug-in sent, in the output's order.
std::vector<Message> NoteMessagesOf(const Bytes& rendered) {
  MidiFile file;
  std::string error;
  EXPECT_TRUE(ReadMidiFile(rendered, file, error)) << error;
  std::vector<Message> notes;
  for (const MidiEvent& e : file.tracks.back())
    if (e.kind == MidiEvent::Kind::Channel &&
        ((e.status & 0xF0) == 0x90 || (e.status & 0xF0) == 0x80))
      notes.emplace_back(e.tick, e.data2 ? 0x90 : 0x80, e.data1);
  return notes;
}

TEST(LatencyShift, MovesOnTheTempoMapClampsAtTheStartAndLaterUndoesEarlier) {
  // 96 ticks a quarter: 192 ticks a second, then 384 from tick 960 (5 s),
  // then 96 from tick 1920 (7.5 s).
  MidiFile file;
  file.division = 96;
  file.tracks = {{MidiEvent::Meta(960, kMetaTempo, {0x03, 0xD0, 0x90}),
                  MidiEvent::Meta(1920, kMetaTempo, {0x0F, 0x42, 0x40})}};
  const TempoMap tempo(file.division, MergeTracks(file));
  EXPECT_DOUBLE_EQ(tempo.Ticks(tempo.Seconds(1000)), 1000.0);
  const LatencyShift shift(tempo);
  bool clamped = false;
  EXPECT_EQ(shift.Earlier(480, 250, clamped), 432u);
  EXPECT_FALSE(clamped);
  EXPECT_EQ(shift.Earlier(1000, 250, clamped), 932u);  // 40 fast ticks, then 68 slow ones
  EXPECT_EQ(shift.Earlier(48, 250, clamped), 0u);
  EXPECT_FALSE(clamped) << "exactly 250 ms after the start";
  EXPECT_EQ(shift.Earlier(20, 250, clamped), 0u);
  EXPECT_TRUE(clamped);

  int exact = 0, shared = 0;
  for (uint64_t t = 49; t < 3000; ++t) {
    const uint64_t moved = shift.Earlier(t, 250, clamped);
    ASSERT_LE(shift.Earlier(t - 1, 250, clamped), moved) << t;
    const uint64_t back = shift.Later(moved, 250);
    ASSERT_EQ(shift.Earlier(back, 250, clamped), moved) << t;
    const bool alone =
        shift.Earlier(t - 1, 250, clamped) != moved && shift.Earlier(t + 1, 250, clamped) != moved;
    if (alone) {
      ASSERT_EQ(back, t);
    }
    (alone ? exact : shared) += 1;
  }
  EXPECT_GT(exact, 2000);
  EXPECT_GT(shared, 0) << "the fast span moved into the slow one shares ticks";
}

TEST(RenderCompensation, EachNoteOnMovesWithItsSwitchAndItsNoteOffStays) {
  const Bytes input = OneTrack({NoteOn(480, 1, 60), NoteOff(600, 1, 60),  // staccato
                                NoteOn(600, 0, 62), NoteOff(900, 0, 62),  // legato, to 360
                                NoteOn(1000, 0, 64), NoteOff(1200, 0, 64)});
  RenderSummary summary;
  const Bytes out = RenderNatively(LegatoAndStaccato(), input, &summary, true);
  // The legato note moved in front of the staccato brings its keyswitch;
  // the one after the staccato needs it again.
  EXPECT_EQ(NoteMessagesOf(out), (std::vector<Message>{{360, 0x90, 24},
                                                       {360, 0x80, 24},
                                                       {360, 0x90, 62},
                                                       {480, 0x90, 26},
                                                       {480, 0x80, 26},
                                                       {480, 0x90, 60},
                                                       {600, 0x80, 60},
                                                       {760, 0x90, 24},
                                                       {760, 0x80, 24},
                                                       {760, 0x90, 64},
                                                       {900, 0x80, 62},
                                                       {1200, 0x80, 64}}));
  EXPECT_EQ(summary.compensation.moved[0], 2);
  EXPECT_EQ(summary.compensation.cut[0], 0);
  EXPECT_EQ(summary.keyswitches, 3);

  // No latency: the same bytes as a render without compensation.
  const PluginSettings none = LegatoAndStaccato(0);
  EXPECT_EQ(RenderNatively(none, input, nullptr, true), RenderNatively(none, input));
}

TEST(RenderCompensation, NotesTooNearTheStartStopAtTickZeroAndColourKeepsThemBeforeTheirEnd) {
  const Bytes input = OneTrack({NoteOn(100, 0, 60), NoteOff(150, 0, 60)});
  RenderSummary summary;
  const Bytes out = RenderNatively(LegatoAndStaccato(), input, &summary, true);
  EXPECT_EQ(summary.compensation.cut[0], 1);
  EXPECT_EQ(NotesOf(out).front().tick, 0u);

  MidiLayout layout;
  std::string error;
  ASSERT_TRUE(ReadMidiLayout(out, layout, error));
  ColourSummary colours;
  CompensationSummary undone;
  undone.latencies = LatenciesOf(LegatoAndStaccato());
  const Bytes back =
      ColourUndoingCompensation(out, layout, SlotOutputsOf(LegatoAndStaccato()), colours, undone);
  // Tick 0 + 250 ms would pass the note's end at 150: it starts there.
  EXPECT_EQ(NotesOf(back), (std::vector<Note>{{150, 0, 60, 100, 0}}));
  EXPECT_EQ(undone.cut[0], 1);
}

TEST(RenderCompensation, OnlyNotesThatMovedAreCountedAsMoved) {
  // At tick 0 nothing can go earlier; at 960 the legato note moves.
  const Bytes input =
      OneTrack({NoteOn(0, 0, 60), NoteOff(100, 0, 60), NoteOn(960, 0, 64), NoteOff(1000, 0, 64)});
  RenderSummary summary;
  RenderNatively(LegatoAndStaccato(), input, &summary, true);
  EXPECT_EQ(summary.compensation.moved[0], 1);
  EXPECT_EQ(summary.compensation.unmovedAtStart[0], 1);
  EXPECT_EQ(summary.compensation.unmovedShort[0], 0);

  // 5 ms is less than half a tick at 24 ticks a quarter and 120 BPM (a
  // tick is about 21 ms): the note keeps its tick.
  MidiFile coarse;
  coarse.format = 1;
  coarse.division = 24;
  coarse.tracks = {{NoteOn(48, 0, 60), NoteOff(60, 0, 60)}};
  RenderSummary kept;
  RenderNatively(LegatoAndStaccato(5), WriteMidiFile(coarse), &kept, true);
  EXPECT_EQ(kept.compensation.moved[0], 0);
  EXPECT_EQ(kept.compensation.unmovedShort[0], 1);
}

TEST(RenderCompensation, AMovedNoteOverlappingOneOfItsKeyLeavesNoKeyStuck) {
  const Bytes input = OneTrack({NoteOn(480, 0, 60), NoteOff(960, 0, 60),   // to 240
                                NoteOn(960, 0, 60), NoteOff(1440, 0, 60),  // to 720
                                NoteOn(1440, 1, 60), NoteOff(1920, 1, 60), NoteOn(1920, 0, 60),
                                NoteOff(2400, 0, 60)});  // to 1680
  RenderSummary summary;
  const Bytes out = RenderNatively(LegatoAndStaccato(), input, &summary, true);
  EXPECT_EQ(summary.unmatchedNoteOffs, 0);
  EXPECT_EQ(summary.endedAtStop, 0);
  // The second legato note lands at 720 while the first sounds: it ends
  // it there (note-off, then note-on); the first's own note-off at 960 then
  // ends nothing. The staccato note is of another colour but sounds on the
  // same channel and key: the last legato note, landing at 1680 while it
  // sounds, ends it there too, and its own note-off at 1920 ends nothing.
  std::vector<Message> key60;
  for (const Message& m : NoteMessagesOf(out))
    if (std::get<2>(m) == 60) key60.push_back(m);
  EXPECT_EQ(key60, (std::vector<Message>{{240, 0x90, 60},
                                         {720, 0x80, 60},
                                         {720, 0x90, 60},
                                         {1440, 0x80, 60},
                                         {1440, 0x90, 60},
                                         {1680, 0x80, 60},
                                         {1680, 0x90, 60},
                                         {2400, 0x80, 60}}));
  EXPECT_EQ(summary.compensation.restruck[0], 2);
}

TEST(RenderLead, SwitchesGoAheadOfTheirNoteButNeverPastAnEarlierNote) {
  const Bytes input =
      OneTrack({NoteOn(0, 0, 60), NoteOff(400, 0, 60), NoteOn(480, 1, 62), NoteOff(500, 1, 62),
                NoteOn(490, 0, 64), NoteOff(700, 0, 64),  // 10 ticks after
                NoteOn(1000, 1, 65), NoteOff(1100, 1, 65)});
  RenderSummary summary;
  const Bytes out = RenderNatively(LegatoAndStaccato(0), input, &summary, false, 20);
  std::vector<Message> keyswitches;
  for (const Message& m : NoteMessagesOf(out))
    if (std::get<1>(m) == 0x90 && std::get<2>(m) < 30) keyswitches.push_back(m);
  // 20 ms is 19 ticks; the third switch stops at the staccato note-on.
  EXPECT_EQ(keyswitches, (std::vector<Message>{
                             {0, 0x90, 24}, {461, 0x90, 26}, {480, 0x90, 24}, {981, 0x90, 26}}));
  EXPECT_EQ(summary.leads, 4);
  EXPECT_EQ(summary.leadsAtStart, 1);
  EXPECT_EQ(summary.leadsBlocked, 1);
  EXPECT_EQ(summary.droppedNotes, 0);

  // --lead 0: one tick ahead; no lead: at the note's own tick.
  keyswitches.clear();
  for (const Message& m :
       NoteMessagesOf(RenderNatively(LegatoAndStaccato(0), input, nullptr, false, 0)))
    if (std::get<1>(m) == 0x90 && std::get<2>(m) < 30) keyswitches.push_back(m);
  EXPECT_EQ(keyswitches, (std::vector<Message>{
                             {0, 0x90, 24}, {479, 0x90, 26}, {489, 0x90, 24}, {999, 0x90, 26}}));
  keyswitches.clear();
  for (const Message& m : NoteMessagesOf(RenderNatively(LegatoAndStaccato(0), input)))
    if (std::get<1>(m) == 0x90 && std::get<2>(m) < 30) keyswitches.push_back(m);
  EXPECT_EQ(keyswitches, (std::vector<Message>{
                             {0, 0x90, 24}, {480, 0x90, 26}, {490, 0x90, 24}, {1000, 0x90, 26}}));
}

}  // namespace
