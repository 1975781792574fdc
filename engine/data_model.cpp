#include "engine/data_model.h"

void DataModel::ResetToDefaults() {
  if (freshInstance && output.preservePortChannel == 0) {
    output.port = 0;
    output.channel = 0;
  }
  pan = 0;
  volume = 0;
  output.ccGhosting = 0;
  output.midiExtend = 0;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    bank.iconId[slot] = kDefaultIcon;
    bank.keyswitch[slot] = kUnset;
    bank.uacc[slot] = kUnset;
    bank.modwheel[slot] = kUnset;
  }
  bank.name.ClearAll();
  additions.SetAll(SwitchWords(), SlotAdditionsArray{});
  controllers.value = {127, 127, 127, 127, 127, 0};
  currentSlot = 0;
  sent = SentCache{};
}

SlotSwitchArray DataModel::SwitchWords() const {
  SlotSwitchArray switches;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    switches[slot] = {bank.keyswitch[slot], bank.uacc[slot], bank.modwheel[slot]};
  }
  return switches;
}

void DataModel::TakeLoadedSettings(const DataModel& loaded) {
  // The names first: their copy is the one step that takes memory, and out
  // of memory it throws before anything has changed. Then the slots,
  // whole; the words the panel and a save read follow.
  bank.name = loaded.bank.name;
  additions.SetAll(loaded.SwitchWords(), loaded.additions.All());
  bank.keyswitch = loaded.bank.keyswitch;
  bank.uacc = loaded.bank.uacc;
  bank.modwheel = loaded.bank.modwheel;
  bank.iconId = loaded.bank.iconId;
  output = loaded.output;
  controllers = loaded.controllers;
  pan = loaded.pan;
  volume = loaded.volume;
  pageIndex = loaded.pageIndex;
  selectedSlot = loaded.selectedSlot;
  freshInstance = loaded.freshInstance;
  ForgetSentArticulation();
}

int DataModel::ControllerForParameter(int32_t parameter) {
  for (int i = 0; i < kControllerCount; ++i) {
    if (controllerCcNumbers[i] == static_cast<int64_t>(parameter) + 1) return i;
  }
  return -1;
}
