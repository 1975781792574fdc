// What the panel's file dialogs and drops decide, as plain rules: the
// dialogs' lists of types, the extension a saved map's name gets, and what
// becomes of more files dropped at once. The window system's edge
// (panel_map_commands.cpp) only turns these into dialogs and messages.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "maps/map_file_types.h"

// One line of a file dialog's list of types: "Reaticulate bank (.reabank)"
// with its patterns "*.reabank".
struct DialogFileType {
  std::string description;
  std::string patterns;  // "*.yaml;*.yml"
};

// The load dialog's list: all maps first ("All maps (.json, .state, ...)"),
// then each type, then all files.
std::vector<DialogFileType> LoadDialogTypes(const std::vector<MapFileType>& types);
// The save dialog's list: each type, in order (the first is the default).
std::vector<DialogFileType> SaveDialogTypes(const std::vector<MapFileType>& types);

// The extension to add to a name chosen in the save dialog: none when the
// name's own extension is one a map is saved as; else the first extension
// of the type chosen (`typeIndex` from 1, as the dialog counts), or none
// when no type is chosen. `extension` is the name's, in lower case.
std::string ExtensionToAdd(const std::string& extension, size_t typeIndex,
                           const std::vector<MapFileType>& types);

// One map is loaded at a time: of files dropped at once the first is
// loaded, and the others are named in this message (empty for one file).
std::string FilesLeftAlone(size_t dropped);
