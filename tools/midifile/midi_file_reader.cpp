#include "tools/midifile/midi_file_reader.h"

#include "maps/counted.h"
#include "tools/midifile/midi_track_cursor.h"

namespace {

uint32_t BigEndian(const std::vector<uint8_t>& b, size_t at, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | b[at + i];
  return value;
}

bool CheckHeader(const std::vector<uint8_t>& bytes, MidiLayout& layout, uint32_t& trackCount,
                 std::string& error) {
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
  layout.format = static_cast<int>(BigEndian(bytes, 8, 2));
  trackCount = BigEndian(bytes, 10, 2);
  layout.division = static_cast<uint16_t>(BigEndian(bytes, 12, 2));
  if (layout.format == 2) {
    error = "format 2 (independent sequences) is not supported; use format 0 or 1";
    return false;
  }
  if (layout.format > 2) {
    error = "unknown format " + std::to_string(layout.format) + " in the MThd header";
    return false;
  }
  if (layout.division == 0) {
    error = "the MThd header gives 0 ticks per quarter note";
    return false;
  }
  if (layout.format == 0 && trackCount != 1) {
    error =
        "a format 0 file has exactly one track; this one declares " + std::to_string(trackCount);
    return false;
  }
  return true;
}

}  // namespace

bool ReadMidiLayout(const std::vector<uint8_t>& bytes, MidiLayout& layout, std::string& error) {
  MidiLayout result;
  uint32_t trackCount = 0;
  if (!CheckHeader(bytes, result, trackCount, error)) return false;

  // Tracks are added one by one as their chunks turn up, never reserved
  // from the header's count.
  size_t at = 8 + BigEndian(bytes, 4, 4);
  while (result.tracks.size() < trackCount) {
    if (bytes.size() - at < 8) {
      error = "truncated: the file ends after " + std::to_string(result.tracks.size()) + " of " +
              Counted(trackCount, "track");
      return false;
    }
    const uint32_t type = BigEndian(bytes, at, 4);
    const uint32_t length = BigEndian(bytes, at + 4, 4);
    const size_t body = at + 8;
    if (length > bytes.size() - body) {
      error = "truncated: the chunk at byte " + std::to_string(at) + " declares " +
              Counted(length, "byte") + ", but the file holds only " +
              Counted(bytes.size() - body, "byte") + " more";
      return false;
    }
    if (type == 0x4D54726B) {  // "MTrk"; other chunk types are skipped
      MidiLayout::Track track{body, body + length, 0};
      MidiTrackCursor events(bytes.data(), track.begin, track.end,
                             static_cast<int>(result.tracks.size()));
      MidiEventView e;
      while (!events.AtEnd()) {
        if (!events.Next(e, error)) return false;
        ++track.events;
      }
      result.events += track.events;
      result.tracks.push_back(track);
    }
    at = body + length;
  }
  layout = std::move(result);
  return true;
}

bool ReadMidiFile(const std::vector<uint8_t>& bytes, MidiFile& file, std::string& error) {
  MidiLayout layout;
  if (!ReadMidiLayout(bytes, layout, error)) return false;
  MidiFile result;
  result.format = layout.format;
  result.division = layout.division;
  result.tracks.resize(layout.tracks.size());
  for (size_t t = 0; t < layout.tracks.size(); ++t) {
    const MidiLayout::Track& track = layout.tracks[t];
    MidiTrackCursor cursor(bytes.data(), track.begin, track.end, static_cast<int>(t));
    auto& events = result.tracks[t];
    events.reserve(track.events);  // counted above, from bytes that are there
    MidiEventView v;
    while (!cursor.AtEnd() && cursor.Next(v, error)) {
      MidiEvent e;
      e.tick = v.tick;
      e.kind = v.kind;
      e.status = v.status;
      e.data1 = v.data1;
      e.data2 = v.data2;
      e.metaType = v.metaType;
      e.payload.assign(v.payload, v.payload + v.payloadSize);
      e.track = static_cast<int>(t);
      events.push_back(std::move(e));
    }
  }
  file = std::move(result);
  return true;
}
