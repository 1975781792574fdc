// Reads a Standard MIDI File of format 0 or 1: running status, meta and
// sysex events, unknown chunks skipped. Every length is checked against the
// bytes that are really there.
#pragma once

#include <string>
#include <vector>

#include "tools/midifile/midi_file.h"

// On failure returns false and says what is wrong and where (byte offset).
bool ReadMidiFile(const std::vector<uint8_t>& bytes, MidiFile& file, std::string& error);
