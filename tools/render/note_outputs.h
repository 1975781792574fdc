// Where the plug-in plays the notes of each colour: on its slot's note
// channels (the map's channel, unless the slot routes its notes) and its
// key moved by the slot's transpose, held to 0..127. A sampler hears a
// channel and key, not a colour: two notes of different colours that the
// plug-in plays on one channel and key are one key struck twice, and a
// note-off of either sounds for both.
#pragma once

#include <array>
#include <cstdint>

#include "maps/plugin_settings.h"

class NoteOutputs {
 public:
  // Every colour on one channel, untransposed: a map that routes nothing.
  NoteOutputs() { channels_.fill(1); }
  // The map's: its slots' resolved note channels and transposes.
  explicit NoteOutputs(const PluginSettings& settings);

  uint16_t Channels(int colour) const { return channels_[colour & 0x0F]; }
  int Key(int colour, int key) const {
    const int moved = (key & 0x7F) + transpose_[colour & 0x0F];
    return moved < 0 ? 0 : moved > 127 ? 127 : moved;
  }
  // Whether the two notes sound on a channel and key in common.
  bool Share(int colourA, int keyA, int colourB, int keyB) const {
    return (Channels(colourA) & Channels(colourB)) != 0 && Key(colourA, keyA) == Key(colourB, keyB);
  }
  // Calls f(colour, key) for every colour and key that sounds on a channel
  // and key the given note sounds on, that note itself included.
  template <typename F>
  void ForEachSharing(int colour, int key, F f) const {
    const int played = Key(colour, key);
    for (int c = 0; c < kSlotCount; ++c) {
      if ((Channels(c) & Channels(colour)) == 0) continue;
      // Keys held at an end of the range gather several keys of a colour.
      const int from = played - transpose_[c];
      const bool edge = played == 0 || played == 127;
      for (int k = edge ? 0 : from; k <= (edge ? 127 : from); ++k)
        if (k >= 0 && k <= 127 && Key(c, k) == played) f(c, k);
    }
  }

 private:
  std::array<uint16_t, kSlotCount> channels_;
  std::array<int8_t, kSlotCount> transpose_{};
};
