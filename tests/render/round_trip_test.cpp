// The property colour and render are built around: for any coloured file x
// and any map whose slots can be told apart, colour(render(x)) has exactly
// x's notes as a sampler hears them (tick, key, velocity, length, colour)
// and x's tempo map, and the controllers as render passes them on; and in
// every render no key stays down past the input's note-off that ends it.
// Files and maps are generated: colours, chords, overlapping notes of
// different keys and of one key, controllers, several tracks, tempo and
// metre changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "old_project_generator.h"
#include "render_test_support.h"
#include "tools/render/latency_shift.h"

namespace {

using namespace render_test;

struct Case {
  PluginSettings settings;
  std::vector<int> colours;  // slots that send something
  Bytes midi;
  size_t notes = 0;
};

// Keys: keyswitches below 24; the notes as played (transposed) 24..103;
// tapped action notes 104..115 and held ones 116..127, so that no played
// note lands on a key that switches.
constexpr int kTapKeys = 104, kHeldKeys = 116, kMaxGeneratedTranspose = 12;

void Act(SlotAdditions& more, ActionKind kind, int channel, int number, int value) {
  if (more.actionCount >= kMaxSlotActions) return;
  more.actions[more.actionCount++] = {kind, uint8_t(channel), uint8_t(number), uint16_t(value)};
}

// A value of a performance controller other than the one playback start
// sends (CC 7 at 100, CC 64 at 0, the others at 127): sent in the rest
// before the first note, that one would be read as a switch.
int AwayFromStart(int cc, int value) {
  const int start = cc == 7 ? 100 : cc == 64 ? 0 : 127;
  return IsPerformanceController(cc) && value == start ? (value + 1) % 128 : value;
}

// A random action; `channel` 0 is the plug-in's. Action CCs leave out the
// UACC and the modwheel, whose fields skip a value already sent; notes are
// left out when the slots are told apart by their note sets.
void RandomAction(std::mt19937& rng, SlotAdditions& more, int channel, bool notes) {
  const int ccs[] = {3, 11, 20, 58, 64, 7};
  switch (notes ? rng() % 5 : 2 + rng() % 3) {
    case 0:
      Act(more, ActionKind::kNoteTap, channel, kTapKeys + rng() % 12, 1 + rng() % 127);
      break;
    case 1:
      Act(more, ActionKind::kNoteHeld, channel, kHeldKeys + rng() % 12, 1 + rng() % 127);
      break;
    case 2: {
      const int cc = ccs[rng() % 6];
      Act(more, ActionKind::kControlChange, channel, cc, AwayFromStart(cc, rng() % 128));
    } break;
    case 3:
      Act(more, ActionKind::kProgramChange, channel, rng() % 128, 0);
      break;
    default:
      Act(more, ActionKind::kPitchBend, channel, 0, rng() % 16384);
      break;
  }
}

// Slots that all send one kind of message with values of their own (so any
// two differ there), and other kinds at random. With `additions`, that kind
// may be an action too, and slots add actions of every kind, keyswitch
// velocities, transposes and (in a routed map) notes layered on channels
// of their own.
PluginSettings RandomMap(std::mt19937& rng, std::vector<int>& used, bool additions) {
  PluginSettings settings;
  settings.channel = static_cast<int32_t>(rng() % 16);
  settings.port = static_cast<int32_t>(rng() % 3);
  std::vector<int> slots(kSlotCount);
  for (int s = 0; s < kSlotCount; ++s) slots[s] = s;
  std::shuffle(slots.begin(), slots.end(), rng);
  used.assign(slots.begin(), slots.begin() + 2 + rng() % 15);
  const int primary = static_cast<int>(rng() % (additions ? 7 : 3));
  const bool routed = additions && rng() % 2;
  // The channel (0: the plug-in's) of an action: a named one in a routed map.
  auto channel = [&] { return routed && rng() % 2 ? 1 + static_cast<int>(rng() % 16) : 0; };
  const int primaryChannel = channel();
  std::vector<int> values(24);
  for (int v = 0; v < 24; ++v) values[v] = v;  // keyswitches stay below note 24
  std::shuffle(values.begin(), values.end(), rng);
  for (size_t i = 0; i < used.size(); ++i) {
    SlotSettings& slot = settings.slots[used[i]];
    SlotAdditions& more = slot.additions;
    slot.name = "Articulation " + std::to_string(i);
    const int distinct = primary == 0 ? values[i] : static_cast<int>(i * 7 % 128);
    auto maybe = [&](int kind) { return kind == primary || rng() % 2; };
    if (maybe(0)) slot.keyswitch = primary == 0 ? distinct : static_cast<int32_t>(rng() % 24);
    if (maybe(1)) slot.uacc = primary == 1 ? distinct : static_cast<int32_t>(rng() % 128);
    if (maybe(2)) slot.modwheel = primary == 2 ? distinct : AwayFromStart(1, rng() % 128);
    if (!additions) continue;
    for (int n = static_cast<int>(rng() % 4); n > 0; --n)
      RandomAction(rng, more, channel(), primary != 3 && primary != 5);
    // The kind told apart by, last of its kind in the list.
    const int twelfth = static_cast<int>(i % 12), second = i >= 12 ? 1 : 0;
    if (primary == 3) {
      Act(more, ActionKind::kNoteTap, primaryChannel, kTapKeys + twelfth, 100);
      if (second) Act(more, ActionKind::kNoteTap, primaryChannel, kTapKeys + 11 - twelfth, 100);
    }
    if (primary == 4) Act(more, ActionKind::kControlChange, primaryChannel, 58, distinct);
    if (primary == 5) {
      Act(more, ActionKind::kNoteHeld, primaryChannel, kHeldKeys + twelfth, 90);
      if (second) Act(more, ActionKind::kNoteHeld, primaryChannel, kHeldKeys + 11 - twelfth, 90);
    }
    if (primary == 6) Act(more, ActionKind::kProgramChange, primaryChannel, distinct, 0);
    more.keyswitchVelocity = static_cast<uint8_t>(1 + rng() % 127);
    if (rng() % 2)
      more.transpose = static_cast<int8_t>(static_cast<int>(rng() % 25) - kMaxGeneratedTranspose);
    if (routed && rng() % 2) {
      more.noteChannels = rng() % 2 ? kPluginChannelBit : 0;
      for (int n = 1 + static_cast<int>(rng() % 2); n > 0; --n)
        more.noteChannels |= 1u << rng() % 16;
    }
  }
  return settings;
}

// Which notes may overlap on a channel and key as played: none; notes of
// one colour and key (a double stop on one string's note: the next
// note-off of that key ends both); or any, of any colours (a part whose
// colours share a key, which the plug-in plays on one).
enum class Overlaps { kNone, kOwnKey, kAny };

// With `latencies`, slots get latencies up to 500 ms and the notes are
// placed as they will play, moved by them. Notes of any colours often
// begin where a note of their key as played ends, in any track; with
// `overlaps`, they may also begin while one sounds.
Case RandomCase(uint32_t seed, bool latencies = false, Overlaps overlaps = Overlaps::kNone) {
  std::mt19937 rng(seed);
  Case c;
  const bool additions = seed % 2 == 0;
  c.settings = RandomMap(rng, c.colours, additions);
  if (latencies)
    for (int s : c.colours)
      c.settings.slots[s].additions.latencyMs = uint16_t(rng() % 2 * rng() % 500);
  const SlotOutputTable table = SlotOutputsOf(c.settings);

  MidiFile file;
  file.format = 1;
  file.division = static_cast<uint16_t>(96 + rng() % 900);
  const int parts = 1 + static_cast<int>(rng() % 3);
  file.tracks.resize(1 + parts);
  auto& conductor = file.tracks[0];
  conductor.push_back(MidiEvent::Meta(0, kMetaTimeSignature, {3, 2, 24, 8}));
  for (int i = 0, n = static_cast<int>(rng() % 5); i < n; ++i) {
    const uint32_t tempo = 300000 + rng() % 700000;
    conductor.push_back(MidiEvent::Meta(
        rng() % 20000, kMetaTempo, {uint8_t(tempo >> 16), uint8_t(tempo >> 8), uint8_t(tempo)}));
  }

  // Notes: chords at shared ticks, lines whose notes overlap on other keys;
  // a key's next note on a channel, as played, starts when its last there
  // has ended (at that tick in any track, of any colour; half the files on
  // a grid, where that is common), unless `overlaps` lets it overlap. Notes
  // keep clear of tick 0, where playback start sends the controllers an
  // action may send too.
  using Played = std::pair<int, int>;  // channel, key as played
  struct Free {
    uint64_t tick;    // free from
    int colour, key;  // of the last note there
  };
  std::map<Played, Free> keyFree;
  std::set<uint64_t> noteTicks;
  const int margin = additions ? kMaxGeneratedTranspose : 0;
  // Two quarters last longer than 500 ms at the fastest tempo: no note
  // moves to tick 0.
  uint64_t tick = latencies ? 2 * file.division : additions ? 1 : 0;
  std::vector<MidiEvent> tempoChanges = conductor;
  std::sort(tempoChanges.begin(), tempoChanges.end(),
            [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
  const TempoMap tempo(file.division, tempoChanges);
  const LatencyShift shift(tempo);
  // Half the files on a grid of eighths: steps of 0 to 3, lengths of 1 to 6.
  const uint64_t grid = rng() % 2 ? 0 : file.division / 2;
  const int lowest = 24 + margin, keys = 80 - 2 * margin;
  for (int n = 0, count = 20 + static_cast<int>(rng() % 200); n < count;) {
    tick += rng() % 3 == 0 ? 0 : grid ? grid * (rng() % 4) : rng() % 400;
    const int chord = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < chord; ++k, ++n) {
      const int track = 1 + static_cast<int>(rng() % parts);
      int colour = c.colours[rng() % c.colours.size()];
      const uint16_t latency = c.settings.slots[colour].additions.latencyMs;
      bool clamped = false;
      const uint64_t start = shift.Earlier(tick, latency, clamped);
      int key = lowest + static_cast<int>(rng() % keys);
      // Now and then the key, as played, of a note that ends where this one
      // starts; half of those times its colour too, when it moves as far.
      if (rng() % 2) {
        std::vector<std::pair<Played, Free>> ending;
        for (const auto& [p, f] : keyFree)
          if (f.tick == start) ending.emplace_back(p, f);
        if (!ending.empty()) {
          const auto& [p, f] = ending[rng() % ending.size()];
          if (rng() % 2 && c.settings.slots[f.colour].additions.latencyMs == latency) {
            colour = f.colour;
            key = f.key;
          } else if (table.NoteChannelsOf(colour, c.settings.channel) >> p.first & 1) {
            key = std::clamp(p.second - table.transpose[colour], lowest, lowest + keys - 1);
          }
        }
      }
      const uint16_t channels = table.NoteChannelsOf(colour, c.settings.channel);
      std::vector<Played> played;
      for (uint16_t ch = channels, at = 0; ch; ch >>= 1, ++at)
        if (ch & 1) played.emplace_back(at, key + table.transpose[colour]);
      const bool overlap = overlaps != Overlaps::kNone && rng() % 4 == 0;
      const bool busy = std::any_of(played.begin(), played.end(), [&](const Played& p) {
        auto free = keyFree.find(p);
        if (free == keyFree.end()) return false;
        const Free& f = free->second;
        if (start >= f.tick) return false;
        if (!overlap) return true;
        return overlaps == Overlaps::kOwnKey && (f.colour != colour || f.key != key);
      });
      if (busy) continue;
      const uint64_t length = grid ? grid * (1 + rng() % 6) : 1 + rng() % 900;
      const uint8_t velocity = static_cast<uint8_t>(1 + rng() % 127);
      file.tracks[track].push_back(
          MidiEvent::Channel(tick, uint8_t(0x90 | colour), uint8_t(key), velocity));
      // Note-offs of either form.
      file.tracks[track].push_back(
          rng() % 2 ? MidiEvent::Channel(tick + length, uint8_t(0x80 | colour), uint8_t(key), 64)
                    : MidiEvent::Channel(tick + length, uint8_t(0x90 | colour), uint8_t(key), 0));
      for (const Played& p : played) {
        auto free = keyFree.find(p);
        const uint64_t until =
            free == keyFree.end() ? tick + length : std::max(free->second.tick, tick + length);
        keyFree[p] = {until, colour, key};
      }
      noteTicks.insert(tick);
      noteTicks.insert(start);
      ++c.notes;
    }
  }
  // Controllers away from the notes' starts, with values no slot sends
  // (either would be read as a switch), and messages render has no use for.
  const int ccs[] = {1, 2, 11, 16, 21, 64, 7, 10};
  for (int i = 0, n = static_cast<int>(rng() % 60); i < n; ++i) {
    const uint64_t at = rng() % (tick + 1000);
    const int channel = static_cast<int>(rng() % 16), cc = ccs[rng() % 8];
    const int value = static_cast<int>(rng() % 128);
    if (noteTicks.count(at) || table.controlValues[table.LaneOf(channel)][cc][value]) continue;
    const int track = 1 + static_cast<int>(rng() % parts);
    file.tracks[track].push_back(
        MidiEvent::Channel(at, uint8_t(0xB0 | channel), uint8_t(cc), uint8_t(value)));
  }
  const auto& bends = table.bendValues[table.LaneOf(0)];
  for (int i = 0, n = static_cast<int>(rng() % 10); i < n; ++i) {
    const int value = static_cast<int>(rng() % 16384);
    if (std::find(bends.begin(), bends.end(), value) != bends.end()) continue;
    file.tracks[1].push_back(
        MidiEvent::Channel(rng() % (tick + 1), 0xE0, uint8_t(value & 0x7F), uint8_t(value >> 7)));
  }

  // Each track in tick order; at a tick, note-offs before note-ons, or in
  // half the files after them (a host plays the note-offs first).
  const int onRank = rng() % 2 ? 1 : -1;
  for (auto& track : file.tracks) {
    std::stable_sort(track.begin(), track.end(), [&](const MidiEvent& a, const MidiEvent& b) {
      auto rank = [&](const MidiEvent& e) {
        const bool on =
            e.kind == MidiEvent::Kind::Channel && (e.status & 0xF0) == 0x90 && e.data2 > 0;
        return on ? onRank : 0;
      };
      return a.tick != b.tick ? a.tick < b.tick : rank(a) < rank(b);
    });
  }
  c.midi = WriteMidiFile(file);
  return c;
}

// What the rendered files of the generated cases hold beyond plain notes,
// so that the property is seen to cover every addition.
struct Coverage {
  int layerNotes = 0, transposed = 0, routedMaps = 0, programs = 0, pitchBends = 0, actionNotes = 0;
  int overlaps = 0, touching = 0;
  void Add(const Case& c, const Bytes& rendered, const ColourSummary& summary) {
    layerNotes += summary.layerNotes;
    const SlotOutputTable table = SlotOutputsOf(c.settings);
    routedMaps += table.routed;
    for (int s : c.colours) transposed += table.transpose[s] != 0;
    MidiFile file;
    std::string error;
    if (!ReadMidiFile(rendered, file, error)) return;
    for (const MidiEvent& e : file.tracks.back()) {
      if (e.kind != MidiEvent::Kind::Channel) continue;
      programs += (e.status & 0xF0) == 0xC0;
      pitchBends += (e.status & 0xF0) == 0xE0 && e.tick > 0;
      actionNotes += (e.status & 0xF0) == 0x90 && e.data1 >= kTapKeys;
    }
  }
};

TEST(ColourRoundTrip, ColourOfRenderGivesBackEveryNoteTheTempoMapAndTheControllers) {
  Coverage seen;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Case c = RandomCase(seed, false, Overlaps::kOwnKey);
    ASSERT_TRUE(CollidingSlots(SlotOutputsOf(c.settings)).empty()) << DescribeCollisions(
        CollidingSlots(SlotOutputsOf(c.settings)), c.settings, SlotOutputsOf(c.settings));

    RenderSummary rendering;
    const Bytes rendered = RenderNatively(c.settings, c.midi, &rendering);
    EXPECT_EQ(KeyLeftDown(c.settings, c.midi, rendered, false), "");
    const ExpectedKeys keys = ExpectedStrikes(c.settings, c.midi, false);
    EXPECT_EQ(StrikesWhileDown(rendered, keys.keys), keys.strikes);
    seen.overlaps += rendering.overlaps.count;
    seen.touching += keys.touchingOtherColours;
    ColourSummary summary;
    const Bytes coloured = ColourFile(c.settings, rendered, &summary);
    ASSERT_FALSE(coloured.empty());
    // One note-off for every note-on colour writes.
    const std::vector<int> balance = KeyBalance(coloured);
    EXPECT_TRUE(std::all_of(balance.begin(), balance.end(), [](int b) { return b == 0; }));

    const std::vector<Note> want = NotesOf(c.midi), got = NotesOf(coloured);
    ASSERT_EQ(want.size(), c.notes);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
      ASSERT_EQ(got[i], want[i]) << Describe(got[i]) << " instead of " << Describe(want[i]);
    EXPECT_EQ(TempoOf(coloured), TempoOf(c.midi));
    EXPECT_EQ(summary.notesRead, static_cast<int>(c.notes));
    EXPECT_EQ(summary.unexplained, 0);
    EXPECT_EQ(summary.ties, 0);
    seen.Add(c, rendered, summary);

    // Pan and volume once (the host's report, which playback start
    // repeats), then playback start's six controllers (eight CCs); then
    // every controller of x at its tick. The stop at the end may lift a
    // sustain pedal an action left down on a channel of its own.
    auto ccs = ControllersOf(coloured);
    ASSERT_GE(ccs.size(), 8u);
    EXPECT_EQ(ccs[0], std::make_tuple(uint64_t{0}, 10, 64));  // centre
    EXPECT_EQ(ccs[1], std::make_tuple(uint64_t{0}, 7, 100));
    EXPECT_NE(std::get<1>(ccs[2]), 10) << "pan written twice at tick 0";
    ccs.erase(ccs.begin(), ccs.begin() + 8);
    const auto wantCcs = ControllersOf(c.midi);
    while (ccs.size() > wantCcs.size() && std::get<1>(ccs.back()) == 64 &&
           std::get<2>(ccs.back()) < 64)
      ccs.pop_back();
    EXPECT_EQ(ccs, wantCcs);
  }
  EXPECT_GT(seen.layerNotes, 0);
  EXPECT_GT(seen.transposed, 0);
  EXPECT_GT(seen.routedMaps, 0);
  EXPECT_GT(seen.programs, 0);
  EXPECT_GT(seen.pitchBends, 0);
  EXPECT_GT(seen.actionNotes, 0);
  EXPECT_GT(seen.overlaps, 100);
  EXPECT_GT(seen.touching, 100);
}

// No key is left down, and none struck while down but where the notes
// overlap: in every render, plain, compensated, with a lead or without,
// each key's note-off comes no later than the input's note-off that ends
// it (KeyLeftDown), and the output strikes a key already down exactly
// where a note begins while another sounds on its channel and key, of
// whatever colour, unless it moved and ended that one (ExpectedStrikes);
// every overlapping note included, of one colour or several.
TEST(RenderKeys, EveryKeyIsUpOnceTheInputHasEndedEveryNoteThatSoundsIt) {
  struct Variant {
    bool compensate;
    int leadMs;
  };
  const Variant variants[] = {{false, kNoLead}, {true, kNoLead}, {true, 0}, {false, 40}};
  int overlaps = 0, restruck = 0, touching = 0, striking = 0, cutting = 0;
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Case c = RandomCase(seed, true, seed / 2 % 2 ? Overlaps::kAny : Overlaps::kOwnKey);
    for (const Variant& v : variants) {
      SCOPED_TRACE(std::string(v.compensate ? "--compensate" : "plain") + " lead " +
                   std::to_string(v.leadMs));
      RenderSummary summary;
      const Bytes rendered = RenderNatively(c.settings, c.midi, &summary, v.compensate, v.leadMs);
      ASSERT_EQ(KeyLeftDown(c.settings, c.midi, rendered, v.compensate), "");
      const ExpectedKeys keys = ExpectedStrikes(c.settings, c.midi, v.compensate);
      ASSERT_EQ(StrikesWhileDown(rendered, keys.keys), keys.strikes);
      overlaps += summary.overlaps.count;
      for (int n : summary.compensation.restruck) restruck += n;
      touching += keys.touchingOtherColours;
      striking += keys.strikingOtherColours;
      cutting += keys.cuttingOtherColours;
    }
  }
  EXPECT_GT(overlaps, 100);
  EXPECT_GT(restruck, 0);
  EXPECT_GT(touching, 100);
  EXPECT_GT(striking, 100);
  EXPECT_GT(cutting, 20);
}

