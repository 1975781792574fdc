// Old projects as composers wrote them for a sample library without the
// plug-in, generated with the colours they mean: switches a sixteenth
// before a phrase (in the rest) or at its first note's tick; every key of
// a slot pressed again or only the keys whose group changed (a sampler
// latches the others); matrix maps (several keys per articulation, one per
// group), keyswitches with CC 1 or CC 32 beside them, and velocity-coded
// keyswitches; dynamics drawn under the notes; several tracks, each on a
// channel of its own.
#pragma once

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "render_test_support.h"

namespace render_test {

enum class OldLayout { Matrix, KeyswitchAndModwheel, KeyswitchAndUacc, VelocityKeyswitch };

struct OldProject {
  PluginSettings settings;
  OldLayout layout = OldLayout::Matrix;
  bool early = false, latched = false;
  Bytes midi;
  std::vector<Note> meant;  // each note on the channel of the slot it means
};

// What a slot sends, as an old project writes it: keys (with velocities)
// on the part's channel, then controller values.
struct OldSlot {
  std::vector<std::pair<int, int>> keys;  // key, velocity; one per group
  std::vector<std::pair<int, int>> ccs;   // number, value
};

inline void AddTap(SlotSettings& slot, int key, int velocity) {
  SlotAdditions& more = slot.additions;
  more.actions[more.actionCount++] = {ActionKind::kNoteTap, 0, uint8_t(key), uint16_t(velocity)};
}

// The map as `import` makes it of such a library: the first key is the
// keyswitch field, further keys are tapped actions, CC 1 and CC 32 fill the
// modwheel and UACC fields.
inline PluginSettings MapOf(const std::vector<OldSlot>& slots) {
  PluginSettings settings;
  for (size_t s = 0; s < slots.size(); ++s) {
    SlotSettings& slot = settings.slots[s];
    slot.name = "Articulation " + std::to_string(s + 1);
    for (size_t k = 0; k < slots[s].keys.size(); ++k) {
      const auto [key, velocity] = slots[s].keys[k];
      if (k == 0) {
        slot.keyswitch = key;
        slot.additions.keyswitchVelocity = uint8_t(velocity);
      } else {
        AddTap(slot, key, velocity);
      }
    }
    for (const auto& [cc, value] : slots[s].ccs) (cc == 1 ? slot.modwheel : slot.uacc) = value;
  }
  return settings;
}

inline std::vector<OldSlot> OldSlots(std::mt19937& rng, OldLayout layout) {
  std::vector<OldSlot> slots;
  std::vector<int> keys(24);
  for (int k = 0; k < 24; ++k) keys[k] = k;
  std::shuffle(keys.begin(), keys.end(), rng);
  const int first = 2 + int(rng() % 3), second = 2 + int(rng() % 3);
  switch (layout) {
    case OldLayout::Matrix: {
      // Columns of keys; every combination, or as many as fit.
      const int columns = 2 + int(rng() % 2);
      std::vector<std::vector<int>> combos{{}};
      for (int c = 0, used = 0; c < columns; ++c) {
        const int size = 2 + int(rng() % 2);
        std::vector<std::vector<int>> next;
        for (const auto& combo : combos)
          for (int k = 0; k < size; ++k) {
            next.push_back(combo);
            next.back().push_back(keys[used + k]);
          }
        combos = next;
        used += size;
      }
      std::shuffle(combos.begin(), combos.end(), rng);
      combos.resize(std::min<size_t>(combos.size(), kSlotCount));
      for (const auto& combo : combos) {
        OldSlot& slot = slots.emplace_back();
        for (int key : combo) slot.keys.emplace_back(key, 100);
      }
      break;
    }
    case OldLayout::KeyswitchAndModwheel:
    case OldLayout::KeyswitchAndUacc: {
      const int cc = layout == OldLayout::KeyswitchAndModwheel ? 1 : 32;
      for (int k = 0; k < first; ++k)
        for (int v = 0; v < second; ++v) slots.push_back({{{keys[k], 100}}, {{cc, 10 + v * 37}}});
      break;
    }
    case OldLayout::VelocityKeyswitch:
      for (int k = 0; k < first; ++k)
        for (int v = 0; v < second; ++v) slots.push_back({{{keys[k], 20 + v * 35}}, {}});
      break;
  }
  return slots;
}

inline OldProject RandomOldProject(uint32_t seed) {
  std::mt19937 rng(seed);
  OldProject project;
  project.layout = OldLayout(rng() % 4);
  project.early = rng() % 2;
  project.latched = rng() % 2;
  const std::vector<OldSlot> slots = OldSlots(rng, project.layout);
  project.settings = MapOf(slots);
  const bool modwheel = project.layout == OldLayout::KeyswitchAndModwheel;

  MidiFile file;
  file.format = 1;
  file.division = uint16_t(96 * (1 + rng() % 8));
  const uint64_t sixteenth = file.division / 4;
  const int parts = 1 + int(rng() % 3);
  file.tracks.resize(1 + parts);
  file.tracks[0].push_back(MidiEvent::Meta(0, kMetaTimeSignature, {4, 2, 24, 8}));
  for (int part = 0; part < parts; ++part) {
    auto& track = file.tracks[1 + part];
    const int channel = (part * 5 + int(seed)) % 16;
    // What the part's instrument last heard: the key of each group (with its
    // velocity) and each controller's value.
    std::vector<std::pair<int, int>> keysInForce(4, {-1, -1});
    std::array<int, 128> ccInForce;
    ccInForce.fill(-1);
    uint64_t tick = sixteenth * (2 + rng() % 8);
    for (int phrase = 0, phrases = 3 + int(rng() % 10); phrase < phrases; ++phrase) {
      const int slot = int(rng() % slots.size());
      const uint64_t at = project.early ? tick - sixteenth : tick;
      for (size_t g = 0; g < slots[slot].keys.size(); ++g) {
        const auto pressed = slots[slot].keys[g];
        if (project.latched && keysInForce[g] == pressed) continue;
        keysInForce[g] = pressed;
        track.push_back(MidiEvent::Channel(at, uint8_t(0x90 | channel), uint8_t(pressed.first),
                                           uint8_t(pressed.second)));
        track.push_back(MidiEvent::Channel(at, uint8_t(0x80 | channel), uint8_t(pressed.first), 0));
      }
      for (const auto& [cc, value] : slots[slot].ccs) {
        if (project.latched && ccInForce[cc] == value) continue;
        ccInForce[cc] = value;
        track.push_back(
            MidiEvent::Channel(at, uint8_t(0xB0 | channel), uint8_t(cc), uint8_t(value)));
      }
      // The phrase: a line, now and then a chord; dynamics under its notes,
      // never at a note's start.
      std::vector<std::pair<uint64_t, uint64_t>> sounding;
      for (int n = 0, notes = 1 + int(rng() % 6); n < notes; ++n) {
        // Each part keeps to keys of its own: coloured, parts of one slot
        // share a channel, where a key's notes must not overlap.
        const int chord = rng() % 4 == 0 ? 2 : 1, root = 36 + 20 * part + int(rng() % 17);
        const uint64_t length = sixteenth * (1 + rng() % 6);
        for (int c = 0; c < chord; ++c) {
          const int key = root + 3 * c;
          const int velocity = 1 + int(rng() % 127);
          track.push_back(
              MidiEvent::Channel(tick, uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity)));
          track.push_back(
              MidiEvent::Channel(tick + length, uint8_t(0x80 | channel), uint8_t(key), 64));
          project.meant.push_back({tick, length, key, velocity, slot});
        }
        sounding.emplace_back(tick, length);
        tick += length;
      }
      for (const auto& [start, length] : sounding)
        for (uint64_t d = 1 + rng() % 7; d < length; d += 1 + rng() % (length / 2 + 1))
          track.push_back(MidiEvent::Channel(start + d, uint8_t(0xB0 | channel),
                                             uint8_t(modwheel ? 1 : 11), uint8_t(rng() % 128)));
      tick += sixteenth * (2 + rng() % 8);  // a rest of at least two sixteenths
    }
  }
  for (auto& track : file.tracks)
    std::stable_sort(track.begin(), track.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
  project.midi = WriteMidiFile(file);
  std::sort(project.meant.begin(), project.meant.end());
  return project;
}

}  // namespace render_test
