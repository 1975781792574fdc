// Steps through the events of one MTrk chunk in place, one at a time:
// running status, meta and sysex events, every length checked against the
// bytes that are really there. Nothing is copied or allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/midifile/midi_file.h"

class MidiTrackCursor {
 public:
  MidiTrackCursor() = default;
  // The chunk body is file[begin, end); `index` counts tracks from 0. The
  // file must outlive the cursor and the views it gives.
  MidiTrackCursor(const uint8_t* file, size_t begin, size_t end, int index)
      : file_(file), at_(begin), end_(end), index_(index) {}

  bool AtEnd() const { return at_ >= end_; }
  // The next event. False at a fault, with `error` saying what is wrong and
  // at which byte of the file; the cursor then stays where it was.
  bool Next(MidiEventView& e, std::string& error);

 private:
  bool Number(size_t& at, uint32_t& value, const char*& fault) const;

  const uint8_t* file_ = nullptr;
  size_t at_ = 0;
  size_t end_ = 0;
  int index_ = 0;
  uint64_t tick_ = 0;
  uint8_t running_ = 0;  // 0: no running status in force
};
