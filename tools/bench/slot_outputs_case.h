// The note path with slots that send much: every slot has sixteen actions
// and plays its notes on two channels, and every note changes the slot, so
// each note sends its actions and two note-ons. Timed through the DLL's
// table beside slots with only a keyswitch and a UACC value, each against a
// stand-in that makes exactly the host calls its note makes (the colour
// query and the same number of SendMidi calls) and nothing else.
#pragma once

#include <string>

#include "tools/plughost/plugin_library.h"

// Prints the figures; true when what the additions add to a note costs at
// most twice the host calls they add.
bool CompareSlotOutputsWithHostCalls(const PluginLibrary& library, int rounds, double seconds);
