// The host side of the hostile-host runs: a PluginHost that answers colour
// queries with whatever the driver planned (in range or not), remembers which
// voices the plug-in asked it to end, and checks every MIDI message as an
// instrument would receive it: a status byte, data bytes of at most 127,
// and which keys are down on every port and channel. It can record what
// one call sent, to tell which keys a voice sounds.
//
// The plug-in may call it from several threads at once (the threaded run),
// so every callback takes a short lock of the host's own.
#pragma once

#include <atomic>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "plugin/fruity_interface.h"

class HostileHost : public PluginHost {
 public:
  explicit HostileHost(int32_t tag)
      : tag_(tag),
        keyDown_(256 * 16 * 128, 0),
        controls_(256 * 16 * 128, -1),
        articulation_(256 * 16 * 128, 0) {}

  // Marks the CCs of these numbers that arrive until the next call as sent
  // to switch an articulation: a CC a slot sends is no performance value.
  // Any later message of that CC on its channel clears the mark.
  void WatchArticulation() {
    Lock lock(busy_);
    watched_.clear();
    watching_ = true;
  }
  void MarkArticulation(const std::bitset<128>& numbers) {
    Lock lock(busy_);
    for (size_t at : watched_) {
      if (numbers[at & 127]) articulation_[at] = 1;
    }
    watching_ = false;
  }
  bool IsArticulation(unsigned port, unsigned channel, unsigned cc) const {
    Lock lock(busy_);
    return articulation_[Address(port, channel, cc)] != 0;
  }

  // The value of a CC last received on a port and channel (0-based), -1
  // before any.
  int ControlValue(unsigned port, unsigned channel, unsigned cc) const {
    Lock lock(busy_);
    return controls_[Address(port, channel, cc)];
  }

  // Records every message sent until TakeRecorded: what one call sent.
  void Record() {
    Lock lock(busy_);
    recorded_.clear();
    recording_ = true;
  }
  std::vector<uint32_t> TakeRecorded() {
    Lock lock(busy_);
    recording_ = false;
    std::vector<uint32_t> messages;
    messages.swap(recorded_);
    return messages;
  }
  // Whether a key is down at an address (port << 11 | channel << 7 | note).
  bool IsDown(uint32_t address) const {
    Lock lock(busy_);
    return keyDown_[address & 0x7FFFF] != 0;
  }

  // What QueryVoice answers next.
  void PlanColour(int32_t colour) { colour_.store(colour, std::memory_order_relaxed); }

  // Tags the plug-in asked to end since the last call, in order.
  std::vector<int32_t> TakeEnded() {
    Lock lock(busy_);
    std::vector<int32_t> tags;
    tags.swap(ended_);
    return tags;
  }

  // The first fault seen, or empty.
  std::string Fault() const {
    Lock lock(busy_);
    return fault_;
  }
  void SetFault(const std::string& fault) {
    Lock lock(busy_);
    if (fault_.empty()) fault_ = fault;
  }

  // A key left down, as "port P channel C note N", or empty when none is.
  std::string SoundingKey() const {
    Lock lock(busy_);
    for (size_t i = 0; i < keyDown_.size(); ++i) {
      if (!keyDown_[i]) continue;
      char text[64];
      std::snprintf(text, sizeof text, "port %u channel %u note %u", unsigned(i >> 11),
                    unsigned((i >> 7) & 15) + 1, unsigned(i & 127));
      return text;
    }
    return {};
  }

  uint64_t MessageCount() const { return messages_.load(std::memory_order_relaxed); }

  intptr_t PLUG_CALL HostDispatch(int32_t sender, int32_t, int32_t, intptr_t) override {
    CheckSender(sender, "HostDispatch");
    return 0;
  }
  void PLUG_CALL NotifyParamChanged(int32_t sender, int32_t, int32_t) override {
    CheckSender(sender, "NotifyParamChanged");
  }
  void PLUG_CALL ShowHint(int32_t sender, const char* text) override {
    CheckSender(sender, "ShowHint");
    if (text == nullptr) SetFault("ShowHint with no text");
  }
  void PLUG_CALL EndVoice(int32_t hostVoiceTag, int32_t) override {
    Lock lock(busy_);
    ended_.push_back(hostVoiceTag);
  }
  int32_t PLUG_CALL QueryVoice(int32_t, int32_t, int32_t, int32_t) override {
    return colour_.load(std::memory_order_relaxed);
  }
  void PLUG_CALL SendMidi(int32_t sender, uint32_t message) override {
    CheckSender(sender, "SendMidi");
    messages_.fetch_add(1, std::memory_order_relaxed);
    const unsigned status = message & 0xFF;
    const unsigned data1 = (message >> 8) & 0xFF;
    const unsigned data2 = (message >> 16) & 0xFF;
    const unsigned port = message >> 24;
    char text[96];
    if (status < 0x80 || status >= 0xF0 || data1 > 127 || data2 > 127) {
      std::snprintf(text, sizeof text, "bad MIDI message %02X %02X %02X (port %u)", status, data1,
                    data2, port);
      SetFault(text);
      return;
    }
    const unsigned kind = status & 0xF0;
    if (recording_) {
      Lock lock(busy_);
      recorded_.push_back(message);
    }
    if (kind == 0xB0) {
      Lock lock(busy_);
      const size_t at = Address(port, status & 15, data1);
      controls_[at] = static_cast<int16_t>(data2);
      articulation_[at] = 0;
      if (watching_) watched_.push_back(at);
    }
    if (kind != 0x80 && kind != 0x90) return;
    Lock lock(busy_);
    keyDown_[Address(port, status & 15, data1)] = kind == 0x90 && data2 > 0;
  }
  int32_t PLUG_CALL PromptText(int32_t, int32_t, const char*, char*, int32_t*) override {
    return 0;
  }

 private:
  class Lock {
   public:
    explicit Lock(std::atomic_flag& flag) : flag_(flag) {
      while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    ~Lock() { flag_.clear(std::memory_order_release); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    std::atomic_flag& flag_;
  };

  static size_t Address(unsigned port, unsigned channel, unsigned number) {
    return (port & 255) << 11 | (channel & 15) << 7 | (number & 127);
  }

  void CheckSender(int32_t sender, const char* call) {
    if (sender == tag_) return;
    SetFault(std::string(call) + " with a sender that is not the host tag");
  }

  const int32_t tag_;
  std::atomic<int32_t> colour_{0};
  std::atomic<uint64_t> messages_{0};
  mutable std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
  std::vector<int32_t> ended_;
  std::vector<uint8_t> keyDown_;       // port << 11 | channel << 7 | note
  std::vector<int16_t> controls_;      // port << 11 | channel << 7 | controller
  std::vector<uint8_t> articulation_;  // the same addresses: last set by an articulation switch
  std::vector<size_t> watched_;
  bool watching_ = false;
  std::vector<uint32_t> recorded_;
  std::atomic<bool> recording_{false};
  std::string fault_;
};
