#include "plugin/descriptor.h"

#include "engine/engine.h"

const char kPluginName[] = "Quindle Velmora";

// Capability bits 4, 6, 10, 14 and 21 for the host.
constexpr int32_t kCapabilityFlags = (1 << 4) | (1 << 6) | (1 << 10) | (1 << 14) | (1 << 21);
static_assert(kCapabilityFlags == 0x204450);

const PluginDescriptor kPluginDescriptor = {
    1,                 // interface version
    kPluginName,       // long name
    kPluginName,       // short name
    kCapabilityFlags,  // flags
    kParameterCount,   // parameters
    {0, 0, 0},         // further counts
    {},                // reserved
};
