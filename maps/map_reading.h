// Reading a map file: the one decision of what a file is and what it holds,
// for the panel (a drop, the file dialog, the clipboard) and every plughost
// command that takes settings alike. The whole load, of which this is the
// first step, is told in maps/map_loading.h.
//
// The content decides, never the name (the extension only settles what the
// content leaves open, map_formats.h):
// 1. An empty file is refused: "the file is empty".
// 2. A file larger than kMaxMapFileBytes is refused before it is parsed.
// 3. Four bytes of a version 1 to 5 first: our own state. A version-5 state
//    must decode whole; an older one must hold exactly its version's fields.
// 4. A binary property list is refused, saying how to save it instead.
// 5. The bytes become text (text_file.h, TextInUtf8): a UTF-8 byte order
//    mark is skipped, UTF-16 with a mark or recognisably without one is
//    converted to UTF-8; UTF-32 and broken UTF-16 are refused, saying so.
// 6. '{' first, after white space: our own map (JSON).
// 7. A format the table of map_formats.h recognises: that program's map,
//    read by its reader.
// 8. Anything else is refused with one message, which lists what a map
//    file may be and says how this one begins.
// Every refusal is a place (`where`, may be empty) and a message; callers
// put the file's name before them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "maps/foreign_map.h"
#include "maps/map_file_kind.h"
#include "maps/map_formats.h"
#include "maps/plugin_settings.h"

struct MapFileContent {
  MapFileKind kind = MapFileKind::ForeignMap;
  MapFormat format = MapFormat::Unknown;  // another program's map: its format
  PluginSettings settings;                // our map: what it holds
  // Our map: its settings as the state the plug-in would save; our state:
  // the file's own bytes (only the plug-in reads every version).
  std::vector<uint8_t> state;
  ForeignMap foreign;  // another program's map as its reader read it
};

// Reads the file. On failure `content` is unchanged and `problem` says
// where and why, without the file's name. `fileName` (a path or a name such
// as "the clipboard") is only the extension's hint.
bool ReadMapFile(const std::string& fileName, const std::vector<uint8_t>& bytes,
                 MapFileContent& content, ImportError& problem);

// "a map (JSON)", "a plug-in state", "a Reaticulate bank (.reabank)".
std::string MapFileKindName(const MapFileContent& content);

// "File: where: message", the way every refusal names its file.
std::string Located(const std::string& fileName, const ImportError& problem);
