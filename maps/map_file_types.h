// The types of map files the panel's file dialogs offer, named as the
// readers and writers name their formats (the table of map_formats.h), so a
// format added there appears here by itself. Plain types, so the editor
// takes them as they are.
#pragma once

#include <string>
#include <vector>

// "Reaticulate bank (.reabank)", {".reabank"}.
struct MapFileType {
  std::string name;
  std::vector<std::string> extensions;  // the first is the one a save adds
};

// Our JSON map, our state, then every format read (one type per format,
// all of its extensions).
std::vector<MapFileType> MapLoadTypes();
// Our JSON map first (the default), then every format written.
std::vector<MapFileType> MapSaveTypes();
