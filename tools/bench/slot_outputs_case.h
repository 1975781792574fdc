// The note path with slots that send much: every slot has sixteen actions
// and plays its notes on two channels, and every note changes the slot, so
// each note sends its actions and two note-ons. Timed through the DLL's
// table against a stand-in that makes exactly the host calls such a note
// makes (the colour query and the same number of SendMidi calls) and
// nothing else: the plug-in's own cost per note shows as the ratio.
#pragma once

#include <string>

#include "tools/plughost/plugin_library.h"

// Prints the figures; true when the plug-in's note costs at most twice the
// host calls it makes.
bool CompareSlotOutputsWithHostCalls(const PluginLibrary& library, int rounds, double seconds);
