// What an imported map plays: a line that walks through every slot of an
// imported map, rendered through the engine, sends before each note exactly
// what the file lists for that articulation (on the channels it names), plays
// the note on the channels the file routes it to, and leaves no note on.
// The three fields keep their de-duplication: a keyswitch, UACC or modwheel
// value equal to the last one of its kind sent is not sent again.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "real_maps.h"
#include "render_test_support.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"

namespace {

using namespace render_test;
using Kind = ForeignOutput::Kind;
using Message = std::tuple<int, int, int>;  // status, data1, data2

constexpr uint64_t kStep = 480;
constexpr int kPlayed = 60;

// Layering, held notes, routing with and without '-', several notes and
// controllers, programs, bends and transposes.
const char kOwnBank[] = R"(//! g="Tests/Own" n="Own"
Bank * * Own
//! o=note:24,100/note:26,90/note:28/cc:3,20
1 Matrix A
//! o=note:24,100/note:27,90/note:28
2 Matrix B
//! o=note-hold:30,80/cc:32,42/@2
3 Held layered
//! o=-cc@3:58,9/program@3:5/pitch:-4096 transpose=-12
4 Other channel
//! o=cc@4:84,2/-note-hold@5:31/cc:1,60
5 Routed to four
//! o=note:24,100/pitch:8191/cc:32,42 transpose=7
6 Back
//! o=@3/@16
7 Two routes only
)";

// What the file says an articulation sends, on the plug-in's channel 1 when
// it names none: the messages (note-ons for notes) and the channels its
// notes play on.
struct Expected {
  std::vector<Message> sent;
  std::set<int> channels;
  int transpose = 0;
};

Expected FromFile(const ForeignArticulation& a, int& lastKey, int& lastUacc, int& lastMod) {
  Expected e;
  e.transpose = std::clamp(a.transpose, -48, 48);
  bool keyTaken = false, uaccTaken = false, modTaken = false;
  for (const ForeignOutput& o : a.outputs) {
    const int channel = o.channel < 0 ? 0 : o.channel;
    if (o.routes) e.channels.insert(channel);
    const bool onDefault = o.channel < 0;
    // The slot's fields: sent only when they differ from the last of their kind.
    const auto field = [&](bool& taken, int& last, int value) {
      if (!onDefault || taken) return false;
      taken = true;
      const bool repeat = value == last;
      last = value;
      return repeat;
    };
    switch (o.kind) {
      case Kind::Note:
        if (field(keyTaken, lastKey, o.data1)) break;
        [[fallthrough]];
      case Kind::HeldNote:
        e.sent.emplace_back(0x90 | channel, o.data1, o.data2 == 0 ? 127 : o.data2);
        break;
      case Kind::ControlChange:
        if (o.data1 == 32 && field(uaccTaken, lastUacc, o.data2)) break;
        if (o.data1 == 1 && field(modTaken, lastMod, o.data2)) break;
        e.sent.emplace_back(0xB0 | channel, o.data1, o.data2);
        break;
      case Kind::ProgramChange:
        e.sent.emplace_back(0xC0 | channel, o.data1, 0);
        break;
      case Kind::PitchBend:
        e.sent.emplace_back(0xE0 | channel, (o.data1 + 8192) & 0x7F, (o.data1 + 8192) >> 7);
        break;
      case Kind::Routing:
      case Kind::Other:
        break;
    }
  }
  if (e.channels.empty()) e.channels.insert(0);
  std::sort(e.sent.begin(), e.sent.end());
  return e;
}

// One note per slot, a step apart from the first step on (playback start
// sends the performance controllers at 0), each coloured with its slot.
Bytes WalkThroughSlots(size_t slots) {
  MidiFile file;
  file.tracks.resize(1);
  for (size_t s = 0; s < slots; ++s) {
    const uint8_t channel = static_cast<uint8_t>(s);
    const uint64_t tick = (s + 1) * kStep;
    file.tracks[0].push_back(MidiEvent::Channel(tick, 0x90 | channel, kPlayed, 100));
    file.tracks[0].push_back(MidiEvent::Channel(tick + kStep / 2, 0x80 | channel, kPlayed, 0));
  }
  return WriteMidiFile(file);
}

struct Sent {
  uint64_t tick;
  Message message;
};

std::vector<Sent> ChannelMessages(const Bytes& midi) {
  MidiLayout layout;
  std::string error;
  std::vector<Sent> out;
  if (!ReadMidiLayout(midi, layout, error)) return out;
  MergedMidiEvents events(midi, layout);
  MidiEventView e;
  while (events.Next(e))
    if (e.kind == MidiEvent::Kind::Channel) out.push_back({e.tick, {e.status, e.data1, e.data2}});
  return out;
}

bool IsNoteOn(const Message& m) { return (std::get<0>(m) & 0xF0) == 0x90 && std::get<2>(m) > 0; }
bool IsNoteOff(const Message& m) {
  return (std::get<0>(m) & 0xF0) == 0x80 ||
         ((std::get<0>(m) & 0xF0) == 0x90 && std::get<2>(m) == 0);
}

