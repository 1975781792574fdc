// The voices a render has started, as the host keeps them: each voice's
// colour and the plug-in's handle for it, and on each channel and key the
// voices still held there, earliest first. A tag names a voice for the
// plug-in; tags are reused once their voice is gone, so the table grows
// only to the most voices alive at once and a note allocates nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class HostVoices {
 public:
  HostVoices() { keys_.fill({0, 0}); }

  // A new voice of that colour; returns its tag (never 0).
  int32_t Start(int32_t colour);
  // The plug-in made no voice for it: the tag is free again.
  void Forget(int32_t tag);
  // The plug-in's voice for the tag, held on the channel's key until released.
  void Hold(int32_t tag, intptr_t handle, int channel, int note);
  // The colour of a live voice; 0 for any other tag.
  int32_t Colour(int32_t tag) const;
  // The earliest voice still held on that channel and key, which stops
  // being held; 0 when there is none.
  int32_t Release(int channel, int note);
  intptr_t Handle(int32_t tag) const { return Live(tag) ? voices_[tag - 1].handle : 0; }
  // Forgets a live voice and gives its handle; false for any other tag.
  bool End(int32_t tag, intptr_t& handle);

 private:
  struct Voice {
    int32_t colour = 0;
    intptr_t handle = 0;
    int32_t key = -1;                // channel * 128 + note while held, else -1
    int32_t previous = 0, next = 0;  // neighbours held on the same key (tags)
    bool live = false;
  };
  struct Key {
    int32_t first, last;  // tags; 0 for none
  };

  bool Live(int32_t tag) const {
    return tag > 0 && static_cast<size_t>(tag) <= voices_.size() && voices_[tag - 1].live;
  }
  void Unhold(int32_t tag);

  std::vector<Voice> voices_;  // tag t at t - 1
  std::vector<int32_t> free_;
  std::array<Key, 16 * 128> keys_;
};
