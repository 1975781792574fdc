// Which addresses the plug-in has left with a sustain pedal down: for every
// port, the channels whose last CC 64 from the plug-in was 64 or more. A
// channel that stops receiving the plug-in's controllers (a routing edited
// away, a load, a new channel or port) keeps whatever pedal it had; at a
// playback stop the plug-in lifts the ones it no longer holds itself.
//
// Written on whichever thread sends a CC 64 and read at a stop; every
// change is one atomic read-modify-write of one port's word, so no thread
// loses another's bits. Fixed storage: nothing is allocated.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "engine/realtime.h"
#include "engine/relaxed.h"

class SustainLedger {
 public:
  static constexpr int32_t kController = 64;
  static constexpr int32_t kPressed = 64;  // values from here up hold the pedal down

  // A CC 64 of this value went to these channels (bit c: channel c) of port.
  void Record(uint8_t port, uint16_t channels, int32_t value) ARTSW_REALTIME {
    if (value >= kPressed) {
      held_[port].FetchOr(channels);
    } else {
      held_[port].FetchAnd(static_cast<uint16_t>(~channels));
    }
  }

  // Calls lift(port, channel) for every address holding a pedal, except the
  // one given, and forgets them: the caller sends the release.
  template <typename Lift>
  void LiftAllBut(uint8_t keptPort, uint8_t keptChannel, Lift lift) ARTSW_REALTIME {
    for (int port = 0; port < kPorts; ++port) {
      uint16_t due = held_[port].load();
      if (port == keptPort) due &= static_cast<uint16_t>(~(1u << keptChannel));
      if (due == 0) continue;
      held_[port].FetchAnd(static_cast<uint16_t>(~due));
      for (uint32_t rest = due; rest != 0; rest &= rest - 1) {
        lift(static_cast<uint8_t>(port), static_cast<uint8_t>(std::countr_zero(rest)));
      }
    }
  }

 private:
  static constexpr int kPorts = 256;
  std::array<Relaxed<uint16_t>, kPorts> held_{};
};