// Imports up to 16 articulations of one bank, renders the walk and checks
// each slot against the file.
void CheckWalk(const ForeignMap& map, const std::string& file, const std::string& bank,
               const std::vector<const ForeignArticulation*>& arts,
               const std::vector<std::string>& pick) {
  const std::string where = file + " " + bank + " from " + pick.front();
  ImportResult result;
  ImportError error;
  ASSERT_TRUE(ImportForeignMap(map, file, {bank, pick}, result, error)) << error.message;
  const std::vector<Sent> out =
      ChannelMessages(RenderNatively(result.settings, WalkThroughSlots(arts.size())));
  ASSERT_FALSE(out.empty()) << where;

  std::multiset<std::pair<int, int>> sounding;  // channel, key
  int lastKey = -1, lastUacc = -1, lastMod = -1;
  size_t i = 0;
  while (i < out.size() && out[i].tick < kStep) ++i;  // playback start
  for (size_t s = 0; s < arts.size(); ++s) {
    const uint64_t tick = (s + 1) * kStep;
    const std::string at = where + ", slot " + std::to_string(s + 1) + " \"" + arts[s]->name + "\"";
    const Expected want = FromFile(*arts[s], lastKey, lastUacc, lastMod);
    // Up to the slot's tick: the previous note ends, and nothing else.
    for (; i < out.size() && out[i].tick < tick; ++i) {
      const Message& m = out[i].message;
      ASSERT_TRUE(IsNoteOff(m)) << at << ": a message between notes";
      sounding.erase(sounding.find({std::get<0>(m) & 0x0F, std::get<1>(m)}));
    }
    std::vector<Message> atTick;
    for (; i < out.size() && out[i].tick == tick; ++i) atTick.push_back(out[i].message);
    // The played note, last, on each of its channels.
    const size_t layers = want.channels.size();
    ASSERT_GE(atTick.size(), layers) << at;
    std::set<int> playedOn;
    for (size_t k = atTick.size() - layers; k < atTick.size(); ++k) {
      EXPECT_TRUE(IsNoteOn(atTick[k])) << at;
      EXPECT_EQ(std::get<1>(atTick[k]), std::clamp(kPlayed + want.transpose, 0, 127)) << at;
      playedOn.insert(std::get<0>(atTick[k]) & 0x0F);
    }
    EXPECT_EQ(playedOn, want.channels) << at;
    atTick.resize(atTick.size() - layers);
    // Before it: releases of what the previous slot held, then its outputs.
    std::vector<Message> sent;
    bool switching = false;
    for (const Message& m : atTick) {
      const std::pair<int, int> key{std::get<0>(m) & 0x0F, std::get<1>(m)};
      if (IsNoteOff(m)) {
        const auto found = sounding.find(key);
        ASSERT_NE(found, sounding.end()) << at << ": a note-off for a note not on";
        sounding.erase(found);
        continue;
      }
      if (!switching) {
        EXPECT_TRUE(sounding.empty()) << at << ": a held note outlives its slot";
      }
      switching = true;
      if (IsNoteOn(m)) sounding.insert(key);
      sent.push_back(m);
    }
    std::sort(sent.begin(), sent.end());
    EXPECT_EQ(sent, want.sent) << at;
    for (int channel : want.channels)
      sounding.insert({channel, std::clamp(kPlayed + want.transpose, 0, 127)});
  }
  for (; i < out.size(); ++i) {
    const Message& m = out[i].message;
    if (!IsNoteOff(m)) continue;
    const auto found = sounding.find({std::get<0>(m) & 0x0F, std::get<1>(m)});
    if (found != sounding.end()) sounding.erase(found);
  }
  EXPECT_TRUE(sounding.empty()) << where << ": " << sounding.size() << " notes left on";
}

// Every visible articulation of every bank, sixteen slots at a time.
void CheckFile(const std::string& name, const std::string& text) {
  ForeignMap map;
  ImportError error;
  ASSERT_TRUE(ReadForeignMap(name, {text.begin(), text.end()}, map, error))
      << name << ": " << error.message;
  for (const ForeignBank& bank : map.banks) {
    std::vector<const ForeignArticulation*> arts;
    std::vector<std::string> pick;
    const std::string bankName = map.banks.size() > 1 ? bank.name : "";
    for (size_t a = 0; a < bank.articulations.size(); ++a) {
      if (bank.articulations[a].hidden) continue;
      arts.push_back(&bank.articulations[a]);
      pick.push_back(std::to_string(a + 1));
      if (arts.size() == kSlotCount || a + 1 == bank.articulations.size()) {
        CheckWalk(map, name, bankName, arts, pick);
        arts.clear();
        pick.clear();
      }
    }
    if (!arts.empty()) CheckWalk(map, name, bankName, arts, pick);
  }
}

TEST(ImportedMaps, EverySlotOfOurOwnMapSendsWhatTheFileSays) { CheckFile("own.reabank", kOwnBank); }

TEST(ImportedMaps, EverySlotOfRealMapsSendsWhatTheFileSays) {
  for (const RealMap& real : kRealMaps) CheckFile(real.name, real.text);
}

}  // namespace
