#include "tools/plughost/settings_file.h"

#include <cstdio>

#include "maps/state_bytes.h"
#include "tools/plughost/commands.h"
#include "tools/plughost/console_text.h"
#include "tools/plughost/factory_maps.h"
#include "tools/plughost/file_io.h"

ImportChoice ImportChoiceOf(const MapChoice& choice) {
  ImportChoice import{choice.bank, {}, choice.bankOption, choice.pickOption};
  if (!choice.pick.empty()) import.pick = SplitPickList(choice.pick);
  return import;
}

int OpenSettingsArgument(const std::string& path, SettingsSource& source) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadSettingsBytes(path, bytes, error))
    return Fail(kExitBadInput, "cannot read the settings " + path + ": " + error);
  if (!ReadSettingsSource(path, std::move(bytes), source, error)) return Fail(kExitBadInput, error);
  return kExitOk;
}

int LoadSettingsArgument(const std::string& path, const MapChoice& choice, SettingsSource& source) {
  if (const int failed = OpenSettingsArgument(path, source)) return failed;
  std::string error;
  if (!ChooseSettings(path, ImportChoiceOf(choice), source, error))
    return Fail(kExitBadInput, error);
  return kExitOk;
}

int ReadSettingsArgument(const std::string& path, const MapChoice& choice, SettingsSource& source) {
  if (const int failed = LoadSettingsArgument(path, choice, source)) return failed;
  for (const std::string& warning : source.import.warnings)
    PrintError("plughost: warning: %s\n", warning.c_str());
  return kExitOk;
}

bool RoundTripThroughPlugin(const PluginInstance& instance, const std::vector<uint8_t>& state,
                            std::vector<uint8_t>& saved, PluginSettings& settings,
                            std::string& error) {
  if (!instance.LoadState(state, error) || !instance.SaveState(saved, error)) return false;
  std::string why;
  if (!DecodeState(saved, settings, why)) {
    error = "the plug-in saved a state this host cannot read: " + why;
    return false;
  }
  return true;
}
