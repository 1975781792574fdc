// The articulation map: a JSON file a composer can read and write, holding
// everything the plug-in's state holds.
//
//   {
//     "channel": 1,                       1..16, as the panel shows it
//     "port": 0,                          0..255
//     "options": {"ccGhosting": false, "preservePortChannel": false},
//     "controllers": {"Dynamics": 127, "Breath": 127, "Expression": 127,
//                     "Speed": 127, "Vibrato": 127, "Hold": 0},
//     "page": "controllers",              articulation | controllers | settings
//     "selectedSlot": 1,                  1..16
//     "slots": [
//       {"slot": 1, "name": "Legato", "icon": 0, "keyswitch": "C0",
//        "uacc": 20, "modwheel": 96},
//       {"slot": 2, "name": "Matrix staccato", "keyswitch": "C0",
//        "keyswitchVelocity": 100,          1..127, default 127
//        "noteChannels": ["plug-in", 2],    where the notes play, default ["plug-in"]
//        "transpose": -12,                  -48..48 semitones, default 0
//        "actions": [                       sent in order when the slot comes in force
//          {"note": "D0", "velocity": 90},  tapped: note-on, then note-off
//          {"note": "E0", "held": true},    held until the next switch of slot
//          {"cc": 58, "value": 20, "channel": 2},
//          {"program": 5}, {"pitchBend": -4096}]}
//     ]
//   }
//
// Every field may be left out and then keeps the value of a new instance;
// slots not listed are empty. keyswitch, uacc and modwheel are absent when
// unset; a keyswitch is a note name (C-2 .. G8) or a number 0..127, a uacc
// a number 0..127 or a standard articulation name ("spiccato", uacc_names.h).
// Unknown or repeated fields are errors, so a typo never passes silently.
#pragma once

#include <string>

#include "maps/plugin_settings.h"

struct MapError {
  std::string field;    // e.g. "slots[2].uacc"; empty for a syntax error
  std::string message;  // what is wrong
};

// Parses and checks a whole map. On failure `settings` is unchanged.
bool ParseArticulationMap(const std::string& text, PluginSettings& settings, MapError& error);

// The canonical map text for settings (two-space indent, a final newline):
// all top-level fields, the slots that differ from an empty slot. Fails when
// a value lies outside what a map can express (a state made by hand can hold
// such values).
bool FormatArticulationMap(const PluginSettings& settings, std::string& text, MapError& error);
