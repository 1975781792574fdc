#include "plugin/map_file_types.h"

#include "maps/map_formats.h"
#include "maps/map_saving.h"

std::vector<MapFileType> MapLoadFileTypes() {
  std::vector<MapFileType> types;
  for (const std::string& extension : MapLoadExtensions()) {
    std::string name;
    if (extension == ".json")
      name = "Articulation map (JSON)";
    else if (extension == ".state")
      name = "Plug-in state (.state)";
    else
      name = MapFormatName(FormatForExtension("map" + extension));
    if (!types.empty() && types.back().name == name)
      types.back().extensions.push_back(extension);
    else
      types.push_back({name, {extension}});
  }
  return types;
}

std::vector<MapFileType> MapSaveFileTypes() {
  std::vector<MapFileType> types;
  for (const MapSaveFormat& format : MapSaveFormats())
    types.push_back({format.name, {format.extension}});
  return types;
}
