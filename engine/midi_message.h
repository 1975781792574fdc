// One MIDI message packed into 32 bits, as the host's SendMidi takes it:
// status in bits 0-7, data bytes in 8-15 and 16-23, output port in 24-31.
#pragma once

#include <cstdint>

using MidiMessage = uint32_t;

namespace midi {

constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kPitchBend = 0xE0;

// A data byte above 127 would be read as a status byte by every receiver and
// corrupt the stream that follows, so data is limited to 0..127 here, at the
// one place every outgoing message is packed.
constexpr uint8_t DataByte(int32_t value) {
  return static_cast<uint8_t>(value < 0 ? 0 : value > 127 ? 127 : value);
}

constexpr MidiMessage Pack(uint8_t status, int32_t data1, int32_t data2, int32_t port) {
  return static_cast<MidiMessage>(status) | static_cast<MidiMessage>(DataByte(data1)) << 8 |
         static_cast<MidiMessage>(DataByte(data2)) << 16 |
         static_cast<MidiMessage>(static_cast<uint8_t>(port)) << 24;
}

constexpr uint8_t Status(MidiMessage m) { return static_cast<uint8_t>(m); }
constexpr uint8_t Data1(MidiMessage m) { return static_cast<uint8_t>(m >> 8); }
constexpr uint8_t Data2(MidiMessage m) { return static_cast<uint8_t>(m >> 16); }
constexpr uint8_t Port(MidiMessage m) { return static_cast<uint8_t>(m >> 24); }

// The note-off that ends a note-on: same channel, key and port, velocity 0.
constexpr MidiMessage NoteOffFor(MidiMessage noteOn) { return (noteOn & 0xFF00FF0Fu) | kNoteOff; }

static_assert(Pack(0x99, 60, 100, 3) == 0x03643C99u, "bytes from least significant up");
static_assert(NoteOffFor(0x03643C99u) == 0x03003C89u, "the note-on's key, channel and port");

}  // namespace midi
