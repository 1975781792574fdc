// import and export: other music programs' articulation maps to the
// plug-in's settings and back. The formats and the import rules live in the
// map library (maps/); this file reads, reports and writes.
#include <cstdio>

#include "maps/articulation_map.h"
#include "maps/counted.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"
#include "maps/settings_listing.h"
#include "maps/state_bytes.h"
#include "maps/text_encoding.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/factory_maps.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/same_file.h"
#include "tools/plughost/settings_file.h"

namespace {

std::string Located(const std::string& file, const ImportError& error) {
  return file + ": " + (error.where.empty() ? "" : error.where + ": ") + error.message;
}

// Command-line text arrives in the system's ANSI code page, not UTF-8: a
// bank or articulation name beyond ASCII is read as Windows-1252 then.
std::string ArgumentText(const std::string& arg) {
  return IsValidUtf8(arg) ? arg : Windows1252ToUtf8(arg);
}

int UsedSlots(const PluginSettings& settings) {
  int used = 0;
  for (const auto& slot : settings.slots) used += slot.IsDefault() ? 0 : 1;
  return used;
}

}  // namespace

int ImportCommand(const CommonOptions& options, const std::string& file, const std::string& out,
                  const std::string& bank, const std::string& pick, bool list, bool strict) {
  const bool toJson = HasExtension(out, ".json"), toState = HasExtension(out, ".state");
  if (!list && !toJson && !toState)
    return Fail(kExitUsage, "import writes OUT ending in .json (a map) or .state (a state), not " +
                                (out.empty() ? std::string("nothing") : out));
  if (!list)
    if (const int refused =
            RefuseOutputOverInput(options, "import", {{"file", file}}, {{"output", out}}))
      return refused;
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadSettingsBytes(file, bytes, error))
    return Fail(kExitBadInput, "cannot read " + file + ": " + error);
  if (list) {
    // The plug-in's own map or state lists its slots as they stand.
    std::vector<uint8_t> state;
    PluginSettings settings;
    std::string unused;
    if (SettingsFromBytes(file, bytes, state, unused) && DecodeState(state, settings, unused)) {
      const bool map = !bytes.empty() && state != bytes;
      std::fputs(ListSettings(settings, file, map ? "a map" : "a state").c_str(), stdout);
      return kExitOk;
    }
  }
  ForeignMap map;
  ImportError problem;
  if (!ReadForeignMap(file, bytes, map, problem))
    return Fail(kExitBadInput, Located(file, problem));
  if (list) {
    std::fputs(ListForeignMap(map, file).c_str(), stdout);
    return kExitOk;
  }

  ImportChoice choice{ArgumentText(bank), {}};
  if (!pick.empty()) choice.pick = SplitPickList(ArgumentText(pick));
  ImportResult result;
  if (!ImportForeignMap(map, file, choice, result, problem))
    return Fail(kExitBadInput, Located(file, problem));
  std::fflush(stdout);
  for (const std::string& note : result.notes)
    std::fprintf(stderr, "plughost: note: %s\n", note.c_str());
  for (const std::string& warning : result.warnings)
    std::fprintf(stderr, "plughost: %s: %s\n", strict ? "error" : "warning", warning.c_str());
  if (strict && !result.warnings.empty())
    return Fail(kExitBadInput, Counted(result.warnings.size(), "warning") +
                                   (result.warnings.size() == 1 ? " is an error" : " are errors") +
                                   " under --strict; nothing written");

  if (toJson) {
    std::string text;
    MapError mapError;
    if (!FormatArticulationMap(result.settings, text, mapError))
      return Fail(kExitBadInput, file + ": " + mapError.field + ": " + mapError.message);
    if (!WriteFileAtomically(out, text, error)) return Fail(kExitBadInput, error);
  } else {
    size_t written = 0;
    if (const int failed = SaveStateThroughPlugin(options, result.settings, out, written))
      return failed;
  }
  std::printf("%s -> %s: %s, %s, %s\n", file.c_str(), out.c_str(),
              Counted(UsedSlots(result.settings), "slot").c_str(),
              Counted(result.warnings.size(), "warning").c_str(),
              Counted(result.notes.size(), "note").c_str());
  return kExitOk;
}

int ExportCommand(const CommonOptions& options, const std::string& mapPath,
                  const std::string& out) {
  const MapFormat format = FormatForExtension(out);
  if (format == MapFormat::Unknown || format == MapFormat::DoricoLibrary ||
      format == MapFormat::UniversalDefinition)
    return Fail(kExitUsage,
                "export writes OUT ending in .reabank, .expressionmap or .plist, not " + out);
  if (const int refused =
          RefuseOutputOverInput(options, "export", {{"map", mapPath}}, {{"output", out}}))
    return refused;
  PluginSettings settings;
  if (const int failed = LoadSettingsThroughPlugin(options, mapPath, settings)) return failed;
  std::string text, error;
  std::vector<std::string> losses, notes;
  if (!ExportForeignMap(out, settings, text, losses, notes, error))
    return Fail(kExitBadInput, mapPath + ": " + error);
  std::fflush(stdout);
  for (const std::string& note : notes) std::fprintf(stderr, "plughost: note: %s\n", note.c_str());
  for (const std::string& loss : losses)
    std::fprintf(stderr, "plughost: warning: %s\n", loss.c_str());
  if (!WriteFileAtomically(out, text, error)) return Fail(kExitBadInput, error);
  std::printf("%s -> %s: %s as a %s, %s, %s\n", mapPath.c_str(), out.c_str(),
              Counted(UsedSlots(settings), "slot").c_str(), MapFormatName(FormatForExtension(out)),
              Counted(losses.size(), "warning").c_str(), Counted(notes.size(), "note").c_str());
  return kExitOk;
}
