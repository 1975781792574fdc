#pragma once

#include "plugin/fruity_interface.h"

// The one static descriptor every instance points the host to.
extern const PluginDescriptor kPluginDescriptor;
extern const char kPluginName[];
