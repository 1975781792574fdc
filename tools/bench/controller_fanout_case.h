// A controller change in a bank whose slots play their notes on all sixteen
// channels: the plug-in sends the change to each of them. Timed through the
// DLL's table beside the same change in a bank that routes nothing (one
// message), each against a stand-in that makes exactly the SendMidi calls
// its change makes and nothing else.
#pragma once

#include "tools/plughost/plugin_library.h"

// Prints the figures; true when what the fan-out adds to a change costs at
// most twice the host calls it adds.
bool CompareControllerFanoutWithHostCalls(const PluginLibrary& library, int rounds, double seconds);
