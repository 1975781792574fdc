// map-to-state and state-to-map: the map goes into the plug-in as a host
// restores a project, and what the plug-in then saves comes back out.
#include <cstdio>

#include "maps/counted.h"
#include "maps/articulation_map.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/file_io.h"
#include "tools/plughost/same_file.h"
#include "tools/plughost/settings_file.h"
#include "maps/state_bytes.h"

namespace {

// Loads the state into a new instance of the plug-in and takes back what it
// saves. Returns kExitOk, or the exit code after reporting the failure.
int ThroughPlugin(const CommonOptions& options, const std::vector<uint8_t>& state,
                  std::vector<uint8_t>& saved, PluginSettings& kept) {
  std::string error;
  const auto library = OpenPluginLibrary(options.dll, error);
  if (!library) return Fail(kExitPlugin, error);
  PlugHost host(nullptr);
  PluginInstance instance(*library, &host);
  if (!instance.created()) return Fail(kExitPlugin, "the plug-in made no instance");
  if (!RoundTripThroughPlugin(instance, state, saved, kept, error)) return Fail(kExitPlugin, error);
  return kExitOk;
}

}  // namespace

int SaveStateThroughPlugin(const CommonOptions& options, const PluginSettings& wanted,
                           const std::string& statePath, size_t& written) {
  std::vector<uint8_t> saved;
  PluginSettings kept;
  if (const int failed = ThroughPlugin(options, EncodeState(wanted), saved, kept)) return failed;
  // A value the plug-in changed on loading would be lost without a word.
  const std::string difference = FirstDifference(wanted, kept);
  if (!difference.empty())
    return Fail(kExitPlugin, "the plug-in did not keep " + difference + "; nothing written");
  std::string error;
  if (!WriteFileAtomically(statePath, saved, error)) return Fail(kExitBadInput, error);
  written = saved.size();
  return kExitOk;
}

int LoadSettingsThroughPlugin(const CommonOptions& options, const MapChoice& choice,
                              const std::string& path, PluginSettings& kept,
                              SettingsSource* source) {
  SettingsSource read;
  if (const int failed = ReadSettingsArgument(path, choice, read)) return failed;
  std::vector<uint8_t> saved;
  if (const int failed = ThroughPlugin(options, read.state, saved, kept)) return failed;
  if (source) *source = std::move(read);
  return kExitOk;
}

int MapToStateCommand(const CommonOptions& options, const MapChoice& choice,
                      const std::string& mapPath, const std::string& statePath) {
  if (const int refused = RefuseOutputOverInput(options, "map-to-state", {{"map", mapPath}},
                                                {{"state", statePath}}))
    return refused;
  SettingsSource source;
  if (const int failed = ReadSettingsArgument(mapPath, choice, source)) return failed;
  size_t written = 0;
  if (source.kind == MapFileKind::OurState) {
    // The plug-in converts an older state as it loads it; what it saves is
    // the state of now.
    std::vector<uint8_t> saved;
    PluginSettings kept;
    if (const int failed = ThroughPlugin(options, source.state, saved, kept)) return failed;
    std::string error;
    if (!WriteFileAtomically(statePath, saved, error)) return Fail(kExitBadInput, error);
    written = saved.size();
  } else if (const int failed =
                 SaveStateThroughPlugin(options, source.settings, statePath, written)) {
    return failed;
  }
  Print("%s -> %s: %s, state version %d\n", mapPath.c_str(), statePath.c_str(),
        Counted(written, "byte").c_str(), kWrittenStateVersion);
  return kExitOk;
}

int StateToMapCommand(const CommonOptions& options, const MapChoice& choice,
                      const std::string& statePath, const std::string& mapPath) {
  if (const int refused = RefuseOutputOverInput(options, "state-to-map", {{"state", statePath}},
                                                {{"map", mapPath}}))
    return refused;
  SettingsSource source;
  if (const int failed = ReadSettingsArgument(statePath, choice, source)) return failed;
  const std::vector<uint8_t>& state = source.state;

  std::string error;
  std::vector<uint8_t> saved;
  PluginSettings kept;
  if (const int failed = ThroughPlugin(options, state, saved, kept)) return failed;
  std::string text;
  MapError problem;
  if (!FormatArticulationMap(kept, text, problem))
    return Fail(kExitBadInput, statePath + ": " + problem.field + ": " + problem.message);
  if (!WriteFileAtomically(mapPath, text, error)) return Fail(kExitBadInput, error);
  int32_t version = 0;
  StateVersion(state, version);
  const std::string kind = source.kind == MapFileKind::OurState
                               ? "state version " + std::to_string(version)
                               : MapFileKindName(source);
  Print("%s -> %s (%s)\n", statePath.c_str(), mapPath.c_str(), kind.c_str());
  return kExitOk;
}
