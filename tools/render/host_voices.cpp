#include "tools/render/host_voices.h"

int32_t HostVoices::Start(int32_t colour) {
  int32_t tag;
  if (!free_.empty()) {
    tag = free_.back();
    free_.pop_back();
  } else {
    voices_.emplace_back();
    tag = static_cast<int32_t>(voices_.size());
  }
  Voice& v = voices_[tag - 1];
  v = Voice{};
  v.colour = colour;
  v.live = true;
  return tag;
}

void HostVoices::Forget(int32_t tag) {
  intptr_t unused = 0;
  End(tag, unused);
}

void HostVoices::Hold(int32_t tag, intptr_t handle, int channel, int note, uint64_t written) {
  if (!Live(tag)) return;
  Voice& v = voices_[tag - 1];
  v.handle = handle;
  v.written = written;
  v.key = KeyIndex(channel, note);
  KeyList& key = keys_[v.key];
  v.previous = key.last;
  v.next = 0;
  if (key.last)
    voices_[key.last - 1].next = tag;
  else
    key.first = tag;
  key.last = tag;
}

int32_t HostVoices::Colour(int32_t tag) const { return Live(tag) ? voices_[tag - 1].colour : 0; }

bool HostVoices::HeldBefore(int channel, int note, uint64_t tick) const {
  for (int32_t t = keys_[KeyIndex(channel, note)].first; t; t = voices_[t - 1].next)
    if (voices_[t - 1].written < tick) return true;
  return false;
}

bool HostVoices::Release(int channel, int note, uint64_t tick, std::vector<int32_t>& ended) {
  ended.clear();
  const int32_t first = keys_[KeyIndex(channel, note)].first;
  if (!first) return false;
  // A voice written after the note-off (moved earlier by a latency) is
  // never its note.
  const bool earlier = HeldBefore(channel, note, tick);
  for (int32_t t = first; t;) {
    const int32_t next = voices_[t - 1].next;
    const uint64_t written = voices_[t - 1].written;
    if (earlier ? written < tick : written == tick) {
      Unhold(t);
      ended.push_back(t);
    }
    t = next;
  }
  return !ended.empty();
}

bool HostVoices::End(int32_t tag, intptr_t& handle) {
  if (!Live(tag)) return false;
  Unhold(tag);
  Voice& v = voices_[tag - 1];
  handle = v.handle;
  v.live = false;
  free_.push_back(tag);
  return true;
}

void HostVoices::Unhold(int32_t tag) {
  Voice& v = voices_[tag - 1];
  if (v.key < 0) return;
  KeyList& key = keys_[v.key];
  (v.previous ? voices_[v.previous - 1].next : key.first) = v.next;
  (v.next ? voices_[v.next - 1].previous : key.last) = v.previous;
  v.key = -1;
  v.previous = v.next = 0;
}
