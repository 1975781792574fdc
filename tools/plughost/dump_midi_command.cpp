// dump-midi: a MIDI file as readable lines (time, tick, message, note names).
#include <cstdio>

#include "maps/counted.h"
#include "maps/text_file.h"
#include "tools/midifile/merged_events.h"
#include "tools/midifile/midi_file_reader.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/midi_text.h"

namespace {

std::string DescribeMeta(const MidiEventView& e) {
  const uint8_t* p = e.payload;
  const uint32_t size = e.payloadSize;
  char text[128];
  switch (e.metaType) {
    case kMetaTempo:
      if (size == 3) {
        const unsigned micros = p[0] << 16 | p[1] << 8 | p[2];
        std::snprintf(text, sizeof text, "Tempo     %.2f BPM", micros ? 60e6 / micros : 0.0);
        return text;
      }
      break;
    case kMetaTimeSignature:
      if (size >= 2) {
        std::snprintf(text, sizeof text, "Time sig  %d/%d", p[0], 1 << (p[1] & 7));
        return text;
      }
      break;
    case kMetaPort:
      if (size == 1) {
        std::snprintf(text, sizeof text, "Port      %d", p[0]);
        return text;
      }
      break;
    case kMetaText:
      return "Text      \"" + ReadableText(std::string(p, p + size)) + "\"";
    case kMetaTrackName:
      return "Track     \"" + ReadableText(std::string(p, p + size)) + "\"";
    case kMetaEndOfTrack:
      return "End of track";
    default:
      break;
  }
  std::snprintf(text, sizeof text, "Meta      type 0x%02X, ", e.metaType);
  return text + Counted(size, "byte");
}

}  // namespace

int DumpMidiCommand(const std::string& path, int limit) {
  std::vector<uint8_t> bytes;
  std::string error;
  MidiLayout file;
  if (!ReadWholeFile(path, bytes, error))
    return Fail(kExitBadInput, "cannot read " + path + ": " + error);
  if (!ReadMidiLayout(bytes, file, error)) return Fail(kExitBadInput, path + ": " + error);
  TempoMap tempo(file.division);
  MidiEventView e;
  for (MergedMidiEvents events(bytes, file); events.Next(e);) tempo.Add(e);

  Print("%s: format %d, %s, %s per quarter, %s\n", path.c_str(), file.format,
        Counted(file.tracks.size(), "track").c_str(), Counted(file.division, "tick").c_str(),
        Counted(file.events, "event").c_str());
  Print("  time (s)    tick  message\n");
  size_t shown = 0;
  uint8_t port = 0;
  for (MergedMidiEvents events(bytes, file); events.Next(e);) {
    if (limit >= 0 && shown >= static_cast<size_t>(limit)) {
      Print("  ... %u more\n", static_cast<unsigned>(file.events - shown));
      break;
    }
    std::string text;
    if (e.kind == MidiEvent::Kind::Meta) {
      if (e.metaType == kMetaPort && e.payloadSize == 1) port = e.payload[0];
      text = DescribeMeta(e);
    } else if (e.kind == MidiEvent::Kind::Sysex) {
      text = "SysEx     " + Counted(e.payloadSize, "byte");
    } else {
      text = DescribeMessage(e.status | e.data1 << 8 | e.data2 << 16 |
                             static_cast<uint32_t>(port) << 24);
    }
    Print("  %8.3f %7llu  %s\n", tempo.Seconds(e.tick), static_cast<unsigned long long>(e.tick),
          text.c_str());
    ++shown;
  }
  return kExitOk;
}
