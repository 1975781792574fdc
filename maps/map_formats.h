// Other programs' map formats as files: which format a file holds, reading
// it with the right reader, and writing the plug-in's slots in a format
// chosen by the output's extension.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/foreign_map.h"
#include "maps/plugin_settings.h"

enum class MapFormat {
  Unknown,
  Reabank,
  ExpressionMap,
  ArticulationPlist,
  DoricoLibrary,
  UniversalDefinition,
  KeySwitchList,
};

// "Reaticulate bank (.reabank)", ...
const char* MapFormatName(MapFormat format);

// The format a file's content shows: the root element of XML, the top-level
// keys of a Universal Definition, the Bank and //! lines of a Reaticulate
// bank. The extension decides only what the
// content leaves open (an empty or cut-off file). Unknown when neither does.
MapFormat DetectMapFormat(const std::string& fileName, const std::vector<uint8_t>& bytes);

// Detects the format and reads the file with its reader. Errors name the line
// or element; a file of no known format, a binary property list and UTF-16
// text get errors of their own.
bool ReadForeignMap(const std::string& fileName, const std::vector<uint8_t>& bytes, ForeignMap& map,
                    ImportError& error);

// A property list in Apple's binary form, which no reader here takes:
// ReadForeignMap says how to save it instead.
bool IsBinaryPropertyList(const std::vector<uint8_t>& bytes);

// The format an output file name asks for (its extension, any case).
MapFormat FormatForExtension(const std::string& fileName);

// Writes the settings' slots in the format `outName` asks for, titled by the
// file's base name. Fails for an extension no writer has and for settings a
// map cannot express. The written text is then imported again, and every
// item that would not come back unchanged gets a line of its own, naming the
// slot, the item and the reason its writer gave (export_report.h): in
// `losses` when it changes what the instrument receives, in `notes` when not
// (an icon a format cannot hold, a name that changes). The map's channel,
// port and options, which no format holds, are named alike.
bool ExportForeignMap(const std::string& outName, const PluginSettings& settings, std::string& text,
                      std::vector<std::string>& losses, std::vector<std::string>& notes,
                      std::string& error);
