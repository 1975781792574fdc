// What the panel's map commands ask of the plug-in's map loader: read what
// a file or a text offers, load one choice of it, take the last load back,
// and give the map out as text or as a file. The panel only carries paths,
// text, choices and messages between the composer and this; every message
// is one the host can show as it stands.
//
// The third step of a dropped file's way to the slots (the whole way and the
// rule: maps/map_loading.h); plugin/panel_map_loading.h answers it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "editor/map_menu.h"
#include "maps/map_file_types.h"

class MapLoadingService {
 public:
  // [editor thread] Reads what a file, or text pasted (`name` names it in
  // messages), offers and keeps it for Load. False, with one message saying
  // why, when nothing in it can be loaded; nothing changes then.
  virtual bool InspectFile(const std::wstring& path, std::vector<MapBankOffer>& banks,
                           std::string& message) = 0;
  virtual bool InspectText(const std::string& name, const std::string& text,
                           std::vector<MapBankOffer>& banks, std::string& message) = 0;
  // [editor thread] Loads a choice of what was inspected last. The message
  // says what it did, or why it changed nothing.
  virtual bool Load(const MapPick& pick, std::string& message) = 0;

  // [editor thread] The slots as they were before the last load.
  virtual bool CanUndo() const = 0;
  virtual bool Undo(std::string& message) = 0;

  // [editor thread] The plug-in's map as our JSON text.
  virtual bool MapText(std::string& text, std::string& message) = 0;
  // [editor thread] Writes the map whole to `path`, in the format its
  // extension names; the message lists, item by item, what that format
  // cannot hold.
  virtual bool SaveToFile(const std::wstring& path, std::string& message) = 0;

  // The factory maps the plug-in ships, by the names the map menu lists
  // them under ("Factory maps" submenu); none while no library is given.
  // InspectFactoryMap reads one as InspectFile reads a file.
  virtual std::vector<FactoryMenuName> FactoryMaps() const { return {}; }
  virtual bool InspectFactoryMap(size_t index, std::vector<MapBankOffer>& banks,
                                 std::string& message) {
    (void)index, (void)banks;
    message = "No factory maps in this build";
    return false;
  }

  // The types a map is read from, and saved as (the default first).
  virtual std::vector<MapFileType> LoadTypes() const = 0;
  virtual std::vector<MapFileType> SaveTypes() const = 0;

 protected:
  ~MapLoadingService() = default;
};
