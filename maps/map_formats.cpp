#include "maps/map_formats.h"

#include <string_view>

#include "maps/articulation_map.h"
#include "maps/export_report.h"
#include "maps/file_names.h"
#include "maps/formats/articulation_plist.h"
#include "maps/formats/doricolib.h"
#include "maps/formats/expression_map.h"
#include "maps/formats/keyswitch_list.h"
#include "maps/formats/reabank.h"
#include "maps/formats/universal_definition.h"
#include "maps/map_import.h"
#include "maps/text_file.h"

namespace {

using Reader = bool (*)(const std::string& text, ForeignMap& map, ImportError& error);
using Writer = std::string (*)(const PluginSettings& settings, const std::string& title,
                               ExportLosses* losses);
using Shape = bool (*)(std::string_view text);

// One format of another program. A row is all a format needs here.
struct FormatRow {
  MapFormat format;
  const char* name;  // "Reaticulate bank (.reabank)"
  const char* noun;  // the format in reasons: "a .reabank"
  // The extensions of its files; the first is the one a written file takes.
  const char* extensions[2];
  // XML: its root element. Text: how its content shows it; `preciseShape`
  // when that is tried before the looser shapes of other formats.
  const char* xmlRoot;
  Shape shape;
  bool preciseShape;
  Reader read;
  Writer write;  // null: imported only
};

// The formats in the order messages and file dialogs list them. A format
// is added here (and in MapFormat), and nowhere else.
// clang-format off
const FormatRow kFormats[] = {
    // format, name, noun, extensions, XML root, text shape, precise, reader, writer
    {MapFormat::Reabank, "Reaticulate bank (.reabank)", "a .reabank", {".reabank"},
     nullptr, LooksLikeReabank, false, ReadReabank, WriteReabank},
    {MapFormat::ExpressionMap, "Cubase expression map (.expressionmap)", "an .expressionmap",
     {".expressionmap"}, "InstrumentMap", nullptr, false, ReadExpressionMap, WriteExpressionMap},
    {MapFormat::ArticulationPlist, "Logic articulation set (.plist)", "a .plist", {".plist"},
     "plist", nullptr, false, ReadArticulationPlist, WriteArticulationPlist},
    {MapFormat::DoricoLibrary, "Dorico library (.doricolib)", "a .doricolib", {".doricolib"},
     "kScoreLibrary", nullptr, false, ReadDoricoLibrary, nullptr},
    {MapFormat::UniversalDefinition, "Universal Definition (.yaml)", "a .yaml", {".yaml", ".yml"},
     nullptr, LooksLikeUniversalDefinition, true, ReadUniversalDefinition, nullptr},
    {MapFormat::KeySwitchList, "Studio One sound variation list (.keyswitch)", "a .keyswitch",
     {".keyswitch"}, "Music.KeySwitchList", nullptr, false, ReadKeySwitchList, WriteKeySwitchList},
};
// clang-format on

const FormatRow* RowOf(MapFormat format) {
  for (const FormatRow& row : kFormats)
    if (row.format == format) return &row;
  return nullptr;
}

const FormatRow* RowOfExtension(const std::string& extension) {
  for (const FormatRow& row : kFormats)
    for (const char* known : row.extensions)
      if (known && extension == known) return &row;
  return nullptr;
}

// The name of the first element, past the declaration, comments and a
// doctype; empty when the text ends first.
std::string RootElement(std::string_view xml) {
  size_t i = 0;
  while (true) {
    i = xml.find('<', i);
    if (i == std::string_view::npos || i + 1 >= xml.size()) return "";
    const std::string_view rest = xml.substr(i + 1);
    if (rest[0] == '?' || rest[0] == '!') {
      const std::string_view close = rest.substr(0, 3) == "!--" ? "-->" : ">";
      const size_t end = xml.find(close, i + 1);
      if (end == std::string_view::npos) return "";
      i = end + close.size();
      continue;
    }
    size_t end = 0;
    while (end < rest.size() && rest[end] != '>' && rest[end] != '/' && rest[end] != ' ' &&
           rest[end] != '\t' && rest[end] != '\r' && rest[end] != '\n')
      ++end;
    return std::string(rest.substr(0, end));
  }
}

bool StartsAsXml(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && text[first] == '<';
}

std::string RootElementOf(std::string_view text) {
  return StartsAsXml(text) ? RootElement(text) : "";
}

bool Refuse(ImportError& error, std::string where, std::string message) {
  error = {std::move(where), std::move(message)};
  return false;
}

}  // namespace

const char kBinaryPropertyListProblem[] =
    "a binary property list; save the articulation set as an XML property list and import that";

std::string XmlRootElement(std::string_view text) { return RootElementOf(text); }

const char* MapFormatName(MapFormat format) {
  const FormatRow* row = RowOf(format);
  return row ? row->name : "unknown format";
}

