// Everything the plug-in keeps in its state, as plain values on the host's
// side. The host never shares the plug-in's own types: this is what a save
// contains, decoded, and what a map file describes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/slot_additions.h"
#include "engine/slot_constants.h"

// CC numbers of the six controllers, in the plug-in's bank order, and the
// names a map file uses for them.
constexpr std::array<int, kControllerCount> kControllerCcNumbers = {1, 2, 11, 16, 21, 64};
constexpr std::array<const char*, kControllerCount> kControllerNames = {
    "Dynamics", "Breath", "Expression", "Speed", "Vibrato", "Hold"};

// Editor pages as the state numbers them.
constexpr std::array<const char*, 3> kPageNames = {"articulation", "controllers", "settings"};

struct SlotSettings {
  std::string name;  // raw bytes as the plug-in stores them (Windows-1252 text)
  int32_t icon = kDefaultIcon;
  int32_t keyswitch = kUnset;
  int32_t uacc = kUnset;
  int32_t modwheel = kUnset;
  SlotAdditions additions;  // keyswitch velocity, note channels, transpose, actions

  bool IsDefault() const {
    return name.empty() && icon == kDefaultIcon && keyswitch == kUnset && uacc == kUnset &&
           modwheel == kUnset && additions.IsDefault();
  }
  bool operator==(const SlotSettings&) const = default;
};

using SlotSettingsArray = std::array<SlotSettings, kSlotCount>;

// Defaults are those of a new instance.
struct PluginSettings {
  int32_t channel = 0;  // 0-based; shown as 1..16
  int32_t port = 0;
  int32_t ccGhosting = 0;
  int32_t midiExtend = 0;  // the plug-in always keeps 0
  int32_t preservePortChannel = 0;
  SlotSettingsArray slots{};
  std::array<int32_t, kControllerCount> controllers = {127, 127, 127, 127, 127, 0};
  int32_t pageIndex = 1;
  int32_t selectedSlot = 0;

  bool operator==(const PluginSettings&) const = default;
  // The slots that hold anything: what messages count ("12 slots").
  int UsedSlots() const {
    int used = 0;
    for (const SlotSettings& slot : slots) used += slot.IsDefault() ? 0 : 1;
    return used;
  }
};

// The first field in which two settings differ, named as a map names it,
// with both values; empty when they are equal.
std::string FirstDifference(const PluginSettings& wanted, const PluginSettings& kept);
