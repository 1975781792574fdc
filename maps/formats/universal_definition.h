// Universal Definition files (.yaml): a converter's source format, one
// sample-library patch a file.
//
//   FormatVersion: 0
//   ManufacturerName: Maker            (Id, Author, ProductName, PatchName)
//   ArticulationGroups:
//     - Name: Main                     one bank per group: independent choices
//       Articulations:
//         - Name: Legato               one articulation per entry, in order
//           MidiMessages:
//             - Status: 144            sent in this order
//               Data1: 24
//               Data2: 100
//
// The older schema has a FormatVersion such as "1.0.0", no groups, the
// entries in a top-level Articulations list (one bank named by PatchName)
// and an optional Channel per message. A file without FormatVersion is taken
// by its shape; any other FormatVersion is refused, naming it.
//
// Every scalar is read as text first (a name NO is the name "NO", not
// false); numbers are then whole decimal or 0x hex numbers.
//
// What the reader keeps besides name and outputs:
// - outputs: each message in order. Status 144 is a note (Data1 the key,
//   Data2 its velocity, which may choose the articulation), 176 a CC, 192 a
//   program change, 224 a pitch bend (Data1 low, Data2 high 7 bits); any
//   other status is Other. A message's channel is its Channel (0..15) when
//   it has one other than -1, else the status's low nibble when not 0, else
//   the track's: every real file writes nibble 0 for the track's channel.
//   Nothing routes the played notes: they stay on the plug-in's channel.
// - hidden, with a reason: an entry with no messages, which is the
//   converter's "Idle" placeholder or a heading, not an articulation.
// - extras: keys the format does not have, on an entry or a message.
// - notes: each Extra pair (the converter's hints for other programs); on
//   the bank, the group's and the file's Extra pairs, Description and keys
//   the format does not have.
// - bank library: ManufacturerName, ProductName, PatchName.
// Refused, with the line: damaged or cut YAML, more than one document, a
// missing Name, MidiMessages or Status, a note or CC without both data
// bytes, a number that is not whole, a data byte outside 0..127 where it is
// sent, a Status outside 128..255, a Channel outside -1..15, a key given
// twice, aliases that repeat the file's content too often. A group without
// entries is kept with a problem, so --list still numbers the groups as the
// file does.
#pragma once

#include <string>
#include <string_view>

#include "maps/foreign_map.h"

// Never throws: every failure, running out of memory included, is `error`.
bool ReadUniversalDefinition(const std::string& text, ForeignMap& map, ImportError& error);

// Whether the text shows a definition's top-level keys (FormatVersion,
// ArticulationGroups, ManufacturerName...) at the start of a line.
bool LooksLikeUniversalDefinition(std::string_view text);
