// Other programs' map formats as files: which format a file holds, reading
// it with the right reader, and writing the plug-in's slots in a format
// chosen by the output's extension.
//
// Every format is one row of the table in map_formats.cpp (its name, its
// extensions, how its content shows it, its reader and its writer); a
// format is added there and in MapFormat, and everything here, the file
// dialogs' types and the messages that list the formats follow the table.
// Which kind of file a user's file is (ours or another program's, or none)
// is map_reading.h's one decision; the whole way of a file to the slots is
// told in map_loading.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

// "Reaticulate bank (.reabank)", ...; "unknown format" for Unknown.
const char* MapFormatName(MapFormat format);

// The format a file's text shows (TextInUtf8, text_file.h): the root
// element of XML, the top-level keys of a Universal Definition, the Bank
// and //! lines of a Reaticulate bank. The extension decides only what the
// content leaves open (a cut-off XML file, text of no format's shape with a
// text format's extension). Unknown when neither does.
MapFormat DetectMapFormat(const std::string& fileName, std::string_view text);
// The same for a file's bytes, decoded as TextInUtf8 decodes them.
MapFormat DetectMapFormat(const std::string& fileName, const std::vector<uint8_t>& bytes);

// The root element of XML text, past its declaration, comments and doctype;
// empty for text that is no XML or ends before one.
std::string XmlRootElement(std::string_view text);

// Reads text with the reader of `format`. Errors name the line or element.
bool ReadForeignMapText(MapFormat format, const std::string& text, ForeignMap& map,
                        ImportError& error);

// Decodes the bytes (TextInUtf8), detects the format and reads the file
// with its reader. A binary property list, text that does not decode and
// text of no known format get errors of their own.
bool ReadForeignMap(const std::string& fileName, const std::vector<uint8_t>& bytes, ForeignMap& map,
                    ImportError& error);

// A property list in Apple's binary form, which no reader here takes.
bool IsBinaryPropertyList(const std::vector<uint8_t>& bytes);
// Why such a file is refused, and how to save it instead.
extern const char kBinaryPropertyListProblem[];

// The format an output file name asks for (its extension, any case).
MapFormat FormatForExtension(const std::string& fileName);

// Every extension a reader takes, in table order: {".reabank", ...}.
std::vector<std::string> ForeignMapExtensions();
// The formats read, one extension each, for messages:
// ".reabank, .expressionmap, .plist, .doricolib, .yaml".
std::string ForeignMapExtensionList();

// The formats a map can be written in, in table order.
std::vector<MapFormat> WrittenMapFormats();
// The extension a written file of `format` takes: ".reabank"; empty for a
// format no writer has.
const char* WrittenExtension(MapFormat format);
// The written formats' extensions, for messages: ".reabank, .expressionmap or .plist".
std::string WrittenExtensionList();

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
