#include "tools/render/key_overlaps.h"

#include <algorithm>

bool KeyOverlaps::NoteOn(int channel, int key, uint64_t tick, int track,
                         KeyOverlapSummary& summary) {
  Key& k = At(channel, key);
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
  Key& k = At(channel, key);
  const int atTick = k.latest == tick ? k.atLatest : 0;
  const int before = k.sounding - atTick;
  if (before == 0 && k.owed > 0) {
    --k.owed;
    return 0;
  }
  const int ended = before > 0 ? before : k.sounding;
  k.sounding -= ended;
  if (k.sounding == 0) k.atLatest = 0;
  if (ended > 1) k.owed += ended - 1;
  return ended;
}

namespace {
bool IsNoteOn(const MidiEventView& e) {
  return e.kind == MidiEvent::Kind::Channel && (e.status & 0xF0) == 0x90 && e.data2 > 0;
}
bool IsNoteOff(const MidiEventView& e) {
  return e.kind == MidiEvent::Kind::Channel &&
         ((e.status & 0xF0) == 0x80 || ((e.status & 0xF0) == 0x90 && e.data2 == 0));
}
}  // namespace

void CountedOverlaps::ReadTick() {
  tick_.clear();
  next_ = 0;
  if (!haveAhead_ && !done_) {
    haveAhead_ = input_.Next(ahead_.e, ahead_.track);
    done_ = !haveAhead_;
  }
  if (!haveAhead_) return;
  tick_.push_back(ahead_);
  haveAhead_ = false;
  while (!done_) {
    Item item;
    if (!input_.Next(item.e, item.track)) {
      done_ = true;
    } else if (item.e.tick != tick_.front().e.tick) {
      ahead_ = item;
      haveAhead_ = true;
      break;
    } else {
      tick_.push_back(item);
    }
  }
  // Note-offs first, then note-ons: a note-off ends notes begun before this
  // tick; one that finds none, after them, is the one a note ended with
  // others still owes, or else ends those begun at this tick.
  for (Item& item : tick_) {
    if (!IsNoteOff(item.e)) continue;
    const int channel = item.e.status & 0x0F, key = item.e.data1;
    item.endedEarlier = keys_.SoundsBefore(channel, key, item.e.tick);
    if (item.endedEarlier) keys_.NoteOff(channel, key, item.e.tick);
  }
  for (const Item& item : tick_)
    if (IsNoteOn(item.e))
      keys_.NoteOn(item.e.status & 0x0F, item.e.data1, item.e.tick, item.track, summary_);
  for (const Item& item : tick_)
    if (IsNoteOff(item.e) && !item.endedEarlier)
      keys_.NoteOff(item.e.status & 0x0F, item.e.data1, item.e.tick);
  if (!outputs_) return;
  // Such a note-off goes just before the first note-on at this tick that
  // sounds where its notes sound, if one stands before it; everything else
  // keeps its order.
  for (size_t i = 0; i < tick_.size(); ++i) {
    if (!tick_[i].endedEarlier) continue;
    const MidiEventView& off = tick_[i].e;
    for (size_t j = 0; j < i; ++j) {
      const MidiEventView& on = tick_[j].e;
      if (IsNoteOn(on) &&
          outputs_->Share(on.status & 0x0F, on.data1, off.status & 0x0F, off.data1)) {
        std::rotate(tick_.begin() + static_cast<std::ptrdiff_t>(j),
                    tick_.begin() + static_cast<std::ptrdiff_t>(i),
                    tick_.begin() + static_cast<std::ptrdiff_t>(i + 1));
        break;
      }
    }
  }
}

bool CountedOverlaps::Next(MidiEventView& e, int& track) {
  if (next_ == tick_.size()) ReadTick();
  if (next_ == tick_.size()) return false;
  e = tick_[next_].e;
  track = tick_[next_].track;
  ++next_;
  return true;
}
