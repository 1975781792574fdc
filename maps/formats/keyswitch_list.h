// Studio One's key switch lists (.keyswitch): XML with the root
// <Music.KeySwitchList name="..">, one <Attributes> element per
// articulation, in order. Two generations share the file:
// - Key Switches: `name` and `pitch`, the keyswitch note sent;
// - Sound Variations: also `color`, `id` and `activation`, what is sent, as
//   tokens joined by '|': noteN or noteN.V (a note-on, velocity V, else 127;
//   the note-off implied), offN or offN.V (a note-off), ccN.V (control
//   change N to V), pcN (program change N), bcN.V (bank select: control
//   change N to V). With an activation, `pitch` is only the key a player
//   presses to choose the articulation.
//
// What the reader keeps besides name and outputs:
// - outputs: the pitch as a note, or the activation's tokens in order; a
//   note-off as Other, which no slot can send. An unknown token refuses the
//   file, naming the token.
// - iconName: the notation symbol the score block gives the articulation,
//   where it is one of ours under another name (stac, slur, pizz, trm3,
//   sord).
// - extras: `momentary`.
// - notes: the input key (pitch beside an activation), the colour, a score
//   symbol that names no icon of ours.
// - hidden: a folder (folder="1"), a group of articulations and none itself;
//   articulations inside it are read as any others.
// The score block (<Attributes x:id="score">, notation symbols pointing at
// articulations by id) is no articulation.
#pragma once

#include <string>

#include "maps/foreign_map.h"
#include "maps/formats/export_items.h"
#include "maps/plugin_settings.h"

bool ReadKeySwitchList(const std::string& text, ForeignMap& map, ImportError& error);

// A list named `title` with one Sound Variation per slot up to the last one
// in use: its name, `pitch` the keyswitch (0 for none), a colour, `id` its
// slot from 0 and an activation of the keyswitch at its velocity, UACC,
// modwheel and actions in that order (empty for an empty slot). What a list
// cannot hold (pitch bends, held notes, channels, note channels, a
// transpose, icons) is named in `losses`.
std::string WriteKeySwitchList(const PluginSettings& settings, const std::string& title,
                               ExportLosses* losses = nullptr);
