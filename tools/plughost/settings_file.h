// Settings files as commands are given them: a map (JSON), a state (the
// plug-in's saved bytes, any version it reads) or another program's map with
// --bank and --pick (settings_source.h). Every command that takes
// settings reads them here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/plugin_settings.h"
#include "tools/plughost/settings_source.h"
#include "tools/plughost/plugin_instance.h"

// --bank and --pick as typed (UTF-8), for a file in another program's format, and
// the options that chose them (retarget's TO file has --to-bank, --to-pick).
struct MapChoice {
  std::string bank, pick;
  std::string bankOption = "--bank", pickOption = "--pick";
};

// The choice as the import rules take it: --pick split.
ImportChoice ImportChoiceOf(const MapChoice& choice);

// Reads and classifies the settings file; a program's map is read, not yet
// imported. Returns kExitOk, or the exit status after reporting why not.
int OpenSettingsArgument(const std::string& path, SettingsSource& source);

// Reads the settings file and applies the choice. Returns kExitOk, or the
// exit status after reporting why not.
int LoadSettingsArgument(const std::string& path, const MapChoice& choice, SettingsSource& source);
// The same, then prints the import's warnings on stderr ("plughost:
// warning: ..."); its notes only say what is never sent, and stay unsaid.
int ReadSettingsArgument(const std::string& path, const MapChoice& choice, SettingsSource& source);

// Restores `state` into the instance and decodes what it then saves: the
// settings as the plug-in holds them.
bool RoundTripThroughPlugin(const PluginInstance& instance, const std::vector<uint8_t>& state,
                            std::vector<uint8_t>& saved, PluginSettings& settings,
                            std::string& error);
