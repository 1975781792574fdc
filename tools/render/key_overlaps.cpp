#include "tools/render/key_overlaps.h"

bool KeyOverlaps::NoteOn(int channel, int key, uint64_t tick, int track,
                         KeyOverlapSummary& summary) {
  Key& k = keys_[(channel & 0x0F) * 128 + (key & 0x7F)];
  const bool overlaps = k.sounding > 0;
  if (overlaps) {
    ++summary.count;
    if (summary.first.size() < KeyOverlapSummary::kListed) summary.first.push_back({tick, track});
  }
  if (k.sounding == 0 || tick != k.latest) k.atLatest = 0;
  k.latest = tick;
  ++k.sounding;
  ++k.atLatest;
  return overlaps;
}

int KeyOverlaps::NoteOff(int channel, int key, uint64_t tick) {
  Key& k = keys_[(channel & 0x0F) * 128 + (key & 0x7F)];
  const int spared = k.latest == tick && k.atLatest < k.sounding ? k.atLatest : 0;
  const int ended = k.sounding - spared;
  k.sounding = spared;
  return ended;
}

bool CountedOverlaps::Next(MidiEventView& e, int& track) {
  if (!input_.Next(e, track)) return false;
  if (e.kind != MidiEvent::Kind::Channel) return true;
  const int kind = e.status & 0xF0;
  if (kind == 0x90 && e.data2 > 0)
    keys_.NoteOn(e.status & 0x0F, e.data1, e.tick, track, summary_);
  else if (kind == 0x80 || kind == 0x90)
    keys_.NoteOff(e.status & 0x0F, e.data1, e.tick);
  return true;
}
