#include "tools/midifile/midi_file_writer.h"

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
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

std::vector<uint8_t> TrackBody(const std::vector<MidiEvent>& events) {
  std::vector<uint8_t> out;
  uint64_t last = 0;
  bool ended = false;
  for (const MidiEvent& e : events) {
    if (ended) break;
    PutNumber(out, static_cast<uint32_t>(e.tick - last));
    last = e.tick;
    switch (e.kind) {
      case MidiEvent::Kind::Channel:
        out.push_back(e.status);
        out.push_back(e.data1 & 0x7F);
        if (ChannelDataBytes(e.status) == 2) out.push_back(e.data2 & 0x7F);
        break;
      case MidiEvent::Kind::Meta:
        out.push_back(0xFF);
        out.push_back(e.metaType);
        PutNumber(out, static_cast<uint32_t>(e.payload.size()));
        out.insert(out.end(), e.payload.begin(), e.payload.end());
        ended = e.metaType == kMetaEndOfTrack;
        break;
      case MidiEvent::Kind::Sysex:
        out.push_back(e.status);
        PutNumber(out, static_cast<uint32_t>(e.payload.size()));
        out.insert(out.end(), e.payload.begin(), e.payload.end());
        break;
    }
  }
  if (!ended) {
    out.push_back(0);
    out.push_back(0xFF);
    out.push_back(kMetaEndOfTrack);
    out.push_back(0);
  }
  return out;
}

}  // namespace

std::vector<uint8_t> WriteMidiFile(const MidiFile& file) {
  std::vector<uint8_t> out = {'M', 'T', 'h', 'd'};
  Put32(out, 6);
  out.push_back(0);
  out.push_back(static_cast<uint8_t>(file.format));
  out.push_back(static_cast<uint8_t>(file.tracks.size() >> 8));
  out.push_back(static_cast<uint8_t>(file.tracks.size()));
  out.push_back(static_cast<uint8_t>(file.division >> 8));
  out.push_back(static_cast<uint8_t>(file.division));
  for (const auto& track : file.tracks) {
    const std::vector<uint8_t> body = TrackBody(track);
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    Put32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
  }
  return out;
}
