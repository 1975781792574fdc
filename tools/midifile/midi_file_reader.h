// Reads a Standard MIDI File of format 0 or 1: running status, meta and
// sysex events, unknown chunks skipped. Every length and count is checked
// against the bytes that are really there before anything is allocated for
// it, so a file that claims more than it holds costs nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/midifile/midi_file.h"

// Where the tracks of a checked file are, for reading their events in place.
struct MidiLayout {
  struct Track {
    size_t begin = 0, end = 0;  // the chunk body's bytes
    size_t events = 0;
  };
  int format = 0;
  uint16_t division = 480;
  std::vector<Track> tracks;
  size_t events = 0;  // in all tracks
};

// Checks the header, the chunks and every event. On failure returns false
// and says what is wrong and where (byte offset); `layout` is then unchanged.
bool ReadMidiLayout(const std::vector<uint8_t>& bytes, MidiLayout& layout, std::string& error);

// The whole file in memory. On failure returns false as above, `file` unchanged.
bool ReadMidiFile(const std::vector<uint8_t>& bytes, MidiFile& file, std::string& error);
