// One plug-in instance's core (engine, state, map loader) behind bytes only,
// for the map-loading tests: they work in the settings model of the map
// codecs, whose names the engine's data model shares, so the two never meet
// in one file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "maps/map_loading.h"

class LoadedInstance {
 public:
  LoadedInstance();
  ~LoadedInstance();

  // The loader's operations (maps/map_loader.h).
  bool Load(const MapOffer& offer, MapPick pick, MapLoadReport& report);
  bool LoadFile(const std::string& name, const std::vector<uint8_t>& bytes, MapLoadReport& report);
  bool CanUndo() const;
  bool Undo(MapLoadReport& report);
  bool MapJson(std::string& text, MapLoadReport& report);
  bool MapText(const std::string& outName, std::string& text, MapLoadReport& report);

  // The host's operations.
  std::vector<uint8_t> Save();
  void HostLoad(const std::vector<uint8_t>& bytes);
  bool Fresh() const;

  // Notes as the host plays them; the MIDI sent since the last look.
  intptr_t NoteOn(int key, int colour);
  void Release(intptr_t voice);
  void Kill(intptr_t voice);
  std::vector<uint32_t> TakeMidi();

 private:
  struct Core;
  std::unique_ptr<Core> core_;
};
