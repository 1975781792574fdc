// Articulation sets of Logic Pro (.plist): an XML property list. Binary
// property lists are refused with a message saying how to convert them.
//
// What the reader keeps besides name and outputs:
// - outputs: each Output dict in order (Output may be one dict or an array
//   of them); Status "Note On" in any letter case is a note, "Controller" a
//   CC, "Program Change" and "Pitch Bend" as named, any other as Other. A
//   missing Status is taken as Note On, the set's default type; a Note On
//   without ValueLow has velocity 127.
// - numbers: <integer>, or <real> holding a whole value (1002.0).
// - iconName: Symbol.
// - extras: Output keys other than Status, MB1 and ValueLow, articulation
//   keys other than ArticulationID, ID, Name, Symbol and Output.
// - notes: each input switch that names the articulation's ID.
// - bank notes: input switches for no articulation, a non-zero OctaveOffset
//   or InputMidiChannel (all on the input side, never sent).
#pragma once

#include <string>

#include "maps/foreign_map.h"
#include "maps/formats/export_items.h"
#include "maps/plugin_settings.h"

bool ReadArticulationPlist(const std::string& text, ForeignMap& map, ImportError& error);

// A set named `title` with one articulation per slot up to the last one in
// use: its name; as Symbol, Logic's own name for its icon where one fits
// (Staccato, Staccatissimo, Marcato, Tenuto, Pizzicato), else our icon's
// name; and the keyswitch, UACC and modwheel outputs in that order, as an
// array (empty for an empty slot). What a set cannot hold (more than three
// outputs, channels, held notes, note channels, a transpose) is named in
// `losses`.
std::string WriteArticulationPlist(const PluginSettings& settings, const std::string& title,
                                   ExportLosses* losses = nullptr);
