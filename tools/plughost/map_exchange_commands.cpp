// import and export: other music programs' articulation maps to the
// plug-in's settings and back. The formats and the import rules live in the
// map library (maps/); this file reads, reports and writes.
#include <cstdio>

#include "maps/articulation_map.h"
#include "maps/counted.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"
#include "maps/state_bytes.h"
#include "maps/text_encoding.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/map_listing.h"
#include "tools/plughost/same_file.h"
#include "tools/plughost/settings_file.h"

namespace {

void PrintMessages(const std::vector<std::string>& notes,
                   const std::vector<std::string>& warnings) {
  for (const std::string& note : notes) PrintError("plughost: note: %s\n", note.c_str());
  for (const std::string& warning : warnings)
    PrintError("plughost: warning: %s\n", warning.c_str());
}

// --list: our own map or state lists its slots; another program's map its
// banks and their articulations, or with --bank that bank alone; with
// --pick, the slots the import would write, after its notes and warnings.
int ListCommand(const CommonOptions& options, const std::string& file, const MapChoice& choice) {
  SettingsSource source;
  if (const int failed = OpenSettingsArgument(file, source)) return failed;
  if (source.kind == MapFileKind::ForeignMap && choice.pick.empty()) {
    int onlyBank = -1;
    if (!choice.bank.empty()) {
      size_t index = 0;
      std::vector<std::string> warnings;
      ImportError problem;
      if (!FindForeignBank(source.foreign, file, ImportChoiceOf(choice), index, warnings, problem))
        return Fail(kExitBadInput, Located(file, problem));
      PrintMessages({}, warnings);
      onlyBank = static_cast<int>(index);
    }
    WriteText(Stream::kOut, ListForeignMap(source.foreign, file, onlyBank));
    return kExitOk;
  }
  std::string error;
  if (!ChooseSettings(file, ImportChoiceOf(choice), source, error))
    return Fail(kExitBadInput, error);
  // A state of any version, as the plug-in holds it once loaded.
  if (source.kind == MapFileKind::OurState)
    if (const int failed = LoadSettingsThroughPlugin(options, {}, file, source.settings))
      return failed;
  PrintMessages(source.import.notes, source.import.warnings);
  const std::string kind = source.kind == MapFileKind::ForeignMap
                               ? "the slots an import of " + MapFileKindName(source) + " writes"
                               : MapFileKindName(source);
  WriteText(Stream::kOut, ListSettings(source.settings, file, kind.c_str()));
  return kExitOk;
}

}  // namespace

int ImportCommand(const CommonOptions& options, const MapChoice& choice, const std::string& file,
                  const std::string& out, bool list, bool strict) {
  if (list) return ListCommand(options, file, choice);
  const bool toJson = HasExtension(out, ".json"), toState = HasExtension(out, ".state");
  if (!toJson && !toState)
    return Fail(kExitUsage, "import writes OUT ending in .json (a map) or .state (a state), not " +
                                (out.empty() ? std::string("nothing") : out));
  if (const int refused =
          RefuseOutputOverInput(options, "import", {{"file", file}}, {{"output", out}}))
    return refused;
  SettingsSource source;
  if (const int failed = LoadSettingsArgument(file, choice, source)) return failed;
  if (source.kind != MapFileKind::ForeignMap)
    return Fail(kExitBadInput, file + " is " + MapFileKindName(source) +
                                   " of the plug-in's own, not another program's: map-to-state "
                                   "and state-to-map convert it");
  const ImportResult& result = source.import;
  for (const std::string& note : result.notes) PrintError("plughost: note: %s\n", note.c_str());
  for (const std::string& warning : result.warnings)
    PrintError("plughost: %s: %s\n", strict ? "error" : "warning", warning.c_str());
  if (strict && !result.warnings.empty())
    return Fail(kExitBadInput, Counted(result.warnings.size(), "warning") +
                                   (result.warnings.size() == 1 ? " is an error" : " are errors") +
                                   " under --strict; nothing written");

  std::string error;
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
  Print("%s -> %s: %s, %s, %s\n", file.c_str(), out.c_str(),
        Counted(result.settings.UsedSlots(), "slot").c_str(),
        Counted(result.warnings.size(), "warning").c_str(),
        Counted(result.notes.size(), "note").c_str());
  return kExitOk;
}

int ExportCommand(const CommonOptions& options, const MapChoice& choice, const std::string& mapPath,
                  const std::string& out) {
  if (WrittenExtension(FormatForExtension(out))[0] == '\0')
    return Fail(kExitUsage,
                "export writes OUT ending in " + WrittenExtensionList() + ", not " + out);
  if (const int refused =
          RefuseOutputOverInput(options, "export", {{"map", mapPath}}, {{"output", out}}))
    return refused;
  PluginSettings settings;
  if (const int failed = LoadSettingsThroughPlugin(options, choice, mapPath, settings))
    return failed;
  std::string text, error;
  std::vector<std::string> losses, notes;
  if (!ExportForeignMap(out, settings, text, losses, notes, error))
    return Fail(kExitBadInput, mapPath + ": " + error);
  for (const std::string& note : notes) PrintError("plughost: note: %s\n", note.c_str());
  for (const std::string& loss : losses) PrintError("plughost: warning: %s\n", loss.c_str());
  if (!WriteFileAtomically(out, text, error)) return Fail(kExitBadInput, error);
  Print("%s -> %s: %s as a %s, %s, %s\n", mapPath.c_str(), out.c_str(),
        Counted(settings.UsedSlots(), "slot").c_str(), MapFormatName(FormatForExtension(out)),
        Counted(losses.size(), "warning").c_str(), Counted(notes.size(), "note").c_str());
  return kExitOk;
}
