#include "tools/render/colouring.h"

#include <algorithm>
#include <bit>
#include <numeric>

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
                               PianoRoll* picture, const PerformedControllers* performed)
    : input_(input),
      table_(table),
      summary_(summary),
      pairing_(pairing),
      picture_(picture),
      performed_(performed) {
  for (State& s : state_) s.fill(-1);
  for (auto& groups : latched_) groups.fill(Latched{});
  for (int s = 0; s < kSlotCount; ++s)
    layered_ = layered_ || (table_.readable[s] && std::popcount(table_.noteChannels[s]) > 1);
  homeControllers_.fill(-1);
  if (table_.routed) {
    for (int s = 0; s < kSlotCount; ++s) copyChannels_ |= table_.noteChannels[s];
    copyChannels_ &= static_cast<uint16_t>(~(1u << table_.homeChannel));
  }
}

namespace {
// Where a pan, volume, pitch bend or performance controller keeps its value
// in ColouredEvents::homeControllers_, or -1 for any other message.
int ControllerIndex(const MidiEventView& e) {
  if ((e.status & 0xF0) == 0xB0 && IsPerformanceController(e.data1)) return e.data1 & 0x7F;
  if ((e.status & 0xF0) == 0xE0) return 128;
  return -1;
}
int ControllerValue(const MidiEventView& e) {
  return (e.status & 0xF0) == 0xE0 ? (e.data1 & 0x7F) | (e.data2 & 0x7F) << 7 : e.data2 & 0x7F;
}
}  // namespace

bool ColouredEvents::IsControllerCopy(const MidiEventView& e) const {
  if (!(copyChannels_ >> (e.status & 0x0F) & 1)) return false;
  const int index = ControllerIndex(e);
  return index >= 0 && homeControllers_[index] == ControllerValue(e);
}

void ColouredEvents::NoteHomeController(const MidiEventView& e) {
  if (!table_.routed || (e.status & 0x0F) != table_.homeChannel) return;
  const int index = ControllerIndex(e);
  if (index >= 0) homeControllers_[index] = static_cast<int16_t>(ControllerValue(e));
}

bool ColouredEvents::IsPlayedNoteOn(const MidiEventView& e) const {
  return e.kind == MidiEvent::Kind::Channel && IsNoteOn(e) &&
         !table_.switches[e.status & 0x0F].keys[e.data1 & 0x7F];
}

bool ColouredEvents::IsSwitchingKind(const MidiEventView& e) const {
  if (e.kind != MidiEvent::Kind::Channel) return false;
  const ChannelSwitches& switches = table_.switches[e.status & 0x0F];
  switch (e.status & 0xF0) {
    case 0x80:
    case 0x90:
      return switches.keys[e.data1 & 0x7F];
    case 0xB0:
      return switches.controls[e.data1 & 0x7F];
    case 0xC0:
      return switches.programs;
    case 0xE0:
      return switches.pitchBends;
    default:
      return false;
  }
}

int ColouredEvents::SwitchKind(size_t at, bool beforeNote) {
  const MidiEventView& e = items_[at].e;
  if (!IsSwitchingKind(e)) return kNotSwitching;
  switch (e.status & 0xF0) {
    case 0xB0:
      if (IsPerformanceController(e.data1) && Performed(e) && !beforeNote && !SwitchesEarly(at))
        return kNotSwitching;
      return kStateControl + (e.data1 & 0x7F);
    case 0xC0:
      return kStateProgram;
    case 0xE0:
      return beforeNote || !Performed(e) || SwitchesEarly(at) ? kStatePitchBend : kNotSwitching;
    default:
      return IsNoteOn(e) ? kStateKeyswitch : kSetsNothing;
  }
}

bool ColouredEvents::Performed(const MidiEventView& e) const {
  if (!performed_) return true;
  const int index = (e.status & 0xF0) == 0xE0 ? PerformedControllers::kPitchBend : e.data1 & 0x7F;
  return performed_->performed[table_.LaneOf(e.status & 0x0F)][index];
}

bool ColouredEvents::SwitchesEarly(size_t at) {
  const MidiEventView& e = items_[at].e;
  const int channel = e.status & 0x0F, lane = table_.LaneOf(channel);
  const bool bend = (e.status & 0xF0) == 0xE0;
  if (bend) {
    const auto& values = table_.bendValues[lane];
    if (std::find(values.begin(), values.end(), ControllerValue(e)) == values.end()) return false;
  } else if (!table_.controlValues[lane][e.data1 & 0x7F][e.data2 & 0x7F]) {
    return false;
  }
  int sounding = soundingOn_[channel];
  if (table_.routed) sounding = std::accumulate(soundingOn_.begin(), soundingOn_.end(), 0);
  if (sounding > 0) return false;
  for (size_t j = at + 1; Fetch(j); ++j) {
    const MidiEventView& later = items_[j].e;
    if (later.kind != MidiEvent::Kind::Channel) continue;
    const int c = later.status & 0x0F;
    if ((table_.routed || c == channel) && IsPlayedNoteOn(later)) return true;
    if (c == channel && (later.status & 0xF0) == (e.status & 0xF0) &&
        (bend || later.data1 == e.data1))
      return false;
  }
  return false;
}

