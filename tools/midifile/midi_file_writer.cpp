#include "tools/midifile/midi_file_writer.h"

#include "tools/midifile/merged_events.h"

namespace {

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

void PutNumber(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t groups[5];
  int count = 0;
  do {
    groups[count++] = value & 0x7F;
    value >>= 7;
  } while (value);
  while (count > 1) out.push_back(groups[--count] | 0x80);
  out.push_back(groups[0]);
}

}  // namespace

MidiTrackWriter::MidiTrackWriter(std::vector<uint8_t>& out) : out_(out) {
  out_.insert(out_.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
  lengthAt_ = out_.size() - 4;
}

void MidiTrackWriter::Delta(uint64_t tick) {
  // An empty Text event is the one event every reader passes over; one
  // every kMaxDeltaTime ticks carries the time across a long gap.
  while (tick > last_ + kMaxDeltaTime) {
    PutNumber(out_, kMaxDeltaTime);
    out_.insert(out_.end(), {0xFF, kMetaText, 0});
    last_ += kMaxDeltaTime;
  }
  PutNumber(out_, tick > last_ ? static_cast<uint32_t>(tick - last_) : 0);
  if (tick > last_) last_ = tick;
}

void MidiTrackWriter::Channel(uint64_t tick, uint8_t status, uint8_t data1, uint8_t data2) {
  if (ended_) return;
  Delta(tick);
  out_.push_back(status);
  out_.push_back(data1 & 0x7F);
  if (ChannelDataBytes(status) == 2) out_.push_back(data2 & 0x7F);
}

void MidiTrackWriter::Meta(uint64_t tick, uint8_t type, const uint8_t* payload, uint32_t size) {
  if (ended_) return;
  Delta(tick);
  out_.push_back(0xFF);
  out_.push_back(type);
  PutNumber(out_, size);
  out_.insert(out_.end(), payload, payload + size);
  ended_ = type == kMetaEndOfTrack;
}

void MidiTrackWriter::Add(const MidiEventView& e) {
  switch (e.kind) {
    case MidiEvent::Kind::Channel:
      Channel(e.tick, e.status, e.data1, e.data2);
      break;
    case MidiEvent::Kind::Meta:
      Meta(e.tick, e.metaType, e.payload, e.payloadSize);
      break;
    case MidiEvent::Kind::Sysex:
      if (ended_) return;
      Delta(e.tick);
      out_.push_back(e.status);
      PutNumber(out_, e.payloadSize);
      out_.insert(out_.end(), e.payload, e.payload + e.payloadSize);
      break;
  }
}

void MidiTrackWriter::Finish() {
  if (!ended_) out_.insert(out_.end(), {0, 0xFF, kMetaEndOfTrack, 0});
  ended_ = true;
  Put32(out_, lengthAt_, static_cast<uint32_t>(out_.size() - lengthAt_ - 4));
}

void WriteMidiHeader(std::vector<uint8_t>& out, int format, uint16_t division, size_t tracks) {
  const uint8_t header[] = {'M',
                            'T',
                            'h',
                            'd',
                            0,
                            0,
                            0,
                            6,
                            0,
                            static_cast<uint8_t>(format),
                            static_cast<uint8_t>(tracks >> 8),
                            static_cast<uint8_t>(tracks),
                            static_cast<uint8_t>(division >> 8),
                            static_cast<uint8_t>(division)};
  for (uint8_t b : header) out.push_back(b);
}

std::vector<uint8_t> WriteMidiFile(const MidiFile& file) {
  std::vector<uint8_t> out;
  WriteMidiHeader(out, file.format, file.division, file.tracks.size());
  for (const auto& track : file.tracks) {
    MidiTrackWriter writer(out);
    for (const MidiEvent& e : track) writer.Add(MidiEventView::Of(e));
    writer.Finish();
  }
  return out;
}

std::vector<uint8_t> WriteEventTracks(MidiEventSource& events, const MidiLayout& layout) {
  const size_t trackCount = layout.tracks.size();
  std::vector<std::vector<uint8_t>> chunks(trackCount);
  std::vector<MidiTrackWriter> writers;
  writers.reserve(trackCount);
  for (auto& chunk : chunks) writers.emplace_back(chunk);
  MidiEventView e;
  int track = 0;
  while (events.Next(e, track)) writers[static_cast<size_t>(track)].Add(e);

  std::vector<uint8_t> out;
  WriteMidiHeader(out, layout.format, layout.division, trackCount);
  for (size_t t = 0; t < trackCount; ++t) {
    writers[t].Finish();
    out.insert(out.end(), chunks[t].begin(), chunks[t].end());
  }
  return out;
}