MapFormat DetectMapFormat(const std::string& fileName, std::string_view text) {
  const FormatRow* hint = RowOfExtension(LowerExtension(fileName));
  if (StartsAsXml(text)) {
    const std::string root = RootElement(text);
    for (const FormatRow& row : kFormats)
      if (row.xmlRoot && root == row.xmlRoot) return row.format;
    // Cut off before its root element: the extension says which XML reader
    // should report it.
    return root.empty() && hint && hint->xmlRoot ? hint->format : MapFormat::Unknown;
  }
  for (const bool precise : {true, false})
    for (const FormatRow& row : kFormats)
      if (row.shape && row.preciseShape == precise && row.shape(text)) return row.format;
  // Text of no format's shape: a text format's file is reported by its own
  // reader, which says what it lacks.
  return hint && hint->shape ? hint->format : MapFormat::Unknown;
}

MapFormat DetectMapFormat(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  std::string text, error;
  if (!TextInUtf8(bytes, text, error)) return MapFormat::Unknown;
  return DetectMapFormat(fileName, text);
}

bool ReadForeignMapText(MapFormat format, const std::string& text, ForeignMap& map,
                        ImportError& error) {
  const FormatRow* row = RowOf(format);
  if (row) return row->read(text, map, error);
  const std::string root = RootElementOf(text);
  if (!root.empty())
    return Refuse(error, "<" + root + ">",
                  "XML of no map format known here (its root element is <" + root + ">; " +
                      "the formats read are " + ForeignMapExtensionList() + ")");
  return Refuse(
      error, "",
      "not a map format known here (the formats read are " + ForeignMapExtensionList() + ")");
}

bool ReadForeignMap(const std::string& fileName, const std::vector<uint8_t>& bytes, ForeignMap& map,
                    ImportError& error) {
  if (IsBinaryPropertyList(bytes)) return Refuse(error, "", kBinaryPropertyListProblem);
  std::string text, problem;
  if (!TextInUtf8(bytes, text, problem)) return Refuse(error, "", problem);
  return ReadForeignMapText(DetectMapFormat(fileName, text), text, map, error);
}

bool IsBinaryPropertyList(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= 6 &&
         std::string_view(reinterpret_cast<const char*>(bytes.data()), 6) == "bplist";
}

MapFormat FormatForExtension(const std::string& fileName) {
  const FormatRow* row = RowOfExtension(LowerExtension(fileName));
  return row ? row->format : MapFormat::Unknown;
}

std::vector<std::string> ForeignMapExtensions() {
  std::vector<std::string> extensions;
  for (const FormatRow& row : kFormats)
    for (const char* extension : row.extensions)
      if (extension) extensions.push_back(extension);
  return extensions;
}

std::string ForeignMapExtensionList() {
  std::string list;
  for (const FormatRow& row : kFormats)
    list += (list.empty() ? "" : ", ") + std::string(row.extensions[0]);
  return list;
}

std::vector<MapFormat> WrittenMapFormats() {
  std::vector<MapFormat> formats;
  for (const FormatRow& row : kFormats)
    if (row.write) formats.push_back(row.format);
  return formats;
}

const char* WrittenExtension(MapFormat format) {
  const FormatRow* row = RowOf(format);
  return row && row->write ? row->extensions[0] : "";
}

std::string WrittenExtensionList() {
  std::vector<std::string> written;
  for (const FormatRow& row : kFormats)
    if (row.write) written.push_back(row.extensions[0]);
  std::string text;
  for (size_t i = 0; i < written.size(); ++i)
    text += (i == 0 ? "" : i + 1 == written.size() ? " or " : ", ") + written[i];
  return text;
}

bool ExportForeignMap(const std::string& outName, const PluginSettings& settings, std::string& text,
                      std::vector<std::string>& losses, std::vector<std::string>& notes,
                      std::string& error) {
  std::string unused;
  MapError problem;
  if (!FormatArticulationMap(settings, unused, problem)) {
    error = problem.field + ": " + problem.message;
    return false;
  }
  const FormatRow* row = RowOf(FormatForExtension(outName));
  if (!row) {
    error = "the output must end in " + WrittenExtensionList() + ", to choose the format";
    return false;
  }
  if (!row->write) {
    error = std::string(row->name) + " files are imported only; export writes " +
            WrittenExtensionList();
    return false;
  }
  ExportLosses lost;
  const std::string written = row->write(settings, FileStem(outName), &lost);

  // None of the formats written holds a per-articulation latency.
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const int latency = settings.slots[slot].additions.latencyMs;
    if (latency != 0)
      lost.push_back({slot, LatencyItem(latency),
                      std::string(row->noun) + " has no per-articulation latency"});
  }

  // What an import of the written file gives back, item by item.
  ForeignMap map;
  ImportError readError;
  ImportResult back;
  const std::vector<uint8_t> bytes(written.begin(), written.end());
  if (!ReadForeignMap(outName, bytes, map, readError) ||
      !ImportForeignMap(map, outName, {}, back, readError)) {
    error = "the written " + std::string(row->name) + " does not read back (" + readError.where +
            ": " + readError.message + "); nothing written";
    return false;
  }
  std::vector<std::string> warnings, shown;
  ReportExportLosses(settings, back.settings, lost, row->noun, warnings, shown);
  losses.clear();
  notes.clear();
  const std::string file = MapDisplayName(outName);
  for (const std::string& line : warnings) losses.push_back(file + ": " + line);
  for (const std::string& line : shown) notes.push_back(file + ": " + line);
  text = written;
  return true;
}