// What a switching message leaves in force on its channel.
void ColouredEvents::Apply(const MidiEventView& e, int sets) {
  const int channel = e.status & 0x0F, key = e.data1 & 0x7F;
  const ChannelSwitches& switches = table_.switches[channel];
  State& state = state_[channel];
  switch (e.status & 0xF0) {
    case 0xB0:
      state[sets] = e.data2 & 0x7F;
      return;
    case 0xC0:
      state[sets] = e.data1 & 0x7F;
      return;
    case 0xE0:
      state[sets] = static_cast<int16_t>((e.data1 & 0x7F) | (e.data2 & 0x7F) << 7);
      return;
    default:
      break;
  }
  if (sets == kSetsNothing) {
    heldDown_[channel].reset(key);
    return;
  }
  if (switches.keyswitchKeys[key]) {
    const int lane = table_.LaneOf(channel), group = table_.keyGroup[lane][key];
    const Latched pressed{static_cast<int8_t>(key), e.data2};
    if (table_.fieldKeys[lane][key]) latched_[channel][0] = pressed;
    if (group > 0) latched_[channel][group] = pressed;
    state[kStateKeyswitch] = static_cast<int16_t>(key);
  }
  if (switches.heldKeys[key]) heldDown_[channel].set(key);
  if (switches.tapKeys[key]) {
    if (!tapsOpen_[channel]) tapped_[channel].reset();
    tapsOpen_.set(channel);
    tapSeen_.set(channel);
    tapped_[channel].set(key);
  }
}

bool ColouredEvents::Fetch(size_t index) {
  while (items_.size() <= index) {
    Item item;
    if (inputDone_ || !input_.Next(item.e, item.track)) {
      inputDone_ = true;
      return false;
    }
    items_.push_back(item);
  }
  return true;
}

bool ColouredEvents::ReadTick() {
  items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(tickEnd_));
  tickEnd_ = next_ = 0;
  if (!Fetch(0)) return false;
  tapsOpen_.reset();
  const uint64_t tick = items_.front().e.tick;
  size_t end = 1;
  while (Fetch(end) && items_[end].e.tick == tick) ++end;
  tickEnd_ = end;
  Decide();
  return true;
}

void ColouredEvents::Decide() {
  // Backwards: for each event, whether a played note follows at this tick
  // with only switching messages between: on its channel, or on any in a
  // routed map, whose outputs go to other channels than its notes.
  beforeNote_.assign(tickEnd_, 0);
  std::array<bool, 16> noteFollows{};
  for (size_t i = tickEnd_; i-- > 0;) {
    const MidiEventView& e = items_[i].e;
    if (e.kind != MidiEvent::Kind::Channel) continue;
    const int lane = table_.routed ? 0 : e.status & 0x0F;
    beforeNote_[i] = noteFollows[lane];
    if (IsPlayedNoteOn(e))
      noteFollows[lane] = true;
    else if (!IsSwitchingKind(e))
      noteFollows[lane] = false;
  }

  for (size_t i = 0; i < tickEnd_; ++i) {
    Item& item = items_[i];
    MidiEventView& e = item.e;
    if (picture_) picture_->Event(e);
    summary_.endTick = e.tick;
    if (e.kind == MidiEvent::Kind::Meta && e.metaType == kMetaTimeSignature && e.payloadSize >= 2)
      AddMetre(summary_.metres, e.tick, e.payload[0], e.payload[1]);
    if (e.kind == MidiEvent::Kind::Meta && e.metaType == kMetaEndOfTrack) {
      // A track that ends with a note of its own still sounding ends once
      // that note has (at the latest, at the input's end).
      bool open = false;
      sounding_.ForEach(
          [&](const Sounding& n) { open = open || (!n.layer && n.track == item.track); });
      if (open) {
        item.keep = false;
        endOfTracks_.push_back(item);
      }
      continue;
    }
    if (e.kind != MidiEvent::Kind::Channel || item.layer || item.added) continue;
    if (IsControllerCopy(e)) {
      item.keep = false;
      ++summary_.messagesRemoved;
      ++summary_.controllerCopies;
      continue;
    }
    const int sets = SwitchKind(i, beforeNote_[i] != 0);
    if (sets != kNotSwitching) {
      Apply(e, sets);
      item.keep = false;
      ++summary_.messagesRemoved;
      if (picture_) picture_->Switch(e.tick);
      continue;
    }
    NoteHomeController(e);
    if (IsNoteOn(e)) {
      PlayNote(i);
    } else if (IsNoteOff(e)) {
      EndNotes(i);
    }
  }
}

