// Standard MIDI Files in memory: the tracks as lists of timed events, plus
// the tempo map that turns ticks into seconds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MidiEvent {
  enum class Kind : uint8_t { Channel, Meta, Sysex };

  uint64_t tick = 0;  // absolute, from the start of the track
  Kind kind = Kind::Channel;
  uint8_t status = 0;  // channel status (0x80..0xEF), 0xFF for meta, 0xF0 or 0xF7 for sysex
  uint8_t data1 = 0, data2 = 0;  // channel messages; data2 unused for 0xC0 and 0xD0
  uint8_t metaType = 0;
  std::vector<uint8_t> payload;  // meta and sysex data
  int track = 0;                 // index of the track it came from

  static MidiEvent Channel(uint64_t tick, uint8_t status, uint8_t data1, uint8_t data2) {
    MidiEvent e;
    e.tick = tick;
    e.status = status;
    e.data1 = data1;
    e.data2 = data2;
    return e;
  }
  static MidiEvent Meta(uint64_t tick, uint8_t type, std::vector<uint8_t> data) {
    MidiEvent e;
    e.tick = tick;
    e.kind = Kind::Meta;
    e.status = 0xFF;
    e.metaType = type;
    e.payload = std::move(data);
    return e;
  }
};

// One event as a reader streams it or a writer takes it: its payload (meta
// and sysex data) stays wherever it already is.
struct MidiEventView {
  uint64_t tick = 0;
  MidiEvent::Kind kind = MidiEvent::Kind::Channel;
  uint8_t status = 0;
  uint8_t data1 = 0, data2 = 0;
  uint8_t metaType = 0;
  const uint8_t* payload = nullptr;
  uint32_t payloadSize = 0;

  static MidiEventView Of(const MidiEvent& e) {
    return {e.tick,  e.kind,     e.status,         e.data1,
            e.data2, e.metaType, e.payload.data(), static_cast<uint32_t>(e.payload.size())};
  }
};

// The largest delta time a Standard MIDI File can hold: four bytes of seven bits.
constexpr uint32_t kMaxDeltaTime = 0x0FFFFFFF;

// Meta event types this program looks at.
constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaTrackName = 0x03;
constexpr uint8_t kMetaPort = 0x21;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaTimeSignature = 0x58;

// Number of data bytes after a channel status byte.
inline int ChannelDataBytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

struct MidiFile {
  int format = 0;           // 0 or 1 are read; 2 is refused
  uint16_t division = 480;  // ticks per quarter note, or SMPTE when bit 15 is set
  std::vector<std::vector<MidiEvent>> tracks;
};

// All events of all tracks by tick; at equal ticks, earlier tracks first and
// each track in its own order.
std::vector<MidiEvent> MergeTracks(const MidiFile& file);

// Seconds from ticks under the file's tempo changes (120 BPM until the first).
class TempoMap {
 public:
  explicit TempoMap(uint16_t division);
  TempoMap(uint16_t division, const std::vector<MidiEvent>& merged);
  // A Set Tempo event, in merged order; other events are passed over.
  void Add(const MidiEventView& e);
  double Seconds(uint64_t tick) const;
  // The inverse: the tick, with its fraction, at which `seconds` have
  // passed (0 for times before the start). A file whose ticks have no
  // length (SMPTE with zero frames) gives 0.
  double Ticks(double seconds) const;
  // The length of the shortest tick anywhere in the file, in seconds.
  double ShortestTick() const;

 private:
  double quarter_ = 0;  // ticks per quarter note; 0 for SMPTE time, where tempo does not apply
  struct Change {
    uint64_t tick;
    double seconds;  // time at that tick
    double secondsPerTick;
  };
  std::vector<Change> changes_;
  // The change a lookup last found: a render asks about nearby ticks, one
  // after another, and mostly finds the same change or the next. (Makes
  // a map unfit for lookups from several threads at once.)
  mutable size_t last_ = 0;
  template <typename Key, typename Before>
  const Change& Find(Key key, Before before) const;
};
