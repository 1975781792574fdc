#include "maps/map_formats.h"

#include <algorithm>
#include <string_view>

#include "maps/articulation_map.h"
#include "maps/counted.h"
#include "maps/export_report.h"
#include "maps/formats/articulation_plist.h"
#include "maps/formats/doricolib.h"
#include "maps/formats/expression_map.h"
#include "maps/formats/keyswitch_list.h"
#include "maps/formats/reabank.h"
#include "maps/formats/universal_definition.h"
#include "maps/map_import.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Extension(const std::string& path) {
  const std::string base = BaseName(path);
  const size_t dot = base.rfind('.');
  return dot == std::string::npos ? "" : Lower(base.substr(dot));
}

std::string Stem(const std::string& path) {
  const std::string base = BaseName(path);
  const size_t dot = base.rfind('.');
  return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

std::string_view WithoutBom(const std::vector<uint8_t>& bytes) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return text;
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

bool LooksLikeReabank(std::string_view text) {
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    const size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string_view::npos) {
      line.remove_prefix(first);
      if (line.substr(0, 3) == "//!" || line.substr(0, 5) == "Bank " ||
          line.substr(0, 5) == "Bank\t")
        return true;
    }
    start = end + 1;
  }
  return false;
}

MapFormat FormatOfRoot(const std::string& root) {
  if (root == "InstrumentMap") return MapFormat::ExpressionMap;
  if (root == "plist") return MapFormat::ArticulationPlist;
  if (root == "kScoreLibrary") return MapFormat::DoricoLibrary;
  if (root == "Music.KeySwitchList") return MapFormat::KeySwitchList;
  return MapFormat::Unknown;
}

MapFormat FormatOfExtension(const std::string& extension) {
  if (extension == ".reabank") return MapFormat::Reabank;
  if (extension == ".expressionmap") return MapFormat::ExpressionMap;
  if (extension == ".plist") return MapFormat::ArticulationPlist;
  if (extension == ".doricolib") return MapFormat::DoricoLibrary;
  if (extension == ".yaml" || extension == ".yml") return MapFormat::UniversalDefinition;
  if (extension == ".keyswitch") return MapFormat::KeySwitchList;
  return MapFormat::Unknown;
}

bool IsXmlFormat(MapFormat f) {
  return f == MapFormat::ExpressionMap || f == MapFormat::ArticulationPlist ||
         f == MapFormat::DoricoLibrary || f == MapFormat::KeySwitchList;
}

const char kKnownFormats[] =
    "plughost reads Reaticulate banks (.reabank), Cubase expression maps (.expressionmap), "
    "Logic articulation sets (.plist), Dorico libraries (.doricolib), Studio One sound variation "
    "lists (.keyswitch) and Universal Definitions (.yaml)";

// The format as reasons name it: "a .reabank".
std::string FormatNoun(MapFormat format) {
  switch (format) {
    case MapFormat::Reabank:
      return "a .reabank";
    case MapFormat::ExpressionMap:
      return "an .expressionmap";
    case MapFormat::ArticulationPlist:
      return "a .plist";
    case MapFormat::KeySwitchList:
      return "a .keyswitch";
    default:
      return "the format";
  }
}

bool Refuse(ImportError& error, std::string where, std::string message) {
  error = {std::move(where), std::move(message)};
  return false;
}

}  // namespace

const char* MapFormatName(MapFormat format) {
  switch (format) {
    case MapFormat::Reabank:
      return "Reaticulate bank (.reabank)";
    case MapFormat::ExpressionMap:
      return "Cubase expression map (.expressionmap)";
    case MapFormat::ArticulationPlist:
      return "Logic articulation set (.plist)";
    case MapFormat::DoricoLibrary:
      return "Dorico library (.doricolib)";
    case MapFormat::UniversalDefinition:
      return "Universal Definition (.yaml)";
    case MapFormat::KeySwitchList:
      return "Studio One sound variation list (.keyswitch)";
    case MapFormat::Unknown:
      break;
  }
  return "unknown format";
}

MapFormat DetectMapFormat(const std::string& fileName, const std::vector<uint8_t>& bytes) {
  const std::string_view text = WithoutBom(bytes);
  const MapFormat hint = FormatOfExtension(Extension(fileName));
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && text[first] == '<') {
    const MapFormat byRoot = FormatOfRoot(RootElement(text));
    if (byRoot != MapFormat::Unknown) return byRoot;
    // Cut off before its root element: the extension says which XML reader
    // should report it.
    return RootElement(text).empty() && IsXmlFormat(hint) ? hint : MapFormat::Unknown;
  }
  if (LooksLikeUniversalDefinition(text)) return MapFormat::UniversalDefinition;
  if (LooksLikeReabank(text)) return MapFormat::Reabank;
  // Text of neither shape: a .reabank or .yaml file is reported by its own
  // reader, which says what it lacks.
  return hint == MapFormat::Reabank || hint == MapFormat::UniversalDefinition ? hint
                                                                              : MapFormat::Unknown;
}

