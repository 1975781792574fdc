// Expression maps of the Cubase/Nuendo family (.expressionmap): an XML
// serialisation of objects. One map per file; each sound slot becomes an
// articulation in slot order.
//
// What the reader keeps besides name and outputs:
// - outputs: the slot's output events in send order (note-on, CC, program
//   change, pitch bend; any other status as Other). The note changer's
//   channel, when not the track's own (-1), comes first as a Routing output.
// - iconName: the text of the slot's first articulation visual when it is
//   one of our icon names (as our earlier exports wrote it), else none. The
//   numbers of symbol visuals are the program's own glyph table, whose
//   meaning is not known, so they are never taken for an icon.
// - extras: note changer settings other than the neutral ones (transpose,
//   velocity and length factors, velocity and pitch ranges).
// - notes: the remote key (or other remote trigger), articulation visuals
//   in groups 2 to 4 and any visual after the first.
#pragma once

#include <string>

#include "maps/foreign_map.h"
#include "maps/formats/export_items.h"
#include "maps/plugin_settings.h"

bool ReadExpressionMap(const std::string& text, ForeignMap& map, ImportError& error);

// A map named `title` with one sound slot per slot up to the last one in
// use, laid out as the program's own files are; each sends the keyswitch,
// UACC and modwheel messages in that order and carries one text visual
// holding the slot's name (the icon has no place here). What the map cannot
// hold (pitch bends, held notes, notes on several channels, a message on the
// plug-in's channel in a slot of its own channel, icons) is named in
// `losses`.
std::string WriteExpressionMap(const PluginSettings& settings, const std::string& title,
                               ExportLosses* losses = nullptr);