// render --compensate then colour --compensate: each note back where it
// was written, or where the shift can tell it (a tick moved into a slower
// span of the tempo map shares its place with its neighbours).
TEST(ColourRoundTrip, ColourUndoesACompensatedRender) {
  int moved = 0, exact = 0;
  for (uint32_t seed = 1; seed <= 150; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Case c = RandomCase(seed, true);
    ColourSummary summary;
    const Bytes coloured =
        ColourFile(c.settings, RenderNatively(c.settings, c.midi, nullptr, true), &summary, true);
    MidiLayout layout;
    std::string error;
    ASSERT_TRUE(ReadMidiLayout(c.midi, layout, error));
    const TempoMap tempo = ReadTempoMap(c.midi, layout);
    const LatencyShift shift(tempo);
    std::vector<Note> want = NotesOf(c.midi);
    for (Note& n : want) {
      const int ms = c.settings.slots[n.colour].additions.latencyMs;
      bool clamped = false;
      const uint64_t back = shift.Later(shift.Earlier(n.tick, ms, clamped), ms);
      moved += ms > 0;
      exact += ms > 0 && back == n.tick;
      n.length -= back - n.tick;
      n.tick = back;
    }
    std::sort(want.begin(), want.end());
    const std::vector<Note> got = NotesOf(coloured);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
      ASSERT_EQ(got[i], want[i]) << Describe(got[i]) << " instead of " << Describe(want[i]);
    EXPECT_EQ(summary.unexplained, 0);
    EXPECT_EQ(summary.ties, 0);
  }
  EXPECT_GT(moved, 1000);
  EXPECT_GT(exact, moved * 9 / 10);
}

