// The subcommands of plughost. Each returns the process exit status and
// reports its own errors on stderr as "plughost: <what>".
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "maps/plugin_settings.h"
#include "tools/plughost/settings_file.h"

enum ExitStatus : int {
  kExitOk = 0,
  kExitBadInput = 1,  // an input file is wrong, or an output cannot be written
  kExitUsage = 2,     // the command line is wrong
  kExitPlugin = 3,    // the DLL cannot be loaded or made no instance
};

// Prints "plughost: " and the text to stderr; returns `status`.
int Fail(int status, const std::string& text);

struct CommonOptions {
  std::string dll;  // absolute path of the plug-in DLL
};

int DescribeCommand(const CommonOptions& options);
// Every command that takes settings takes any settings file, with --bank and
// --pick for another program's map (settings_file.h).
int MapToStateCommand(const CommonOptions& options, const MapChoice& choice, const std::string& map,
                      const std::string& state);
int StateToMapCommand(const CommonOptions& options, const MapChoice& choice,
                      const std::string& state, const std::string& map);
// --compensate: each note plays its slot's latency earlier; --lead MS: a
// note's switching messages go that far before it.
struct TimingOptions {
  bool compensate = false;
  int leadMs = 0;
};
// --pan and --volume: what the host reports before playback.
struct HostMix;
int RenderCommand(const CommonOptions& options, const MapChoice& choice, const HostMix& mix,
                  const TimingOptions& timing, const std::string& settings,
                  const std::string& input, const std::string& output, const std::string& picture);

struct RetargetOptions {
  bool matchNumbers = false;  // --match numbers (the default pairs by name)
  int fallback = -1;          // --fallback N, 0-based; -1: none
  std::vector<std::pair<std::string, std::string>> pairs;  // --pair FROM=TO, in order
  std::string pairsFile;                                   // --pairs FILE
  MapChoice to{"", "", "--to-bank", "--to-pick"};          // --to-bank, --to-pick
  bool strict = false;                                     // --strict
};
// With `compensate`, the notes of a slot with a latency move back later by it.
int ColourCommand(const CommonOptions& options, const MapChoice& choice, bool compensate,
                  const std::string& settings, const std::string& input, const std::string& output,
                  const std::string& picture, bool strict);
int RetargetCommand(const CommonOptions& options, const MapChoice& choice,
                    const RetargetOptions& retarget, const HostMix& mix,
                    const TimingOptions& timing, const std::string& from, const std::string& to,
                    const std::string& input, const std::string& output,
                    const std::string& picture);
int DumpMidiCommand(const std::string& file, int limit);
// With `out`, the edited settings go there instead of back to `path` (which
// another program's map needs: it is never written over).
int EditCommand(const CommonOptions& options, const MapChoice& choice, const std::string& path,
                const std::string& out, double closeAfterSeconds);
int ScreenshotCommand(const CommonOptions& options, const MapChoice& choice,
                      const std::string& settings, const std::string& folder);
int ImportCommand(const CommonOptions& options, const MapChoice& choice, const std::string& file,
                  const std::string& out, bool list, bool strict);
int ExportCommand(const CommonOptions& options, const MapChoice& choice, const std::string& map,
                  const std::string& out);

// True when stderr is a terminal, or a file scripts/wine-run relays to one
// as it grows: a long render then shows its progress there.
bool StderrIsTerminal();

// The counts render prints, also after retarget; `settings` names the slots.
struct RenderSummary;
void PrintRenderSummary(const RenderSummary& summary, const PluginSettings& settings);

// Shared by map-to-state, import and export.
// Loads the settings into the plug-in and writes the state it then saves to
// `statePath` (whole or not at all); fails when the plug-in did not keep a
// value. `written` is the state's size.
int SaveStateThroughPlugin(const CommonOptions& options, const PluginSettings& wanted,
                           const std::string& statePath, size_t& written);
// The settings of any settings file as the plug-in holds them once loaded;
// `source` keeps what was read (the import's messages, what it left out).
int LoadSettingsThroughPlugin(const CommonOptions& options, const MapChoice& choice,
                              const std::string& path, PluginSettings& kept,
                              SettingsSource* source = nullptr);
