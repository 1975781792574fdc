// The panel's map commands served by the instance's map loader: the
// loader's offers become the chooser's banks and pages, its reports the
// host's messages, and files are read and written through map_files.h.
//
// The fourth step of a dropped file's way to the slots (the whole way and
// the rule: maps/map_loading.h).
#pragma once

#include "editor/map_loading_service.h"
#include "maps/map_loader.h"

class PanelMapLoading final : public MapLoadingService {
 public:
  explicit PanelMapLoading(MapLoader& loader) : loader_(loader) {}
  PanelMapLoading(const PanelMapLoading&) = delete;
  PanelMapLoading& operator=(const PanelMapLoading&) = delete;

  bool InspectFile(const std::wstring& path, std::vector<MapBankOffer>& banks,
                   std::string& message) override;
  bool InspectText(const std::string& name, const std::string& text,
                   std::vector<MapBankOffer>& banks, std::string& message) override;
  bool Load(const MapPick& pick, std::string& message) override;
  bool CanUndo() const override { return loader_.CanUndo(); }
  bool Undo(std::string& message) override;
  bool MapText(std::string& text, std::string& message) override;
  bool SaveToFile(const std::wstring& path, std::string& message) override;
  // The library built in (maps/factory_library.h).
  std::vector<FactoryMenuName> FactoryMaps() const override;
  bool InspectFactoryMap(size_t index, std::vector<MapBankOffer>& banks,
                         std::string& message) override;
  std::vector<MapFileType> LoadTypes() const override;
  std::vector<MapFileType> SaveTypes() const override;

 private:
  // Keeps what the bytes offer for Load, and lists it as the chooser's.
  bool Inspect(const std::string& name, const std::vector<uint8_t>& bytes,
               std::vector<MapBankOffer>& banks, std::string& message);

  MapLoader& loader_;
  MapOffer offer_;
  bool inspected_ = false;
};
