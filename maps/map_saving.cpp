#include "maps/map_saving.h"

#include <exception>
#include <new>

#include "maps/articulation_map.h"
#include "maps/counted.h"
#include "maps/file_names.h"
#include "maps/map_formats.h"
#include "maps/state_bytes.h"

namespace {

bool Refuse(MapLoadReport& report, const std::string& what) {
  report = {};
  report.summary = what;
  return false;
}

bool Decode(const std::vector<uint8_t>& state, PluginSettings& settings, MapLoadReport& report) {
  std::string why;
  return DecodeState(state, settings, why) ||
         Refuse(report, "Not saved: the plug-in's state does not read: " + why);
}

}  // namespace

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
    report.summary = "Copied the map: " + Counted(settings.UsedSlots(), "slot");
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
    if (LowerExtension(outName) == ".json") {
      MapError problem;
      if (!FormatArticulationMap(settings, written, problem))
        return Refuse(report, "Not saved: " + file + ": " + problem.field + ": " + problem.message);
    } else {
      std::string error;
      if (!ExportForeignMap(outName, settings, written, out.warnings, out.notes, error))
        return Refuse(report, "Not saved: " + file + ": " + error);
      formatName = MapFormatName(FormatForExtension(outName));
    }
    out.summary = "Saved " + Counted(settings.UsedSlots(), "slot") + " to " + file + " as " +
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
