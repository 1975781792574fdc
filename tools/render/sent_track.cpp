#include "tools/render/sent_track.h"

#include <algorithm>

namespace {

bool IsNoteOff(uint32_t m) {
  return (m & 0xF0) == 0x80 || ((m & 0xF0) == 0x90 && ((m >> 16) & 0x7F) == 0);
}

}  // namespace

void SentTrack::Place(uint64_t tick, uint32_t message) {
  if (!leads_) {
    Write(tick, message);
    return;
  }
  Remember(tick, message);
  auto at = waiting_.end();
  while (at != waiting_.begin() && std::prev(at)->first > tick) --at;
  waiting_.insert(at, {tick, message});
}

void SentTrack::Remember(uint64_t tick, uint32_t message) {
  const int status = message & 0xF0, channel = message & 0x0F;
  const int data1 = (message >> 8) & 0x7F;
  auto later = [tick](uint64_t& last) { last = std::max(last, tick); };
  if (status == 0x90 && !IsNoteOff(message)) later(lastNoteOn_);
  if (IsNoteOff(message)) later(lastNoteOff_[channel][data1]);
  if (status == 0xB0) later(lastControl_[channel][data1]);
  if (status == 0xC0) later(lastProgram_[channel]);
  if (status == 0xE0) later(lastBend_[channel]);
}

uint64_t SentTrack::EarliestFor(uint32_t message) const {
  const int status = message & 0xF0, channel = message & 0x0F;
  const int data1 = (message >> 8) & 0x7F;
  uint64_t earliest = lastNoteOn_;
  if (status == 0x80 || status == 0x90) earliest = std::max(earliest, lastNoteOff_[channel][data1]);
  if (status == 0xB0) earliest = std::max(earliest, lastControl_[channel][data1]);
  if (status == 0xC0) earliest = std::max(earliest, lastProgram_[channel]);
  if (status == 0xE0) earliest = std::max(earliest, lastBend_[channel]);
  return earliest;
}

void SentTrack::Settle(uint64_t tick) {
  while (!waiting_.empty() && waiting_.front().first <= tick) {
    Write(waiting_.front().first, waiting_.front().second);
    waiting_.pop_front();
  }
}

void SentTrack::Write(uint64_t tick, uint32_t message) {
  const uint8_t status = message & 0xFF;
  const uint8_t port = static_cast<uint8_t>(message >> 24);
  if (port != port_) {
    // A port change is marked the way sequencers mark it: a port meta event.
    out_.Meta(tick, kMetaPort, &port, 1);
    port_ = port;
  }
  if (status < 0x80 || status >= 0xF0) return;  // not a channel message; nothing to record
  // A file cannot hold data bytes above 127 (a state made by hand can ask
  // for them); they are written with the top bit cleared, and counted.
  if (message & 0x00808000) ++clipped_;
  out_.Channel(tick, status, (message >> 8) & 0x7F, (message >> 16) & 0x7F);
}
