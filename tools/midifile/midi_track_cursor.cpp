#include "tools/midifile/midi_track_cursor.h"

#include <cstdio>

#include "maps/counted.h"

namespace {

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

}  // namespace

// Variable-length quantity: at most four bytes, seven bits each.
bool MidiTrackCursor::Number(size_t& at, uint32_t& value, const char*& fault) const {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (at >= end_) {
      fault = "the track ends inside a variable-length number";
      return false;
    }
    const uint8_t b = file_[at++];
    value = value << 7 | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  fault = "a variable-length number is longer than four bytes";
  return false;
}

bool MidiTrackCursor::Next(MidiEventView& e, std::string& error) {
  size_t at = at_;
  const char* fault = nullptr;
  auto fail = [&](const std::string& what) {
    error = "track " + std::to_string(index_ + 1) + ": " + what + " (event at byte " +
            std::to_string(at_) + ")";
    return false;
  };
  uint32_t delta = 0;
  if (!Number(at, delta, fault)) return fail(fault);
  if (at >= end_) return fail("the track ends after a delta time, without an event");
  const uint8_t first = file_[at++];

  e = MidiEventView{};
  e.tick = tick_ + delta;
  uint8_t running = running_;
  if (first == 0xFF || first == 0xF0 || first == 0xF7) {
    const bool meta = first == 0xFF;
    if (meta) {
      if (at >= end_) return fail("the track ends inside a meta event");
      e.metaType = file_[at++];
    }
    uint32_t length = 0;
    if (!Number(at, length, fault)) return fail(fault);
    if (length > end_ - at)
      return fail(std::string(meta ? "a meta event of " : "a system exclusive event of ") +
                  Counted(length, "byte") + " runs past the end of the track (truncated file?)");
    e.kind = meta ? MidiEvent::Kind::Meta : MidiEvent::Kind::Sysex;
    e.status = first;
    e.payload = file_ + at;
    e.payloadSize = length;
    at += length;
    if (!meta) running = 0;  // sysex cancels running status
  } else if (first >= 0xF0) {
    return fail("status byte " + Hex(first) + " does not belong in a MIDI file");
  } else {
    uint8_t data[2] = {0, 0};
    int have = 0;
    if (first & 0x80) {
      running = first;
    } else {
      if (!running) return fail("a data byte " + Hex(first) + " with no status byte before it");
      data[have++] = first;
    }
    const int needed = ChannelDataBytes(running);
    for (; have < needed; ++have) {
      if (at >= end_) return fail("the track ends inside a channel message");
      data[have] = file_[at++];
      if (data[have] & 0x80)
        return fail("byte " + Hex(data[have]) + " where a data value 0..127 belongs");
    }
    e.status = running;
    e.data1 = data[0];
    e.data2 = data[1];
  }
  at_ = at;
  tick_ = e.tick;
  running_ = running;
  return true;
}
