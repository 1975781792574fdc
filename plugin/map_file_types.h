// The file types of the panel's file dialogs, named as the map readers and
// writers name their formats. Apart from the map loader: the formats' names
// come with the map library's own settings model.
#pragma once

#include <vector>

#include "editor/map_loading_service.h"

// Every format a map is loaded from; extensions of one format share a type.
std::vector<MapFileType> MapLoadFileTypes();
// Every format a map is saved as, our JSON map first.
std::vector<MapFileType> MapSaveFileTypes();
