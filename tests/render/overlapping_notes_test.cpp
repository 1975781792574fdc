// Notes of one key that overlap, as a sampler hears them: the host's voice
// bookkeeping, the count of such notes, the smallest part that used to
// leave a key down, and colour's one note-off per note.
#include <gtest/gtest.h>

#include "render_test_support.h"
#include "tools/render/host_voices.h"
#include "tools/render/key_overlaps.h"

namespace {

using namespace render_test;

MidiEvent On(uint64_t t, int channel, int key, int velocity = 100) {
  return MidiEvent::Channel(t, uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity));
}
MidiEvent Off(uint64_t t, int channel, int key) {
  return MidiEvent::Channel(t, uint8_t(0x80 | channel), uint8_t(key), 0);
}

Bytes FileOf(std::vector<std::vector<MidiEvent>> tracks) {
  MidiFile file;
  file.format = 1;
  file.division = 480;
  file.tracks = std::move(tracks);
  return WriteMidiFile(file);
}

// (tick, on) of every note message of one channel and key, in order.
std::vector<std::pair<uint64_t, bool>> KeyMessages(const Bytes& midi, int channel, int key) {
  std::vector<std::pair<uint64_t, bool>> out;
  MidiFile file;
  std::string error;
  if (!ReadMidiFile(midi, file, error)) return out;
  for (const auto& track : file.tracks)
    for (const MidiEvent& e : track)
      if (e.kind == MidiEvent::Kind::Channel && (e.status & 0x0F) == channel &&
          ((e.status & 0xF0) == 0x80 || (e.status & 0xF0) == 0x90) && e.data1 == key)
        out.emplace_back(e.tick, (e.status & 0xF0) == 0x90 && e.data2 > 0);
  return out;
}

