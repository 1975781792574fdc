#include "tools/midifile/midi_file_reader.h"

#include <cstdio>

namespace {

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

class Cursor {
 public:
  Cursor(const std::vector<uint8_t>& bytes, size_t begin, size_t end)
      : bytes_(bytes), at_(begin), end_(end) {}

  bool AtEnd() const { return at_ >= end_; }
  size_t Offset() const { return at_; }
  size_t Left() const { return end_ - at_; }

  bool Byte(uint8_t& value) {
    if (AtEnd()) return false;
    value = bytes_[at_++];
    return true;
  }
  // Variable-length quantity: at most four bytes, seven bits each.
  bool Number(uint32_t& value, std::string& error) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b = 0;
      if (!Byte(b)) {
        error = "the track ends inside a variable-length number";
        return false;
      }
      value = value << 7 | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    error = "a variable-length number is longer than four bytes";
    return false;
  }
  bool Take(size_t count, std::vector<uint8_t>& out) {
    if (Left() < count) return false;
    out.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
               bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + count));
    at_ += count;
    return true;
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_;
  size_t end_;
};

uint32_t BigEndian(const std::vector<uint8_t>& b, size_t at, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | b[at + i];
  return value;
}

bool ReadTrack(const std::vector<uint8_t>& bytes, size_t begin, size_t end, int index,
               std::vector<MidiEvent>& events, std::string& error) {
  Cursor in(bytes, begin, end);
  uint64_t tick = 0;
  uint8_t running = 0;  // 0: no running status in force
  const std::string where = "track " + std::to_string(index + 1) + ": ";
  while (!in.AtEnd()) {
    const size_t eventStart = in.Offset();
    auto fail = [&](const std::string& what) {
      error = where + what + " (event at byte " + std::to_string(eventStart) + ")";
      return false;
    };
    uint32_t delta = 0;
    std::string vlqError;
    if (!in.Number(delta, vlqError)) return fail(vlqError);
    tick += delta;
    uint8_t first = 0;
    if (!in.Byte(first)) return fail("the track ends after a delta time, without an event");

    MidiEvent e;
    e.tick = tick;
    e.track = index;
    if (first == 0xFF) {
      uint32_t length = 0;
      if (!in.Byte(e.metaType)) return fail("the track ends inside a meta event");
      if (!in.Number(length, vlqError)) return fail(vlqError);
      if (!in.Take(length, e.payload))
        return fail("a meta event of " + std::to_string(length) +
                    " bytes runs past the end of the track (truncated file?)");
      e.kind = MidiEvent::Kind::Meta;
      e.status = 0xFF;
    } else if (first == 0xF0 || first == 0xF7) {
      uint32_t length = 0;
      if (!in.Number(length, vlqError)) return fail(vlqError);
      if (!in.Take(length, e.payload))
        return fail("a system exclusive event of " + std::to_string(length) +
                    " bytes runs past the end of the track (truncated file?)");
      e.kind = MidiEvent::Kind::Sysex;
      e.status = first;
      running = 0;  // sysex cancels running status
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
      e.status = running;
      const int needed = ChannelDataBytes(running);
      while (have < needed) {
        if (!in.Byte(data[have])) return fail("the track ends inside a channel message");
        if (data[have] & 0x80)
          return fail("byte " + Hex(data[have]) + " where a data value 0..127 belongs");
        ++have;
      }
      e.data1 = data[0];
      e.data2 = data[1];
    }
    events.push_back(std::move(e));
  }
  return true;
}

}  // namespace

bool ReadMidiFile(const std::vector<uint8_t>& bytes, MidiFile& file, std::string& error) {
  if (bytes.size() < 14 || BigEndian(bytes, 0, 4) != 0x4D546864) {  // "MThd"
    error = bytes.size() < 4 || BigEndian(bytes, 0, 4) != 0x4D546864
                ? "not a Standard MIDI File: it does not begin with an MThd header"
                : "truncated: the file ends inside its MThd header";
    return false;
  }
  const uint32_t headerLength = BigEndian(bytes, 4, 4);
  if (headerLength < 6 || 8 + static_cast<uint64_t>(headerLength) > bytes.size()) {
    error = "the MThd header gives a length of " + std::to_string(headerLength) +
            (headerLength < 6 ? ", less than 6" : ", past the end of the file");
    return false;
  }
  MidiFile result;
  result.format = static_cast<int>(BigEndian(bytes, 8, 2));
  const uint32_t trackCount = BigEndian(bytes, 10, 2);
  result.division = static_cast<uint16_t>(BigEndian(bytes, 12, 2));
  if (result.format == 2) {
    error = "format 2 (independent sequences) is not supported; use format 0 or 1";
    return false;
  }
  if (result.format > 2) {
    error = "unknown format " + std::to_string(result.format) + " in the MThd header";
    return false;
  }
  if (result.division == 0) {
    error = "the MThd header gives 0 ticks per quarter note";
    return false;
  }
  if (result.format == 0 && trackCount != 1) {
    error =
        "a format 0 file has exactly one track; this one declares " + std::to_string(trackCount);
    return false;
  }

  size_t at = 8 + headerLength;
  while (result.tracks.size() < trackCount) {
    if (bytes.size() - at < 8) {
      error = "truncated: the file ends after " + std::to_string(result.tracks.size()) + " of " +
              std::to_string(trackCount) + " tracks";
      return false;
    }
    const uint32_t type = BigEndian(bytes, at, 4);
    const uint32_t length = BigEndian(bytes, at + 4, 4);
    const size_t body = at + 8;
    if (length > bytes.size() - body) {
      error = "truncated: the chunk at byte " + std::to_string(at) + " declares " +
              std::to_string(length) + " bytes, but only " + std::to_string(bytes.size() - body) +
              " follow";
      return false;
    }
    if (type == 0x4D54726B) {  // "MTrk"; other chunk types are skipped
      result.tracks.emplace_back();
      if (!ReadTrack(bytes, body, body + length, static_cast<int>(result.tracks.size() - 1),
                     result.tracks.back(), error))
        return false;
    }
    at = body + length;
  }
  file = std::move(result);
  return true;
}
