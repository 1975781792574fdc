#include "plugin/panel_map_loading.h"

#include "editor/wide_text.h"
#include "maps/factory_library.h"
#include "maps/map_saving.h"
#include "maps/map_file_types.h"
#include "plugin/map_files.h"

bool PanelMapLoading::Inspect(const std::string& name, const std::vector<uint8_t>& bytes,
                              std::vector<MapBankOffer>& banks, std::string& message) {
  MapOffer offer;
  MapLoadReport report;
  if (!MapLoader::Inspect(name, bytes, offer, report)) {
    message = report.Message();
    return false;
  }
  banks = offer.banks;
  offer_ = std::move(offer);
  inspected_ = true;
  return true;
}

bool PanelMapLoading::InspectFile(const std::wstring& path, std::vector<MapBankOffer>& banks,
                                  std::string& message) {
  std::vector<uint8_t> bytes;
  MapLoadReport report;
  if (!ReadMapFileBytes(path, bytes, report)) {
    message = report.Message();
    return false;
  }
  return Inspect(panel_text::Utf8(path), bytes, banks, message);
}

bool PanelMapLoading::InspectText(const std::string& name, const std::string& text,
                                  std::vector<MapBankOffer>& banks, std::string& message) {
  return Inspect(name, std::vector<uint8_t>(text.begin(), text.end()), banks, message);
}

std::vector<FactoryMenuName> PanelMapLoading::FactoryMaps() const {
  std::vector<FactoryMenuName> maps;
  try {
    const size_t count = FactoryMapCount();
    maps.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      const FactoryMapInfo info = FactoryMapAt(i);
      maps.push_back({info.maker, info.product, info.title, info.name, info.community});
    }
  } catch (...) {
    maps.clear();  // no memory for the names: the menu goes without them
  }
  return maps;
}

bool PanelMapLoading::InspectFactoryMap(size_t index, std::vector<MapBankOffer>& banks,
                                        std::string& message) {
  const FactoryMapInfo info = FactoryMapAt(index);
  const std::string name = info.name;
  std::string json, error;
  if (!FactoryMapText(index, json, error)) {
    message = "Not loaded: factory map " + std::to_string(index + 1) + ": " + error;
    return false;
  }
  MapOffer offer;
  MapLoadReport report;
  if (!InspectFactoryMapText(name, json, offer, report)) {
    message = report.Message();
    return false;
  }
  // The load's message says which collection the map is from, and its file.
  offer.fileName = std::string(info.community ? "community maps (untested)" : "factory maps") +
                   ", converted from " + info.source;
  banks = offer.banks;
  offer_ = std::move(offer);
  inspected_ = true;
  return true;
}

bool PanelMapLoading::Load(const MapPick& pick, std::string& message) {
  if (!inspected_) return false;
  MapLoadReport report;
  const bool loaded = loader_.Load(offer_, pick, report);
  message = report.Message();
  return loaded;
}

bool PanelMapLoading::Undo(std::string& message) {
  MapLoadReport report;
  const bool undone = loader_.UndoLoad(report);
  message = report.Message();
  return undone;
}

bool PanelMapLoading::MapText(std::string& text, std::string& message) {
  MapLoadReport report;
  const bool made = loader_.CurrentMapJson(text, report);
  message = report.Message();
  return made;
}

bool PanelMapLoading::SaveToFile(const std::wstring& path, std::string& message) {
  MapLoadReport report;
  const bool saved = SaveMapToFile(loader_, path, report);
  message = report.Message();
  return saved;
}

std::vector<MapFileType> PanelMapLoading::LoadTypes() const { return MapLoadTypes(); }

std::vector<MapFileType> PanelMapLoading::SaveTypes() const { return MapSaveTypes(); }
