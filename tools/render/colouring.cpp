#include "tools/render/colouring.h"

#include "tools/midifile/midi_file_writer.h"

namespace {

constexpr int kNotSwitching = -2;
constexpr int kSetsNothing = -1;

bool IsNoteOn(const MidiEventView& e) { return (e.status & 0xF0) == 0x90 && e.data2 > 0; }
bool IsNoteOff(const MidiEventView& e) {
  return (e.status & 0xF0) == 0x80 || ((e.status & 0xF0) == 0x90 && e.data2 == 0);
}

}  // namespace

SlotPairing IdentityPairing() {
  SlotPairing pairing{};
  for (int s = 0; s < kSlotCount; ++s) pairing[s] = static_cast<uint8_t>(s);
  return pairing;
}

ColouredEvents::ColouredEvents(MidiEventSource& input, const SlotOutputTable& table,
                               ColourSummary& summary, const SlotPairing& pairing,
                               PianoRoll* picture)
    : input_(input), table_(table), summary_(summary), pairing_(pairing), picture_(picture) {
  for (State& s : state_) s.fill(-1);
}

bool ColouredEvents::IsPlayedNoteOn(const MidiEventView& e) const {
  return e.kind == MidiEvent::Kind::Channel && IsNoteOn(e) && !table_.keyswitchKeys[e.data1 & 0x7F];
}

bool ColouredEvents::IsSwitchingKind(const MidiEventView& e) const {
  if (e.kind != MidiEvent::Kind::Channel) return false;
  const int kind = e.status & 0xF0;
  if (kind == 0x80 || kind == 0x90) return table_.keyswitchKeys[e.data1 & 0x7F];
  if (kind == 0xB0) return table_.controls[e.data1 & 0x7F];
  return kind == 0xC0 && table_.programs;
}

int ColouredEvents::SwitchKind(const MidiEventView& e, bool beforeNote) const {
  if (!IsSwitchingKind(e)) return kNotSwitching;
  const int kind = e.status & 0xF0;
  if (kind == 0xB0) {
    if (IsPerformanceController(e.data1) && !beforeNote) return kNotSwitching;
    return kStateControl + (e.data1 & 0x7F);
  }
  if (kind == 0xC0) return kStateProgram;
  return IsNoteOn(e) ? kStateKeyswitch : kSetsNothing;
}

bool ColouredEvents::ReadTick() {
  items_.clear();
  next_ = 0;
  if (!havePending_) {
    if (inputDone_ || !input_.Next(pending_.e, pending_.track)) {
      inputDone_ = true;
      return false;
    }
  }
  havePending_ = false;
  items_.push_back(pending_);
  Item item;
  while (input_.Next(item.e, item.track)) {
    if (item.e.tick != items_.front().e.tick) {
      pending_ = item;
      havePending_ = true;
      break;
    }
    items_.push_back(item);
  }
  if (!havePending_) inputDone_ = true;
  Decide();
  return true;
}

void ColouredEvents::Decide() {
  // Backwards: for each event, whether a played note follows on its channel
  // at this tick with only switching messages between.
  beforeNote_.assign(items_.size(), 0);
  std::array<bool, 16> noteFollows{};
  for (size_t i = items_.size(); i-- > 0;) {
    const MidiEventView& e = items_[i].e;
    if (e.kind != MidiEvent::Kind::Channel) continue;
    const int channel = e.status & 0x0F;
    beforeNote_[i] = noteFollows[channel];
    if (IsPlayedNoteOn(e))
      noteFollows[channel] = true;
    else if (!IsSwitchingKind(e))
      noteFollows[channel] = false;
  }

  for (size_t i = 0; i < items_.size(); ++i) {
    Item& item = items_[i];
    MidiEventView& e = item.e;
    if (picture_) picture_->Event(e);
    if (e.kind != MidiEvent::Kind::Channel) continue;
    const int channel = e.status & 0x0F;
    const int sets = SwitchKind(e, beforeNote_[i] != 0);
    if (sets != kNotSwitching) {
      const bool control = (e.status & 0xF0) == 0xB0;
      if (sets != kSetsNothing) state_[channel][sets] = (control ? e.data2 : e.data1) & 0x7F;
      item.keep = false;
      ++summary_.messagesRemoved;
      if (picture_) picture_->Switch(e.tick);
      continue;
    }
    if (IsNoteOn(e)) {
      const int slot = ChooseSlot(channel);
      const uint8_t colour = pairing_[slot] & 0x0F;
      held_.Push(channel, e.data1, colour);
      if (picture_) picture_->NoteOn(e.tick, channel, e.data1, colour);
      e.status = static_cast<uint8_t>(0x90 | colour);
    } else if (IsNoteOff(e)) {
      uint8_t colour = 0;
      if (!held_.Pop(channel, e.data1, colour))
        colour = pairing_[lastSlot_[channel]] & 0x0F;
      else if (picture_)
        picture_->NoteOff(e.tick, channel, e.data1);
      e.status = static_cast<uint8_t>((e.status & 0xF0) | colour);
    }
  }
}

int ColouredEvents::ChooseSlot(int channel) {
  ++summary_.notesRead;
  const State& state = state_[channel];
  int best = -1, bestAgreeing = 0;
  bool tie = false;
  for (int s = 0; s < kSlotCount; ++s) {
    int agreeing = 0;
    bool disagrees = false;
    for (const SlotOutput& o : table_.slots[s]) {
      const int value = state[StateIndex(o)];
      if (value < 0) continue;
      if (value == o.value)
        ++agreeing;
      else
        disagrees = true;
    }
    if (disagrees || agreeing == 0) continue;
    if (agreeing > bestAgreeing) {
      best = s;
      bestAgreeing = agreeing;
      tie = false;
    } else if (agreeing == bestAgreeing) {
      tie = true;
    }
  }
  if (best < 0) {
    ++summary_.unexplained;
    best = lastSlot_[channel];
  } else if (tie) {
    ++summary_.ties;
  }
  lastSlot_[channel] = static_cast<uint8_t>(best);
  ++summary_.perSlot[best];
  return best;
}

bool ColouredEvents::Next(MidiEventView& e, int& track) {
  for (;;) {
    while (next_ < items_.size()) {
      const Item& item = items_[next_++];
      if (!item.keep) continue;
      e = item.e;
      track = item.track;
      return true;
    }
    if (!ReadTick()) return false;
  }
}

std::vector<uint8_t> ColourMidiFile(const std::vector<uint8_t>& input, const MidiLayout& layout,
                                    const SlotOutputTable& table, ColourSummary& summary,
                                    PianoRoll* picture) {
  const size_t trackCount = layout.tracks.size();
  std::vector<std::vector<uint8_t>> chunks(trackCount);
  std::vector<MidiTrackWriter> writers;
  writers.reserve(trackCount);
  for (auto& chunk : chunks) writers.emplace_back(chunk);

  MergedMidiEvents merged(input, layout);
  ColouredEvents coloured(merged, table, summary, IdentityPairing(), picture);
  MidiEventView e;
  int track = 0;
  while (coloured.Next(e, track)) writers[static_cast<size_t>(track)].Add(e);
  if (picture) picture->Finish();

  std::vector<uint8_t> out;
  WriteMidiHeader(out, layout.format, layout.division, trackCount);
  for (size_t t = 0; t < trackCount; ++t) {
    writers[t].Finish();
    out.insert(out.end(), chunks[t].begin(), chunks[t].end());
  }
  return out;
}
