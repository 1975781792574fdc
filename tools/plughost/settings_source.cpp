#include "tools/plughost/settings_source.h"

#include "maps/state_bytes.h"

bool ReadSettingsSource(const std::string& fileName, const std::vector<uint8_t>& bytes,
                        SettingsSource& source, std::string& error) {
  SettingsSource out;
  ImportError problem;
  if (!ReadMapFile(fileName, bytes, out, problem)) {
    error = Located(fileName, problem);
    return false;
  }
  source = std::move(out);
  return true;
}

bool ChooseSettings(const std::string& fileName, const ImportChoice& choice, SettingsSource& source,
                    std::string& error) {
  if (source.kind != MapFileKind::ForeignMap) {
    if (choice.bank.empty() && choice.pick.empty()) return true;
    const std::string& option = choice.bank.empty() ? choice.pickOption : choice.bankOption;
    error = fileName + ": " + option + " chooses from another program's map, and this is " +
            MapFileKindName(source) + " of the plug-in's own";
    return false;
  }
  ImportResult result;
  ImportError problem;
  if (!ImportForeignMap(source.foreign, fileName, choice, result, problem)) {
    error = Located(fileName, problem);
    return false;
  }
  source.settings = result.settings;
  source.state = EncodeState(result.settings);
  source.import = std::move(result);
  return true;
}
