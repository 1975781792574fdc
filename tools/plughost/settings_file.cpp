#include "tools/plughost/settings_file.h"

#include "maps/counted.h"
#include "maps/map_file.h"
#include "maps/state_bytes.h"
#include "tools/plughost/factory_maps.h"
#include "tools/plughost/file_io.h"

namespace {

bool MapFromBytes(const std::string& path, const std::vector<uint8_t>& bytes,
                  PluginSettings& settings, std::string& error) {
  MapError problem;
  if (!ParseMapFile(bytes, settings, problem)) {
    error = path + ": " + (problem.field.empty() ? "" : problem.field + ": ") + problem.message;
    return false;
  }
  return true;
}

}  // namespace

bool ReadMapFile(const std::string& path, PluginSettings& settings, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadSettingsBytes(path, bytes, error)) {
    error = "cannot read the map " + path + ": " + error;
    return false;
  }
  return MapFromBytes(path, bytes, settings, error);
}

bool ReadSettingsFile(const std::string& path, std::vector<uint8_t>& state, std::string& error) {
  std::vector<uint8_t> bytes;
  if (!ReadSettingsBytes(path, bytes, error)) {
    error = "cannot read the settings " + path + ": " + error;
    return false;
  }
  return SettingsFromBytes(path, std::move(bytes), state, error);
}

bool SettingsFromBytes(const std::string& path, std::vector<uint8_t> bytes,
                       std::vector<uint8_t>& state, std::string& error) {
  if (LooksLikeMapFile(bytes)) {
    PluginSettings settings;
    if (!MapFromBytes(path, bytes, settings, error)) return false;
    state = EncodeState(settings);
    return true;
  }
  int32_t version = 0;
  if (!StateVersion(bytes, version)) {
    error = path + ": neither a map (JSON) nor a plug-in state: " + Counted(bytes.size(), "byte") +
            ", too short for a state's version word";
    return false;
  }
  if (version < 1 || version > kWrittenStateVersion) {
    error = path + ": neither a map (JSON) nor a plug-in state: it begins with version word " +
            std::to_string(version) + ", and the plug-in reads versions 1 to 5";
    return false;
  }
  state = std::move(bytes);
  return true;
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