bool ReadForeignMap(const std::string& fileName, const std::vector<uint8_t>& bytes, ForeignMap& map,
                    ImportError& error) {
  const std::string_view start(reinterpret_cast<const char*>(bytes.data()),
                               std::min<size_t>(bytes.size(), 8));
  if (IsBinaryPropertyList(bytes))
    return Refuse(error, "",
                  "a binary property list; save the articulation set as an XML "
                  "property list and import that");
  if (start.substr(0, 2) == "\xFF\xFE" || start.substr(0, 2) == "\xFE\xFF")
    return Refuse(error, "", "UTF-16 text; save it as UTF-8 and import that");
  const MapFormat format = DetectMapFormat(fileName, bytes);
  const std::string text(WithoutBom(bytes));
  switch (format) {
    case MapFormat::Reabank:
      return ReadReabank(text, map, error);
    case MapFormat::ExpressionMap:
      return ReadExpressionMap(text, map, error);
    case MapFormat::ArticulationPlist:
      return ReadArticulationPlist(text, map, error);
    case MapFormat::DoricoLibrary:
      return ReadDoricoLibrary(text, map, error);
    case MapFormat::UniversalDefinition:
      return ReadUniversalDefinition(text, map, error);
    case MapFormat::KeySwitchList:
      return ReadKeySwitchList(text, map, error);
    case MapFormat::Unknown:
      break;
  }
  const std::string root = text.find_first_not_of(" \t\r\n") != std::string::npos &&
                                   text[text.find_first_not_of(" \t\r\n")] == '<'
                               ? RootElement(text)
                               : "";
  if (!root.empty())
    return Refuse(
        error, "<" + root + ">",
        "XML of no map format known here (its root element is <" + root + ">); " + kKnownFormats);
  return Refuse(error, "", std::string("not a map format known here; ") + kKnownFormats);
}

bool IsBinaryPropertyList(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= 6 &&
         std::string_view(reinterpret_cast<const char*>(bytes.data()), 6) == "bplist";
}

MapFormat FormatForExtension(const std::string& fileName) {
  return FormatOfExtension(Extension(fileName));
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
  const MapFormat format = FormatForExtension(outName);
  const std::string title = Stem(outName);
  std::string written;
  ExportLosses lost;
  switch (format) {
    case MapFormat::Reabank:
      written = WriteReabank(settings, title, &lost);
      break;
    case MapFormat::ExpressionMap:
      written = WriteExpressionMap(settings, title, &lost);
      break;
    case MapFormat::ArticulationPlist:
      written = WriteArticulationPlist(settings, title, &lost);
      break;
    case MapFormat::KeySwitchList:
      written = WriteKeySwitchList(settings, title, &lost);
      break;
    case MapFormat::DoricoLibrary:
    case MapFormat::UniversalDefinition:
      error = std::string(format == MapFormat::DoricoLibrary ? "Dorico libraries"
                                                             : "Universal Definitions") +
              " are imported only; export writes .reabank, .expressionmap, .plist or .keyswitch";
      return false;
    default:
      error =
          "the output must end in .reabank, .expressionmap, .plist or .keyswitch, to choose the "
          "format";
      return false;
  }

  // None of the formats written holds a per-articulation latency.
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const int latency = settings.slots[slot].additions.latencyMs;
    if (latency != 0)
      lost.push_back({slot, LatencyItem(latency),
                      std::string(FormatNoun(format)) + " has no per-articulation latency"});
  }

  // What an import of the written file gives back, item by item.
  ForeignMap map;
  ImportError readError;
  ImportResult back;
  const std::vector<uint8_t> bytes(written.begin(), written.end());
  if (!ReadForeignMap(outName, bytes, map, readError) ||
      !ImportForeignMap(map, outName, {}, back, readError)) {
    error = "the written " + std::string(MapFormatName(format)) + " does not read back (" +
            readError.where + ": " + readError.message + "); nothing written";
    return false;
  }
  std::vector<std::string> warnings, shown;
  ReportExportLosses(settings, back.settings, lost, FormatNoun(format), warnings, shown);
  losses.clear();
  notes.clear();
  for (const std::string& line : warnings) losses.push_back(BaseName(outName) + ": " + line);
  for (const std::string& line : shown) notes.push_back(BaseName(outName) + ": " + line);
  text = std::move(written);
  return true;
}
