// The voices a render has started, as the host keeps them: each voice's
// colour and the plug-in's handle for it, and on each channel and key the
// voices still held there, earliest first. A tag names a voice for the
// plug-in; tags are reused once their voice is gone, so the table grows
// only to the most voices alive at once and a note allocates nothing.
//
// A note-off ends the notes of its key as a sampler hears them: every voice
// held on its channel and key, not only the earliest. Only a voice written
// at the note-off's own tick is spared while an earlier one is held there:
// a host plays a tick's note-offs before its note-ons, whatever track they
// stand in.
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
  // The plug-in's voice for the tag, held on the channel's key until
  // released; `written` is the tick its note-on was written at (where a
  // note-off decides which notes it ends).
  void Hold(int32_t tag, intptr_t handle, int channel, int note, uint64_t written);
  // The colour of a live voice; 0 for any other tag.
  int32_t Colour(int32_t tag) const;
  // Whether any voice is held on that channel and key.
  bool Held(int channel, int note) const { return keys_[KeyIndex(channel, note)].first != 0; }
  // Whether one written before `tick` is.
  bool HeldBefore(int channel, int note, uint64_t tick) const;
  // The voices a note-off written at `tick` ends there (see above; a voice
  // written after it is not its note), which stop being held; their tags go
  // to `ended`, earliest first, replacing what it held (its storage is
  // kept). False when it ends none.
  bool Release(int channel, int note, uint64_t tick, std::vector<int32_t>& ended);
  // Every voice held on that channel and key stops being held, as Release.
  bool ReleaseAll(int channel, int note, std::vector<int32_t>& ended) {
    return Release(channel, note, UINT64_MAX, ended);
  }
  intptr_t Handle(int32_t tag) const { return Live(tag) ? voices_[tag - 1].handle : 0; }
  // Forgets a live voice and gives its handle; false for any other tag.
  bool End(int32_t tag, intptr_t& handle);

 private:
  struct Voice {
    int32_t colour = 0;
    intptr_t handle = 0;
    uint64_t written = 0;
    int32_t key = -1;                // channel * 128 + note while held, else -1
    int32_t previous = 0, next = 0;  // neighbours held on the same key (tags)
    bool live = false;
  };
  struct KeyList {
    int32_t first, last;  // tags; 0 for none
  };

  static int KeyIndex(int channel, int note) { return (channel & 0x0F) * 128 + (note & 0x7F); }
  bool Live(int32_t tag) const {
    return tag > 0 && static_cast<size_t>(tag) <= voices_.size() && voices_[tag - 1].live;
  }
  void Unhold(int32_t tag);

  std::vector<Voice> voices_;  // tag t at t - 1
  std::vector<int32_t> free_;
  std::array<KeyList, 16 * 128> keys_;
};
