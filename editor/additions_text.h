// A slot's additions as one line of text, for the articulation page: what
// the panel shows under the slot's values and what its text prompt edits.
// Items are separated by commas, in this order, each only when it differs
// from a slot without additions:
//
//   key velocity 100, channels plug-in+2, transpose -12, latency 250 ms,
//   D0 v90, E0 v100 held ch 2, CC 58 = 20 ch 2, program 5, bend -4096
//
// A note is a name from C-2 to G8 (C3 = 60) or "note N"; "v" sets its
// velocity (127 when left out), "held" keeps it down until the next switch
// of slot; "ch N" sends an action on channel N instead of the plug-in's.
// Parsing is case-insensitive and forgiving of blanks; an empty text is a
// slot without additions.
#pragma once

#include <cstddef>
#include <string>

#include "engine/slot_additions.h"

// The whole line, as above (empty for a slot without additions).
std::string FormatAdditionsText(const SlotAdditions& additions);

// A short summary for the panel: "3 actions, ch own+2, transpose -12, 250 ms";
// empty for a slot without additions.
std::string FormatAdditionsSummary(const SlotAdditions& additions);

// Reads at most size bytes of text (stopping at a zero byte). True with
// additions set when the whole text is understood and every value lies in
// its range; otherwise false, additions untouched, and error names the
// first item it could not read.
bool ParseAdditionsText(const char* text, size_t size, SlotAdditions& additions,
                        std::string& error);