void ColouredEvents::EndNotes(size_t at) {
  const MidiEventView off = items_[at].e;
  const int channel = off.status & 0x0F, key = off.data1 & 0x7F;
  // Notes start in tick order, so those begun before the note-off come
  // first; only when none was, it ends those begun at its own tick.
  Sounding note;
  const bool before = sounding_.Peek(channel, key, note) && note.start < off.tick;
  size_t written = 0, ended = 0;
  while (sounding_.Peek(channel, key, note) && (!before || note.start < off.tick)) {
    sounding_.Pop(channel, key, note);
    --soundingOn_[channel];
    ++ended;
    if (note.layer) continue;
    if (picture_) picture_->NoteOff(off.tick, channel, note.key);
    // The first note ended takes the note-off's place; each other one gets
    // a note-off of its own right after it.
    size_t to = at;
    if (written > 0) {
      to = at + written;
      Item copy = items_[at];
      copy.added = true;
      items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(to), copy);
      beforeNote_.insert(beforeNote_.begin() + static_cast<std::ptrdiff_t>(to), 0);
      ++tickEnd_;
    }
    MidiEventView& e = items_[to].e;
    e.status = static_cast<uint8_t>((off.status & 0xF0) | note.colour);
    e.data1 = note.key;
    ++written;
  }
  if (written > 0) return;
  // Only a layer's copies ended (their note-offs go with the note's own),
  // or nothing sounded: no note to end.
  items_[at].keep = false;
  ++summary_.messagesRemoved;
  if (ended == 0) ++summary_.strayNoteOffs;
}

void ColouredEvents::PlayNote(size_t at) {
  MidiEventView& e = items_[at].e;
  const int channel = e.status & 0x0F, key = e.data1 & 0x7F;
  tapsOpen_.reset();
  const int guessedBefore = summary_.unexplained + summary_.ties;
  const int slot = ChooseSlot(at, channel, key);
  const bool guessed = summary_.unexplained + summary_.ties != guessedBefore;
  const uint8_t colour = pairing_[slot] & 0x0F;
  const int written = std::clamp(key - table_.transpose[slot], 0, 127);
  const Sounding note{colour, static_cast<uint8_t>(written), false, e.tick, items_[at].track};

  // The layer's other note-ons are this note's; their note-offs too. (A
  // note kept in the slot before, off that slot's channels, has no layer.)
  const uint16_t channels = table_.NoteChannelsOf(slot, channel);
  uint16_t others = (channels >> channel & 1) ? channels & ~(1u << channel) : 0;
  for (size_t j = at + 1; others != 0 && j < tickEnd_; ++j) {
    Item& copy = items_[j];
    const int c = copy.e.status & 0x0F;
    if (copy.layer || !(others >> c & 1) || !IsPlayedNoteOn(copy.e) || copy.e.data1 != key)
      continue;
    copy.layer = true;
    copy.keep = false;
    others &= static_cast<uint16_t>(~(1u << c));
    sounding_.Push(c, key, Sounding{colour, note.key, true, e.tick, copy.track});
    ++soundingOn_[c];
    ++summary_.messagesRemoved;
    ++summary_.layerNotes;
  }
  sounding_.Push(channel, key, note);
  ++soundingOn_[channel];
  if (picture_) picture_->NoteOn(e.tick, channel, note.key, colour, guessed);
  e.status = static_cast<uint8_t>(0x90 | colour);
  e.data1 = note.key;
}

uint16_t ColouredEvents::LayerChannels(size_t at, int key) const {
  uint16_t channels = 0;
  for (size_t j = at + 1; j < tickEnd_; ++j) {
    const Item& item = items_[j];
    if (!item.layer && IsPlayedNoteOn(item.e) && item.e.data1 == key)
      channels |= static_cast<uint16_t>(1u << (item.e.status & 0x0F));
  }
  return channels;
}

