// Feeds arbitrary bytes to the MIDI file reader and writes what it read.
// Each input must give either a clear error or a file that round-trips:
// read -> write -> read gives the same events at the same ticks, the written
// bytes hold no variable-length number above four bytes and no data byte
// above 127 (checked by a walk of their own, not by the reader), and the
// in-place reader agrees with the whole-file one. A second round trip writes
// only the channel events, as a render keeps only some, so that long gaps
// must be bridged.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/midifile/merged_events.h"
#include "tools/midifile/midi_file_reader.h"
#include "tools/midifile/midi_file_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

[[noreturn]] void Broken(const std::string& what) {
  std::fprintf(stderr, "MIDI file property broken: %s\n", what.c_str());
  std::abort();
}

void Require(bool holds, const char* what) {
  if (!holds) Broken(what);
}

// The writer's output, walked without the reader: full status bytes, every
// number at most four bytes, data bytes 0..127, each track ending with its
// End of Track exactly where its chunk ends.
class WrittenBytes {
 public:
  explicit WrittenBytes(const Bytes& b) : b_(b) {}

  void Check() {
    Require(b_.size() >= 14 && std::memcmp(b_.data(), "MThd\0\0\0\6", 8) == 0, "header");
    const size_t tracks = b_[10] << 8 | b_[11];
    at_ = 14;
    for (size_t t = 0; t < tracks; ++t) {
      Require(b_.size() - at_ >= 8 && std::memcmp(&b_[at_], "MTrk", 4) == 0, "track chunk");
      const size_t length =
          size_t{b_[at_ + 4]} << 24 | b_[at_ + 5] << 16 | b_[at_ + 6] << 8 | b_[at_ + 7];
      at_ += 8;
      Require(length <= b_.size() - at_, "chunk length past the end");
      end_ = at_ + length;
      bool ended = false;
      while (at_ < end_) {
        Require(!ended, "an event after End of Track");
        Number();
        const uint8_t status = Byte();
        Require(status >= 0x80, "an event without its status byte");
        if (status == 0xFF) {
          const uint8_t type = Byte();
          Skip(Number());
          ended = type == kMetaEndOfTrack;
        } else if (status == 0xF0 || status == 0xF7) {
          Skip(Number());
        } else {
          Require(status < 0xF0, "a status byte that does not belong in a file");
          for (int i = ChannelDataBytes(status); i > 0; --i)
            Require(Byte() <= 127, "a data byte above 127");
        }
      }
      Require(ended, "a track without End of Track");
    }
    Require(at_ == b_.size(), "bytes after the last track");
  }

 private:
  uint8_t Byte() {
    Require(at_ < end_, "an event runs past its chunk");
    return b_[at_++];
  }
  uint32_t Number() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const uint8_t b = Byte();
      value = value << 7 | (b & 0x7F);
      if (!(b & 0x80)) return value;
    }
    Broken("a variable-length number longer than four bytes");
  }
  void Skip(uint32_t count) {
    Require(count <= end_ - at_, "a payload runs past its chunk");
    at_ += count;
  }

  const Bytes& b_;
  size_t at_ = 0, end_ = 0;
};

bool Same(const MidiEvent& a, const MidiEvent& b) {
  return a.tick == b.tick && a.kind == b.kind && a.status == b.status && a.data1 == b.data1 &&
         a.data2 == b.data2 && a.metaType == b.metaType && a.payload == b.payload;
}

bool Same(const MidiEventView& a, const MidiEvent& b) {
  return a.tick == b.tick && a.kind == b.kind && a.status == b.status && a.data1 == b.data1 &&
         a.data2 == b.data2 && a.metaType == b.metaType &&
         Bytes(a.payload, a.payload + a.payloadSize) == b.payload;
}

// What a track reads back as once written: up to its first End of Track,
// with one added at its last tick when it had none.
std::vector<MidiEvent> AsWritten(const std::vector<MidiEvent>& track) {
  std::vector<MidiEvent> out;
  for (const MidiEvent& e : track) {
    out.push_back(e);
    if (e.kind == MidiEvent::Kind::Meta && e.metaType == kMetaEndOfTrack) return out;
  }
  out.push_back(MidiEvent::Meta(out.empty() ? 0 : out.back().tick, kMetaEndOfTrack, {}));
  return out;
}

// The read-back track must be the expected one with nothing added but
// bridges: empty Text events each exactly kMaxDeltaTime after the event
// before them. A bridge never shares its tick with the event it leads to.
void RequireSameTrack(const std::vector<MidiEvent>& expected, const std::vector<MidiEvent>& back) {
  size_t i = 0;
  uint64_t previous = 0;
  for (const MidiEvent& e : back) {
    if (i < expected.size() && Same(expected[i], e)) {
      ++i;
    } else {
      Require(e.kind == MidiEvent::Kind::Meta && e.metaType == kMetaText && e.payload.empty() &&
                  e.tick == previous + kMaxDeltaTime,
              "an event changed, lost or added in the round trip");
    }
    previous = e.tick;
  }
  Require(i == expected.size(), "events lost in the round trip");
}

MidiFile ReadBack(const Bytes& written) {
  WrittenBytes(written).Check();
  MidiFile back;
  std::string error;
  if (!ReadMidiFile(written, back, error)) Broken("the written file does not read: " + error);
  return back;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Bytes bytes(data, data + size);
  MidiFile file;
  MidiLayout layout;
  std::string error, layoutError;
  const bool read = ReadMidiFile(bytes, file, error);
  Require(read == ReadMidiLayout(bytes, layout, layoutError), "the two readers disagree");
  if (!read) {
    Require(!error.empty() && error == layoutError, "a refusal without the same clear message");
    return 0;
  }

  const std::vector<MidiEvent> merged = MergeTracks(file);
  Require(layout.events == merged.size(), "event counts disagree");
  MidiEventView v;
  size_t n = 0;
  for (MergedMidiEvents events(bytes, layout); events.Next(v); ++n)
    Require(n < merged.size() && Same(v, merged[n]), "in-place merge differs");
  Require(n == merged.size(), "in-place merge ends early");

  const MidiFile back = ReadBack(WriteMidiFile(file));
  Require(back.format == file.format && back.division == file.division &&
              back.tracks.size() == file.tracks.size(),
          "header changed in the round trip");
  for (size_t t = 0; t < file.tracks.size(); ++t)
    RequireSameTrack(AsWritten(file.tracks[t]), back.tracks[t]);

  // Channel events only: whatever lay between them is gone, gaps remain.
  MidiFile thinned = file;
  for (auto& track : thinned.tracks)
    std::erase_if(track, [](const MidiEvent& e) { return e.kind != MidiEvent::Kind::Channel; });
  const MidiFile thinBack = ReadBack(WriteMidiFile(thinned));
  for (size_t t = 0; t < thinned.tracks.size(); ++t)
    RequireSameTrack(AsWritten(thinned.tracks[t]), thinBack.tracks[t]);
  return 0;
}
