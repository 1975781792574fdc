// The MIDI file reader and writer against hand-assembled bytes.
#include <gtest/gtest.h>

#include "tools/midifile/merged_events.h"
#include "tools/midifile/midi_file_reader.h"
#include "tools/midifile/midi_file_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Header(int format, int tracks, int division) {
  return {'M',
          'T',
          'h',
          'd',
          0,
          0,
          0,
          6,
          0,
          static_cast<uint8_t>(format),
          0,
          static_cast<uint8_t>(tracks),
          static_cast<uint8_t>(division >> 8),
          static_cast<uint8_t>(division)};
}

Bytes Track(const Bytes& body) {
  Bytes out = {'M',
               'T',
               'r',
               'k',
               0,
               0,
               static_cast<uint8_t>(body.size() >> 8),
               static_cast<uint8_t>(body.size())};
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(MidiFileReader, RunningStatusCarriesAcrossEvents) {
  // Note on C3, then (running status) its release as velocity 0 after a
  // two-byte delta of 200 ticks, then a program change and a one-byte
  // running-status program change.
  const Bytes file = Join({Header(0, 1, 96), Track({0x00, 0x91, 60, 100, 0x81, 0x48, 60, 0, 0x00,
                                                    0xC1, 5, 0x10, 7, 0x00, 0xFF, 0x2F, 0x00})});
  MidiFile midi;
  std::string error;
  ASSERT_TRUE(ReadMidiFile(file, midi, error)) << error;
  ASSERT_EQ(midi.tracks.size(), 1u);
  const auto& t = midi.tracks[0];
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[1].tick, 200u);
  EXPECT_EQ(t[1].status, 0x91);
  EXPECT_EQ(t[1].data1, 60);
  EXPECT_EQ(t[1].data2, 0);
  EXPECT_EQ(t[2].status, 0xC1);
  EXPECT_EQ(t[3].status, 0xC1);
  EXPECT_EQ(t[3].data1, 7);
  EXPECT_EQ(t[3].tick, 216u);
  EXPECT_EQ(t[4].kind, MidiEvent::Kind::Meta);
  EXPECT_EQ(midi.division, 96);
}

TEST(MidiFileReader, MergesTracksByTickKeepingTrackOrder) {
  const Bytes file = Join({Header(1, 2, 480), Track({0x00, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20}),
                           Track({0x00, 0x90, 60, 1, 0x00, 0x80, 60, 0})});
  MidiFile midi;
  std::string error;
  ASSERT_TRUE(ReadMidiFile(file, midi, error)) << error;
  const auto merged = MergeTracks(midi);
  ASSERT_EQ(merged.size(), 3u);
  EXPECT_EQ(merged[0].metaType, kMetaTempo);
  EXPECT_EQ(merged[1].status, 0x90);
  EXPECT_EQ(merged[2].status, 0x80);
}

TEST(MidiFileReader, InPlaceMergeGivesTheSameOrderAsTheWholeFile) {
  // Three tracks whose ticks tie and interleave, one empty.
  const Bytes file = Join({Header(1, 4, 96), Track({0x00, 0x91, 1, 1, 0x10, 0x91, 2, 1}),
                           Track({0x10, 0x92, 3, 1, 0x00, 0x92, 4, 1, 0x05, 0x92, 5, 1}), Track({}),
                           Track({0x00, 0x93, 6, 1, 0x20, 0x93, 7, 1})});
  MidiFile midi;
  MidiLayout layout;
  std::string error;
  ASSERT_TRUE(ReadMidiFile(file, midi, error)) << error;
  ASSERT_TRUE(ReadMidiLayout(file, layout, error)) << error;
  EXPECT_EQ(layout.events, 7u);
  std::vector<std::pair<uint64_t, int>> inPlace, whole;
  MidiEventView e;
  for (MergedMidiEvents events(file, layout); events.Next(e);) inPlace.push_back({e.tick, e.data1});
  for (const MidiEvent& m : MergeTracks(midi)) whole.push_back({m.tick, m.data1});
  EXPECT_EQ(inPlace, whole);
  EXPECT_EQ(whole[1], (std::pair<uint64_t, int>{0, 6}));
}

TEST(MidiFileReader, TempoMapFollowsTempoChanges) {
  MidiFile midi;
  midi.division = 100;
  midi.tracks.push_back({MidiEvent::Meta(0, kMetaTempo, {0x07, 0xA1, 0x20}),      // 0.5 s
                         MidiEvent::Meta(200, kMetaTempo, {0x0F, 0x42, 0x40})});  // 1 s
  const TempoMap tempo(midi.division, MergeTracks(midi));
  EXPECT_DOUBLE_EQ(tempo.Seconds(100), 0.5);
  EXPECT_DOUBLE_EQ(tempo.Seconds(200), 1.0);
  EXPECT_DOUBLE_EQ(tempo.Seconds(300), 2.0);
}

struct BadFile {
  const char* name;
  Bytes bytes;
  const char* expected;  // part of the message
};

class MidiFileReaderRejects : public ::testing::TestWithParam<BadFile> {};

TEST_P(MidiFileReaderRejects, WithAMessageSayingWhy) {
  MidiFile midi;
  midi.division = 1234;
  std::string error;
  EXPECT_FALSE(ReadMidiFile(GetParam().bytes, midi, error));
  EXPECT_NE(error.find(GetParam().expected), std::string::npos) << error;
  EXPECT_EQ(midi.division, 1234) << "a failed read leaves the output alone";
}

