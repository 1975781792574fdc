// States read by the plug-in's own state reader in a scratch instance, for
// the map loads that must behave exactly as a host's load: the reader and
// the preserve rule are the plug-in's, not a second copy of them. Kept
// apart from the settings model (plugin_settings.h), whose names the
// engine's data model shares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct StateReplay {
  std::vector<uint8_t> saved;  // what the scratch instance saves afterwards
  bool ranShort = false;       // the last state read wanted more bytes than it had
  size_t unread = 0;           // bytes the last state read left unread
  // The instance before the last read: its output address and whether it
  // preserved it.
  int32_t channelBefore = 0, portBefore = 0;
  bool preservingBefore = false;
};

// Reads `first` into a new instance, then `later` (when non-null) into the
// same instance, as a host's later load.
StateReplay ReplayStates(const std::vector<uint8_t>& first, const std::vector<uint8_t>* later);