// How many of a slot's outputs agree with the state a note on `channel`
// finds; `disagrees` when one does not.
int ColouredEvents::Agreeing(int slot, int channel, bool& disagrees) const {
  int agreeing = 0;
  for (const SlotOutput& o : table_.slots[slot]) {
    const int at = table_.ChannelOf(o, channel);
    bool agrees = false;
    if (o.kind == OutputKind::Taps) {
      continue;  // the keys are read one by one; the set only prefers (TapsNameSlot)
    } else if (o.kind == OutputKind::Keyswitch) {
      const Latched latched = latched_[at][o.group];
      if (latched.key < 0) continue;
      agrees = latched.key == o.value && (!o.velocityTells || latched.velocity == o.velocity);
    } else if (o.kind == OutputKind::Held) {
      agrees = heldDown_[at] == o.keys;
    } else {
      const int value = state_[at][StateIndex(o)];
      if (value < 0) continue;
      agrees = value == o.value;
    }
    if (agrees)
      ++agreeing;
    else
      disagrees = true;
  }
  return agreeing;
}

bool ColouredEvents::TapsNameSlot(int slot, int channel) const {
  bool taps = false;
  for (const SlotOutput& o : table_.slots[slot]) {
    if (o.kind != OutputKind::Taps) continue;
    const int at = table_.ChannelOf(o, channel);
    if (!tapSeen_[at] || tapped_[at] != o.keys) return false;
    taps = true;
  }
  return taps;
}

int ColouredEvents::ChooseSlot(size_t at, int channel, int key) {
  ++summary_.notesRead;
  const uint16_t layer = table_.routed && layered_ ? LayerChannels(at, key) : 0;
  const uint16_t self = static_cast<uint16_t>(1u << channel);
  int best = -1, bestAgreeing = 0;
  bool tie = false, bestNamed = false;
  for (int s = 0; s < kSlotCount; ++s) {
    if (!table_.readable[s]) continue;
    int agreeing = 0;
    if (table_.routed) {
      const uint16_t channels = table_.noteChannels[s];
      if (!(channels & self) || (channels & ~self & ~layer) != 0) continue;
      agreeing += table_.tellingChannels[channel] ? 1 : 0;
    }
    bool disagrees = false;
    agreeing += Agreeing(s, channel, disagrees);
    if (disagrees || agreeing == 0) continue;
    const bool named = TapsNameSlot(s, channel);
    if (named != bestNamed ? named : agreeing > bestAgreeing) {
      best = s;
      bestAgreeing = agreeing;
      bestNamed = named;
      tie = false;
    } else if (named == bestNamed && agreeing == bestAgreeing) {
      tie = true;
    }
  }
  const bool guessed = best < 0 || tie, wasTie = best >= 0 && tie;
  if (best < 0) {
    ++summary_.unexplained;
    best = lastSlot_[channel];
  } else if (tie) {
    ++summary_.ties;
  }
  if (guessed && summary_.guessed.size() < ColourSummary::kGuessesListed)
    summary_.guessed.push_back({items_[at].e.tick, items_[at].track, wasTie});
  lastSlot_[channel] = static_cast<uint8_t>(best);
  ++summary_.perSlot[best];
  return best;
}

bool ColouredEvents::Next(MidiEventView& e, int& track) {
  for (;;) {
    while (next_ < tickEnd_) {
      const Item& item = items_[next_++];
      if (!item.keep) continue;
      e = item.e;
      track = item.track;
      return true;
    }
    if (ReadTick()) continue;
    if (ended_) return false;
    EndAtEnd();
  }
}

void ColouredEvents::EndAtEnd() {
  ended_ = true;
  items_.clear();
  sounding_.ForEach([this](const Sounding& note) {
    if (note.layer) return;
    Item off;
    off.e.kind = MidiEvent::Kind::Channel;
    off.e.tick = summary_.endTick;
    off.e.status = static_cast<uint8_t>(0x80 | note.colour);
    off.e.data1 = note.key;
    off.e.data2 = 0;
    off.track = note.track;
    items_.push_back(off);
    ++summary_.endedAtEnd;
  });
  for (const Item& eot : endOfTracks_) {
    items_.push_back(eot);
    items_.back().keep = true;
    items_.back().e.tick = summary_.endTick;
  }
  endOfTracks_.clear();
  next_ = 0;
  tickEnd_ = items_.size();
}

std::vector<uint8_t> ColourMidiFile(const std::vector<uint8_t>& input, const MidiLayout& layout,
                                    const SlotOutputTable& table, ColourSummary& summary,
                                    PianoRoll* picture) {
  const PerformedControllers performed = PerformedIn(input, layout, table);
  MergedMidiEvents merged(input, layout);
  ColouredEvents coloured(merged, table, summary, IdentityPairing(), picture, &performed);
  CountedOverlaps counted(coloured, summary.overlaps);
  std::vector<uint8_t> out = WriteEventTracks(counted, layout);
  if (picture) picture->Finish();
  return out;
}
