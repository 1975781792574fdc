#include "maps/map_saving.h"

#include <exception>
#include <new>

#include "maps/articulation_map.h"
#include "maps/counted.h"
#include "maps/map_formats.h"
#include "maps/state_bytes.h"

namespace {

bool Refuse(MapLoadReport& report, const std::string& what) {
  report = {};
  report.summary = what;
  return false;
}

int UsedSlots(const PluginSettings& settings) {
  int used = 0;
  for (const auto& slot : settings.slots) used += slot.IsDefault() ? 0 : 1;
  return used;
}

bool EndsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i) {
    char c = text[text.size() - end.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != end[i]) return false;
  }
  return true;
}

bool Decode(const std::vector<uint8_t>& state, PluginSettings& settings, MapLoadReport& report) {
  std::string why;
  return DecodeState(state, settings, why) ||
         Refuse(report, "Not saved: the plug-in's state does not read: " + why);
}

}  // namespace

const std::vector<MapSaveFormat>& MapSaveFormats() {
  static const std::vector<MapSaveFormat> formats = {
      {".json", "Articulation map (JSON)"},
      {".reabank", MapFormatName(MapFormat::Reabank)},
      {".expressionmap", MapFormatName(MapFormat::ExpressionMap)},
      {".plist", MapFormatName(MapFormat::ArticulationPlist)},
      {".keyswitch", MapFormatName(MapFormat::KeySwitchList)},
  };
  return formats;
}

const std::vector<std::string>& MapLoadExtensions() {
  // Other programs' formats as the readers know them, so a format added to
  // the readers appears here by itself.
  static const std::vector<std::string> extensions = [] {
    std::vector<std::string> known = {".json", ".state"};
    for (const char* candidate :
         {".reabank", ".expressionmap", ".plist", ".doricolib", ".yaml", ".yml", ".keyswitch"})
      if (FormatForExtension(std::string("map") + candidate) != MapFormat::Unknown)
        known.push_back(candidate);
    return known;
  }();
  return extensions;
}

bool MapJsonText(const std::vector<uint8_t>& state, std::string& text,
                 MapLoadReport& report) noexcept {
  try {
    PluginSettings settings;
    if (!Decode(state, settings, report)) return false;
    std::string written;
    MapError problem;
    if (!FormatArticulationMap(settings, written, problem))
      return Refuse(report, "Not copied: " + problem.field + ": " + problem.message);
    report = {};
    report.summary = "Copied the map: " + Counted(UsedSlots(settings), "slot");
    text = std::move(written);
    return true;
  } catch (...) {
    return Refuse(report, "Not copied: not enough memory");
  }
}

bool MapTextForSave(const std::vector<uint8_t>& state, const std::string& outName,
                    std::string& text, MapLoadReport& report) noexcept {
  const std::string file = MapDisplayName(outName);
  try {
    PluginSettings settings;
    if (!Decode(state, settings, report)) return false;
    std::string written;
    MapLoadReport out;
    const char* formatName = "articulation map (JSON)";
    if (EndsWith(outName, ".json")) {
      MapError problem;
      if (!FormatArticulationMap(settings, written, problem))
        return Refuse(report, "Not saved: " + file + ": " + problem.field + ": " + problem.message);
    } else {
      std::string error;
      if (!ExportForeignMap(outName, settings, written, out.warnings, out.notes, error))
        return Refuse(report, "Not saved: " + file + ": " + error);
      formatName = MapFormatName(FormatForExtension(outName));
    }
    out.summary = "Saved " + Counted(UsedSlots(settings), "slot") + " to " + file + " as " +
                  (formatName[0] == 'a' ? "an " : "a ") + formatName;
    if (!out.warnings.empty()) out.summary += "; " + Counted(out.warnings.size(), "warning");
    if (!out.notes.empty())
      out.summary += (out.warnings.empty() ? "; " : ", ") + Counted(out.notes.size(), "note");
    text = std::move(written);
    report = std::move(out);
    return true;
  } catch (const std::exception& e) {
    return Refuse(report, "Not saved: " + file + ": " + e.what());
  } catch (...) {
    return Refuse(report, "Not saved: " + file);
  }
}
