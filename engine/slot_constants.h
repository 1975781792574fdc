// The shape of the settings, shared by the plug-in's data model and the
// plain settings the map tools and plughost read and write.
#pragma once

#include <cstdint>

constexpr int kSlotCount = 16;
constexpr int kControllerCount = 6;
constexpr int32_t kUnset = -1;  // no keyswitch / UACC / modwheel for a slot
constexpr int32_t kDefaultIcon = 55;