// The same for parts written without the plug-in: colour gives every note
// of an old project the slot its composer meant, with nothing guessed,
// whether the switches stand early or at the note, and whether every key
// is pressed again or only the changed ones.
TEST(ColourOldProjects, EveryNoteGetsTheSlotItsComposerMeant) {
  std::array<std::array<int, 4>, 4> seen{};  // by layout, by early * 2 + latched
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const OldProject project = RandomOldProject(seed);
    const SlotOutputTable table = SlotOutputsOf(project.settings);
    ASSERT_TRUE(CollidingSlots(table).empty())
        << DescribeCollisions(CollidingSlots(table), project.settings, table);
    ColourSummary summary;
    const std::vector<Note> got = NotesOf(ColourFile(project.settings, project.midi, &summary));
    ASSERT_EQ(got.size(), project.meant.size());
    for (size_t i = 0; i < got.size(); ++i)
      ASSERT_EQ(got[i], project.meant[i])
          << Describe(got[i]) << " instead of " << Describe(project.meant[i]);
    EXPECT_EQ(summary.unexplained + summary.ties, 0);
    ++seen[int(project.layout)][project.early * 2 + project.latched];
  }
  for (const auto& layout : seen)
    for (int count : layout) EXPECT_GT(count, 0);
}

}  // namespace