TEST(HostVoices, ANoteOffEndsEveryVoiceOfItsKeyWrittenBeforeIt) {
  struct Case {
    const char* what;
    std::vector<uint64_t> written;  // voices held on channel 3, key 60, in order
    uint64_t offAt;
    std::vector<size_t> ended;  // indices into written
  };
  const Case cases[] = {
      {"one voice", {0}, 480, {0}},
      {"two overlapping voices end together", {0, 240}, 480, {0, 1}},
      {"a voice begun at the note-off's tick is spared", {0, 480}, 480, {0}},
      {"unless it is alone there", {480, 480}, 480, {0, 1}},
      {"a voice written after it (moved earlier) is not its note", {600}, 480, {}},
      {"nor beside an earlier one", {0, 600}, 480, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HostVoices voices;
    std::vector<int32_t> tags;
    for (size_t i = 0; i < c.written.size(); ++i) {
      tags.push_back(voices.Start(3));
      voices.Hold(tags.back(), 100 + static_cast<intptr_t>(i), 3, 60, c.written[i]);
    }
    const int32_t other = voices.Start(5);
    voices.Hold(other, 99, 5, 60, 0);  // same key, other channel: untouched
    std::vector<int32_t> ended, want;
    for (size_t i : c.ended) want.push_back(tags[i]);
    EXPECT_EQ(voices.Release(3, 60, c.offAt, ended), !want.empty());
    EXPECT_EQ(ended, want);
    EXPECT_TRUE(voices.Held(5, 60));
    EXPECT_EQ(voices.Held(3, 60), want.size() < tags.size());
    voices.ReleaseAll(3, 60, ended);
    EXPECT_FALSE(voices.Held(3, 60));
  }
  // Tags come back once their voice is gone, with a fresh record.
  HostVoices voices;
  const int32_t a = voices.Start(3);
  voices.Hold(a, 100, 3, 60, 0);
  intptr_t handle = 0;
  ASSERT_TRUE(voices.End(a, handle));
  EXPECT_EQ(handle, 100);
  EXPECT_FALSE(voices.End(a, handle)) << "reported twice, killed once";
  EXPECT_FALSE(voices.Held(3, 60)) << "a voice ended while held leaves its key";
  const int32_t b = voices.Start(7);
  EXPECT_EQ(b, a);
  EXPECT_EQ(voices.Colour(b), 7);
  voices.Forget(b);
  EXPECT_EQ(voices.Colour(b), 0);
}

TEST(KeyOverlaps, CountsNotesBegunWhileTheirKeySoundsAndEndsThemTogether) {
  KeyOverlaps keys;
  KeyOverlapSummary summary;
  EXPECT_FALSE(keys.NoteOn(0, 60, 0, 0, summary));
  EXPECT_TRUE(keys.NoteOn(0, 60, 240, 1, summary));
  EXPECT_FALSE(keys.NoteOn(1, 60, 240, 0, summary)) << "another channel";
  EXPECT_EQ(keys.NoteOff(0, 60, 480), 2);
  EXPECT_EQ(keys.NoteOff(0, 60, 600), 0);
  EXPECT_FALSE(keys.NoteOn(0, 60, 600, 0, summary));
  EXPECT_TRUE(keys.NoteOn(0, 60, 960, 0, summary));
  EXPECT_EQ(keys.NoteOff(0, 60, 960), 1) << "the note begun at the note-off's tick is spared";
  EXPECT_EQ(keys.NoteOff(0, 60, 1200), 1);
  EXPECT_EQ(summary.count, 2);
  ASSERT_EQ(summary.first.size(), 2u);
  EXPECT_EQ(summary.first[0].tick, 240u);
  EXPECT_EQ(summary.first[0].track, 1);
}

// C3 on at 0, on again at 240, one note-off at 480, then four plain C3
// quarter notes: every C3 ends at its written end, the first two together.
TEST(OverlappingNotes, TheSmallestPartThatLeftAKeyDownEndsEveryNoteWhereItIsWritten) {
  const int c3 = 60;
  std::vector<MidiEvent> part = {On(0, 0, c3), On(240, 0, c3), Off(480, 0, c3)};
  for (uint64_t t = 480; t < 2400; t += 480) {
    part.push_back(On(t, 0, c3));
    part.push_back(Off(t + 480, 0, c3));
  }
  std::stable_sort(part.begin(), part.end(),
                   [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
  const Bytes input = FileOf({{}, part});
  PluginSettings settings;
  settings.slots[0].keyswitch = 12;
  RenderSummary summary;
  const Bytes rendered = RenderNatively(settings, input, &summary);
  const std::vector<std::pair<uint64_t, bool>> want = {
      {0, true},     {240, true},  {480, false},  {480, true},  {960, false}, {960, true},
      {1440, false}, {1440, true}, {1920, false}, {1920, true}, {2400, false}};
  EXPECT_EQ(KeyMessages(rendered, 0, c3), want);
  EXPECT_EQ(summary.overlaps.count, 1);
  EXPECT_EQ(summary.unmatchedNoteOffs, 0);
  EXPECT_EQ(summary.endedAtStop, 0);
  EXPECT_EQ(KeyLeftDown(settings, input, rendered, false), "");

  // colour: both overlapping notes end at the one note-off, each with a
  // note-off of its own; six note-ons, six note-offs.
  ColourSummary colours;
  const Bytes coloured = ColourFile(settings, rendered, &colours);
  const std::vector<std::pair<uint64_t, bool>> balanced = {
      {0, true},   {240, true},   {480, false}, {480, false},  {480, true},  {960, false},
      {960, true}, {1440, false}, {1440, true}, {1920, false}, {1920, true}, {2400, false}};
  EXPECT_EQ(KeyMessages(coloured, 0, c3), balanced);
  EXPECT_EQ(colours.overlaps.count, 1);
  EXPECT_EQ(NotesOf(coloured), NotesOf(input));
}

// The notes of every colour play on the map's one channel: at one tick,
// the note-off of a key in one colour goes before its note-on in another,
// whatever track each stands in, or the plug-in keeps the key down for the
// new note and the old one rings on to its end.
TEST(OverlappingNotes, ANoteOffOfOneColourGoesBeforeANoteOnOfAnotherOnTheSameKey) {
  const int c3 = 60;
  PluginSettings settings;
  settings.channel = 2;
  settings.slots[0].keyswitch = 12;
  settings.slots[1].keyswitch = 14;
  // Colour 1 (track 2) from 100 to 150, colour 2 (track 3) from 0 to 100.
  const Bytes input =
      FileOf({{}, {On(100, 0, c3), Off(150, 0, c3)}, {On(0, 1, c3), Off(100, 1, c3)}});
  RenderSummary summary;
  const Bytes rendered = RenderNatively(settings, input, &summary);
  MidiFile file;
  std::string error;
  ASSERT_TRUE(ReadMidiFile(rendered, file, error)) << error;
  std::vector<std::tuple<uint64_t, int, int>> notes;  // tick, status, key
  for (const MidiEvent& e : file.tracks.back())
    if (e.kind == MidiEvent::Kind::Channel && (e.status & 0xE0) == 0x80)
      notes.emplace_back(e.tick, e.status, e.data1);
  const std::vector<std::tuple<uint64_t, int, int>> want = {
      {0, 0x92, 14},   {0, 0x82, 14},   {0, 0x92, c3},  // slot 2's keyswitch, its note
      {100, 0x82, c3},                                  // ended before
      {100, 0x92, 12}, {100, 0x82, 12}, {100, 0x92, c3}, {150, 0x82, c3}};
  EXPECT_EQ(notes, want);
  EXPECT_EQ(summary.overlaps.count, 0);
  EXPECT_EQ(summary.unmatchedNoteOffs, 0);

  // Played on channels of their own, the two keys are apart and keep the
  // file's order.
  settings.slots[0].additions.noteChannels = 1u << 5;
  const std::vector<std::pair<uint64_t, bool>> apart = {{100, true}, {150, false}};
  EXPECT_EQ(KeyMessages(RenderNatively(settings, input), 5, c3), apart);
}

// C3 on at 0 and at 10, off at 20 (the two end together: one note-off is
// still owed); on and off at 30 (that owed note-off: the note goes on);
// on and off at 40; off at 60. The note-off at 40 ends the note begun at
// 30, before the note-on at 40.
TEST(OverlappingNotes, ANoteOffOwedByNotesEndedTogetherLeavesTheNextNoteToTheNextNoteOff) {
  const int c3 = 60;
  const Bytes input = FileOf({{},
                              {On(0, 0, c3), On(10, 0, c3), Off(20, 0, c3), On(30, 0, c3),
                               Off(30, 0, c3), On(40, 0, c3), Off(40, 0, c3), Off(60, 0, c3)}});
  PluginSettings settings;
  settings.slots[0].keyswitch = 12;
  RenderSummary summary;
  const Bytes rendered = RenderNatively(settings, input, &summary);
  const std::vector<std::pair<uint64_t, bool>> want = {
      {0, true}, {10, true}, {20, false}, {30, true}, {40, false}, {40, true}, {60, false}};
  EXPECT_EQ(KeyMessages(rendered, 0, c3), want);
  EXPECT_EQ(summary.overlaps.count, 1);
  EXPECT_EQ(summary.unmatchedNoteOffs, 0);
  EXPECT_EQ(summary.endedAtStop, 0);
  EXPECT_EQ(KeyLeftDown(settings, input, rendered, false), "");
}

TEST(OverlappingNotes, ColourEndsEachNoteOnItsOwnColourAndRemovesNoteOffsThatEndNothing) {
  // Slot 1 by keyswitch C0 (12), slot 2 by D0 (14); both notes on key 60 of
  // channel 1, the second switched to slot 2 while the first sounds.
  PluginSettings settings;
  settings.slots[0].keyswitch = 12;
  settings.slots[1].keyswitch = 14;
  // Key 62 is never ended: its note-off comes at the last tick (900, in
  // another track), and its track ends there.
  const Bytes keyswitched =
      FileOf({{On(0, 0, 12), Off(0, 0, 12), On(0, 0, 60), On(240, 0, 14), Off(240, 0, 14),
               On(240, 0, 60), Off(480, 0, 60), Off(600, 0, 60), On(700, 0, 62)},
              {MidiEvent::Channel(900, 0xB0, 7, 90)}});
  ColourSummary summary;
  const Bytes coloured = ColourFile(settings, keyswitched, &summary);
  using Messages = std::vector<std::pair<uint64_t, bool>>;
  EXPECT_EQ(KeyMessages(coloured, 0, 60), (Messages{{0, true}, {480, false}}));
  EXPECT_EQ(KeyMessages(coloured, 1, 60), (Messages{{240, true}, {480, false}}));
  EXPECT_EQ(KeyMessages(coloured, 1, 62), (Messages{{700, true}, {900, false}}));
  EXPECT_EQ(summary.strayNoteOffs, 1);
  EXPECT_EQ(summary.endedAtEnd, 1);
  const std::vector<int> balance = KeyBalance(coloured);
  EXPECT_TRUE(std::all_of(balance.begin(), balance.end(), [](int b) { return b == 0; }));
  EXPECT_EQ(summary.overlaps.count, 0) << "on channels of their own they no longer overlap";
}

}  // namespace
