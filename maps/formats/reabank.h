// Reaticulate banks (.reabank): plain text, one or more banks.
//
//   //! g="Quindle Velmora" n="strings"       attributes of the next line
//   Bank * * strings                           a bank (MSB, LSB, name)
//   //! i=legato o=note:24/cc:32,20/cc:1,96
//   20 Legato                                  an articulation: program, name
//
// Reading keeps everything the bank says, in the file's terms, for the
// import rules (map_import.h): outputs as events, attributes the plug-in has
// no place for as extras ("colour short (c=short)"), f=hidden as hidden.
// A bank with clone= gets, after its own, the visible articulations of the
// bank it names by id or by path g/n, anywhere in the file; when that bank
// is missing the cloning bank alone has a problem (ForeignBank::problem).
// Colours, display names, messages and list spacers are notes, never sent.
// A bank's g= is its group (--bank GROUP/NAME); an articulation's g= other
// than 1 is a remark (it becomes a slot like the rest), and a warning only
// for a held note, which the plug-in releases at any switch.
// Refused, with the line: a program line outside a bank, a
// program number or value outside its range, a program number twice in a
// bank, an output that does not parse, a bank without articulations, a file
// without a Bank line.
#pragma once

#include <string>
#include <string_view>

#include "maps/foreign_map.h"
#include "maps/formats/export_items.h"
#include "maps/plugin_settings.h"

bool ReadReabank(const std::string& text, ForeignMap& map, ImportError& error);

// Whether the text shows a bank's lines: a Bank line or a //! attribute
// line, each after optional blanks.
bool LooksLikeReabank(std::string_view text);

// One bank titled `title` holding the slots up to the last one in use, in
// slot order, so that importing it gives the same slots back. A slot's
// program number is its UACC value where that is free, else the lowest free
// number; an empty slot before a used one is written as a bare program line.
// Every slot in use gets its icon by name (i=) and its keyswitch, UACC and
// modwheel as outputs (o=note:N/cc:32,V/cc:1,V); a slot with nothing to send
// has no o=. Line breaks in names become spaces. What the bank cannot hold
// (outputs past Reaticulate's 16, notes layered on the track's channel with
// no output sent there) is named in `losses`.
std::string WriteReabank(const PluginSettings& settings, const std::string& title,
                         ExportLosses* losses = nullptr);
