// The plug-in's settings: sixteen articulation slots selected by note
// colour, the output address, the six performance controllers, pan and
// volume, the record of articulation messages last sent, and the editor view
// state saved with the settings. The engine, the state stream and the editor
// read and write the fields directly, each on its own thread: every word is
// a Relaxed word and the names guard themselves, so no access is a data race.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/relaxed.h"
#include "engine/slot_constants.h"
#include "engine/slot_additions_bank.h"
#include "engine/slot_names.h"

constexpr int kMaxNameLength = 255;
constexpr int32_t kNothingSent = 255;  // SentCache entry before anything was sent
constexpr int32_t kIconLimit = 127;    // icons a slot may choose, 0..127

// CC numbers of the six controllers; a controller's parameter index is its
// CC number minus one.
constexpr std::array<int32_t, kControllerCount> controllerCcNumbers = {1, 2, 11, 16, 21, 64};

// Pages of the editor panel.
enum Page : int32_t { kArticulationPage = 0, kControllerPage = 1, kSettingsPage = 2 };

using SlotWords = std::array<Relaxed<int32_t>, kSlotCount>;

struct ArticulationBank {
  SlotNames name;         // at most 255 bytes, no zero byte
  SlotWords iconId{};     // 0..127
  SlotWords keyswitch{};  // -1 or note 0..127
  SlotWords uacc{};       // -1 or 0..127, sent as CC 32
  SlotWords modwheel{};   // -1 or 0..127, sent as CC 1
};
static_assert(kNameSlots == kSlotCount);

struct OutputSettings {
  Relaxed<int32_t> channel = 0;     // 0-based MIDI channel; its low four bits are used
  Relaxed<int32_t> port = 0;        // output port; its low eight bits are used
  Relaxed<int32_t> ccGhosting = 0;  // non-zero: controller broadcasts and pan/volume silenced
  Relaxed<int32_t> midiExtend = 0;  // kept in the state stream, always 0
  Relaxed<int32_t> preservePortChannel = 0;  // later loads keep channel and port
};

struct ControllerBank {
  std::array<Relaxed<int32_t>, kControllerCount> value{};  // paired with controllerCcNumbers
};

struct SentCache {
  Relaxed<int32_t> lastKeyswitch = kNothingSent;
  // A keyswitch counts as sent only at the velocity it went out with: some
  // libraries choose the articulation by the velocity of one key.
  Relaxed<int32_t> lastKeyswitchVelocity = kNothingSent;
  Relaxed<int32_t> lastUacc = kNothingSent;
  Relaxed<int32_t> lastModwheel = kNothingSent;
  Relaxed<int32_t> lastActionSlot = kNothingSent;  // the slot whose actions went out last
  // Channels (bit c: channel c, on the current port) that hold the current
  // value of every broadcast controller. Only a bank that routes notes to
  // channels of their own reads it: a channel missing here is sent them all
  // before a note plays on it.
  Relaxed<uint16_t> controllerChannels = 0;
};

struct DataModel {
  Relaxed<int32_t> pageIndex = kControllerPage;
  Relaxed<int32_t> selectedSlot = 0;
  OutputSettings output;
  Relaxed<uint8_t> freshInstance = 1;  // until the first state load
  ControllerBank controllers;
  Relaxed<uint8_t> pan = 0;
  Relaxed<uint8_t> volume = 0;
  ArticulationBank bank;
  SlotAdditionsBank additions;       // what slots send beyond their three fields
  Relaxed<int32_t> currentSlot = 0;  // slot of the latest note
  SentCache sent;

  DataModel() { ResetToDefaults(); }

  // Defaults for everything a state carries; keeps the view state,
  // preservePortChannel and freshInstance. Channel and port return to 0 only
  // on an instance that has not loaded a state and does not preserve them.
  // Sends and repaints nothing.
  void ResetToDefaults();

  // The slots' keyswitch, UACC and modwheel words as they stand now.
  SlotSwitchArray SwitchWords() const;

  // [main or editor thread] Makes the slots as the words hold them the ones
  // notes play, in one step (slot_additions_bank.h). Every change of a slot
  // publishes: the switch words so that notes hear them, a name or an icon
  // so that whoever shows the slots sees the bank's generation move.
  void PublishSlots() { additions.SetSwitches(SwitchWords()); }

  // [main or editor thread] Takes every setting `loaded` holds (a model a
  // state was loaded into aside), as a state load into this model would
  // leave it, with its sixteen slots published in one step: a note sounds
  // the slots as they were or as they are now, never a mixture or a
  // default in between. Forgets what was sent, as a state load does.
  void TakeLoadedSettings(const DataModel& loaded);

  // Forget what was sent, so the next note re-sends its slot's messages
  // (after a change of output address).
  void ForgetSentArticulation() {
    currentSlot = 0;
    sent = SentCache{};
  }

  // Controller values changed without being sent (a state load): no channel
  // holds them any longer.
  void ForgetSentControllers() { sent.controllerChannels = 0; }

  // Index of the controller whose CC number is parameter + 1, or -1.
  static int ControllerForParameter(int32_t parameter);
};
