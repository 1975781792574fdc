// The held-note counts against a plain map, through long runs of adds and
// removes over many addresses, so that probe runs form, wrap around the
// table's end and are cut by deletions.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "engine/held_notes.h"
#include "engine/midi_message.h"

namespace {

MidiMessage NoteAt(uint32_t port, uint32_t channel, uint32_t note) {
  return midi::Pack(static_cast<uint8_t>(midi::kNoteOn | channel), static_cast<int32_t>(note), 100,
                    static_cast<int32_t>(port));
}

// Ports: every one of them, or mostly one with a few others, as a real
// session has them (the notes of a channel then stay on one port for long
// stretches and are counted apart from the hash table).
class HeldNotesTest : public ::testing::TestWithParam<uint32_t> {};

TEST_P(HeldNotesTest, CountsMatchAMapThroughAddsAndRemoves) {
  HeldNotes held;
  std::map<uint32_t, uint32_t> expected;  // port << 11 | channel << 7 | note
  std::mt19937 random(7);
  uint32_t live = 0;
  const uint32_t ports = GetParam();
  for (int step = 0; step < 400000; ++step) {
    // Up to 20000 held at once.
    const uint32_t port = ports == 256 ? random() % 256 : (random() % 50 == 0 ? random() % ports : 0);
    const uint32_t key = port << 11 | random() % (16u * 128u);
    const MidiMessage m = NoteAt(key >> 11, (key >> 7) & 15, key & 127);
    const bool add = live < 20000 && (random() % 3 != 0 || live == 0);
    if (add) {
      held.Add(m);
      ++expected[key];
      ++live;
    } else {
      auto it = expected.begin();
      std::advance(it, random() % std::min<size_t>(expected.size(), 8));
      const uint32_t k = it->first;
      held.Remove(NoteAt(k >> 11, (k >> 7) & 15, k & 127));
      if (--it->second == 0) expected.erase(it);
      --live;
    }
    if (step % 997 == 0) {
      for (const auto& [k, count] : expected) {
        ASSERT_EQ(held.Count(NoteAt(k >> 11, (k >> 7) & 15, k & 127)), count) << "step " << step;
      }
    }
  }
  for (const auto& [k, count] : expected) {
    ASSERT_EQ(held.Count(NoteAt(k >> 11, (k >> 7) & 15, k & 127)), count);
  }
}

INSTANTIATE_TEST_SUITE_P(Ports, HeldNotesTest, ::testing::Values(256u, 3u));

TEST(HeldNotes, AddressesAreToldApartAndStatusDoesNotMatter) {
  HeldNotes held;
  held.Add(NoteAt(3, 9, 60));
  EXPECT_EQ(held.Count(NoteAt(3, 9, 60)), 1u);
  EXPECT_EQ(held.Count(midi::Pack(0x89, 60, 0, 3)), 1u);  // its note-off names the same note
  EXPECT_EQ(held.Count(NoteAt(3, 8, 60)), 0u);
  EXPECT_EQ(held.Count(NoteAt(2, 9, 60)), 0u);
  EXPECT_EQ(held.Count(NoteAt(3, 9, 61)), 0u);
  held.Remove(NoteAt(3, 9, 61));  // not held: nothing changes
  held.Remove(NoteAt(3, 9, 60));
  EXPECT_EQ(held.Count(NoteAt(3, 9, 60)), 0u);
}

}  // namespace
