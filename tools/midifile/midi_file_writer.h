// Writes a Standard MIDI File: the header, then each track in its order with
// delta times and full status bytes, ended with End of Track.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/midifile/midi_file.h"

// Each track's events must be in tick order.
std::vector<uint8_t> WriteMidiFile(const MidiFile& file);