INSTANTIATE_TEST_SUITE_P(
    BadFiles, MidiFileReaderRejects,
    ::testing::Values(
        BadFile{"Empty", {}, "not a Standard MIDI File"},
        BadFile{"Text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!'},
                "not a Standard MIDI File"},
        BadFile{"HeaderCut", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0}, "truncated"},
        BadFile{"TrackMissing", Header(1, 2, 96), "truncated: the file ends after 0 of 2"},
        BadFile{"ChunkPastEnd", Join({Header(0, 1, 96), Bytes{'M', 'T', 'r', 'k', 0, 0, 0, 9, 0}}),
                "declares 9 bytes"},
        BadFile{"EventCut", Join({Header(0, 1, 96), Track({0x00, 0x90, 60})}),
                "ends inside a channel message"},
        BadFile{"RunningStatusWithoutStatus", Join({Header(0, 1, 96), Track({0x00, 60, 100})}),
                "no status byte"},
        BadFile{"SysexCancelsRunningStatus",
                Join({Header(0, 1, 96), Track({0x00, 0x90, 60, 1, 0x00, 0xF0, 1, 0xF7, 0, 60, 0})}),
                "no status byte"},
        BadFile{"DataByteWithTopBit", Join({Header(0, 1, 96), Track({0x00, 0x90, 0x90, 1})}),
                "where a data value"},
        BadFile{"RealTimeStatus", Join({Header(0, 1, 96), Track({0x00, 0xF8})}), "0xF8"},
        BadFile{"LongNumber", Join({Header(0, 1, 96), Track({0x81, 0x81, 0x81, 0x81, 0x01})}),
                "longer than four bytes"},
        BadFile{"MetaPastEnd", Join({Header(0, 1, 96), Track({0x00, 0xFF, 0x01, 0x05, 'a'})}),
                "runs past the end"},
        BadFile{"FormatTwo", Join({Header(2, 1, 96), Track({})}), "format 2"},
        BadFile{"FormatZeroTwoTracks", Join({Header(0, 2, 96), Track({}), Track({})}),
                "exactly one track"},
        BadFile{"ZeroDivision", Join({Header(0, 1, 0), Track({})}), "0 ticks"}),
    [](const ::testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

TEST(MidiFileReader, SkipsUnknownChunks) {
  const Bytes file = Join(
      {Header(0, 1, 96), Bytes{'X', 'F', 'I', 'H', 0, 0, 0, 2, 1, 2}, Track({0x00, 0x90, 60, 1})});
  MidiFile midi;
  std::string error;
  ASSERT_TRUE(ReadMidiFile(file, midi, error)) << error;
  ASSERT_EQ(midi.tracks.size(), 1u);
  EXPECT_EQ(midi.tracks[0].size(), 1u);
}

TEST(MidiFileWriter, WritesWhatTheReaderReadsBack) {
  MidiFile midi;
  midi.format = 1;
  midi.division = 960;
  midi.tracks.push_back({MidiEvent::Meta(0, kMetaTempo, {0x07, 0xA1, 0x20})});
  midi.tracks.push_back({MidiEvent::Channel(0, 0x9F, 127, 127),
                         MidiEvent::Channel(0x0FFFFFFF, 0x8F, 127, 0),  // largest delta
                         MidiEvent::Channel(0x0FFFFFFF, 0xC3, 9, 0)});
  const Bytes bytes = WriteMidiFile(midi);
  MidiFile back;
  std::string error;
  ASSERT_TRUE(ReadMidiFile(bytes, back, error)) << error;
  EXPECT_EQ(back.format, 1);
  EXPECT_EQ(back.division, 960);
  ASSERT_EQ(back.tracks.size(), 2u);
  ASSERT_EQ(back.tracks[1].size(), 4u);  // the three and End of Track
  EXPECT_EQ(back.tracks[1][1].tick, 0x0FFFFFFFu);
  EXPECT_EQ(back.tracks[1][1].status, 0x8F);
  EXPECT_EQ(back.tracks[1][2].data1, 9);
  EXPECT_EQ(back.tracks[1][3].metaType, kMetaEndOfTrack);
  // A one-byte message is written with one data byte.
  const Bytes tail(bytes.end() - 7, bytes.end());
  EXPECT_EQ(tail, (Bytes{0x00, 0xC3, 9, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(MidiFileWriter, BridgesGapsTooLongForADeltaTimeWithEmptyTextEvents) {
  const uint64_t late = 3ull * kMaxDeltaTime + 5;  // needs three bridges
  MidiFile midi;
  midi.tracks.push_back({MidiEvent::Channel(0, 0x90, 60, 100),
                         MidiEvent::Channel(kMaxDeltaTime + 1, 0x80, 60, 0),  // one bridge
                         MidiEvent::Channel(kMaxDeltaTime + 1 + late, 0xB0, 7, 1)});
  const Bytes bytes = WriteMidiFile(midi);
  MidiFile back;
  std::string error;
  ASSERT_TRUE(ReadMidiFile(bytes, back, error)) << error;  // no delta longer than four bytes
  std::vector<uint64_t> channelTicks, bridgeTicks;
  for (const MidiEvent& e : back.tracks[0]) {
    if (e.kind == MidiEvent::Kind::Channel) channelTicks.push_back(e.tick);
    if (e.kind == MidiEvent::Kind::Meta && e.metaType == kMetaText && e.payload.empty())
      bridgeTicks.push_back(e.tick);
  }
  EXPECT_EQ(channelTicks, (std::vector<uint64_t>{0, kMaxDeltaTime + 1, kMaxDeltaTime + 1 + late}));
  const uint64_t after = kMaxDeltaTime + 1;
  EXPECT_EQ(bridgeTicks,
            (std::vector<uint64_t>{kMaxDeltaTime, after + kMaxDeltaTime, after + 2 * kMaxDeltaTime,
                                   after + 3 * kMaxDeltaTime}));
  EXPECT_EQ(back.tracks[0].back().tick, channelTicks.back()) << "End of Track right after";
}

}  // namespace
