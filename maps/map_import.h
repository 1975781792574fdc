// The import rules: how the articulations chosen of another program's map
// (bank_choice.h) become the plug-in's slots, once a reader has read the
// file (foreign_map.h); the last step of a file's way to the slots, for the
// panel and for plughost alike (map_loading.h tells the whole way). The
// same for every format:
//
// - The name becomes Windows-1252 text of at most 255 characters; characters
//   it cannot hold and control characters become '?', a longer name is cut,
//   each with a warning.
// - keyswitch: the first tapped note output on the default channel (one
//   with no channel of its own), its velocity the keyswitch velocity; uacc
//   and modwheel: the first CC 32 and CC 1 values on the default channel.
//   A note output of velocity 0 counts as velocity 127 (a note-on of
//   velocity 0 would be a note-off).
// - Every other output becomes an action, in file order, with its channel;
//   beyond 32 actions each gets a warning. A pitch bend -8192..8191 is sent
//   as that value plus 8192.
// - Note channels: the channel of every output that routes (the plug-in's
//   for one without a channel); with none, the plug-in's channel.
// - transpose: the articulation's, clamped to -48..48 with a warning.
// - icon: the format's icon name if it is one of ours (0..127), else the
//   words of the name, else the plain note.
// - Everything else the articulation sends or sets that changes what the
//   instrument receives and cannot be kept gets one warning line, naming the
//   slot of the written map and the articulation's number in the file:
//   "<file>: slot 1 "<name>" (articulation 17 in the file, <where>): dropped
//   <what>". What never reaches the instrument (names changed to fit, colours,
//   remote or input keys, visuals, icons without a match, hidden
//   articulations left out) gets a note line of the same form instead; so
//   does what the import took another way (a Reaticulate group: a slot like
//   the others).
#pragma once

#include <string>
#include <vector>

#include "maps/bank_choice.h"
#include "maps/foreign_map.h"
#include "maps/plugin_settings.h"

struct ImportResult {
  PluginSettings settings;
  std::vector<std::string> warnings;  // one line each, naming the file
  std::vector<std::string> notes;     // the same, for what is never sent
  std::vector<size_t> taken;          // the bank's numbers (from 1) of slots 1.., in order
  std::vector<LeftOutArticulation> leftOut;
};

// Applies the import rules to a map a reader filled. Fails (leaving `result`
// unchanged) when the bank or a pick cannot be found or fits several, the
// bank has a problem, a pick is too long or has an empty entry, no
// articulation is left, or a value lies outside 0..127.
bool ImportForeignMap(const ForeignMap& map, const std::string& fileName,
                      const ImportChoice& choice, ImportResult& result, ImportError& error);
