// The plug-in's map files on disk: reading a file the composer dropped or
// chose, and writing a map whole or not at all. Paths are wide (what file
// dialogs and drops give); messages name a file by the last part of its
// path, in UTF-8. Called on the editor's thread or a dialog's worker thread;
// never on the audio thread. Nothing here throws.
//
// The file's bytes on a dropped file's way to the slots (the whole way and
// the rule: maps/map_loading.h); a file too large is refused here before it
// is read, in the one reading's words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/map_loader.h"

// Reads a whole file for InspectMapFile. Refuses one larger than
// kMaxMapFileBytes without reading it. On failure the summary names the
// file and the system's reason.
bool ReadMapFileBytes(const std::wstring& path, std::vector<uint8_t>& bytes,
                      MapLoadReport& report) noexcept;

// Reads and loads a file that offers one thing to load (MapLoader::LoadFile).
bool LoadMapFromFile(MapLoader& loader, const std::wstring& path, MapLoadReport& report) noexcept;

// Writes the bytes to a file beside the target and moves it over the target
// in one step: the target holds either its old content or all of the new.
// Whether to replace an existing file is asked by the dialog, not here.
bool WriteFileWhole(const std::wstring& path, const std::string& content,
                    std::string& error) noexcept;

// "Save map as...": the current map in the format the path's extension
// names (our JSON map for ".json"), written whole. The report carries the
// export's item-by-item warnings.
bool SaveMapToFile(MapLoader& loader, const std::wstring& path, MapLoadReport& report) noexcept;
