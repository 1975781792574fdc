#include "maps/map_file_types.h"

#include "maps/map_formats.h"

namespace {

const MapFileType kOurMap = {"Articulation map (JSON)", {".json"}};
const MapFileType kOurState = {"Plug-in state (.state)", {".state"}};

}  // namespace

std::vector<MapFileType> MapLoadTypes() {
  std::vector<MapFileType> types = {kOurMap, kOurState};
  for (const std::string& extension : ForeignMapExtensions()) {
    const std::string name = MapFormatName(FormatForExtension("map" + extension));
    if (types.back().name == name)
      types.back().extensions.push_back(extension);
    else
      types.push_back({name, {extension}});
  }
  return types;
}

std::vector<MapFileType> MapSaveTypes() {
  std::vector<MapFileType> types = {kOurMap};
  for (const MapFormat format : WrittenMapFormats())
    types.push_back({MapFormatName(format), {WrittenExtension(format)}});
  return types;
}
