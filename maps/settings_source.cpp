#include "maps/settings_source.h"

#include "maps/counted.h"
#include "maps/map_file.h"
#include "maps/state_bytes.h"

namespace {

constexpr int32_t kOldestStateVersion = 1;

const char kWhatSettingsAre[] =
    "a map (JSON), a plug-in state or another program's map (.reabank, .expressionmap, .plist, "
    ".doricolib, .yaml, .keyswitch)";

std::string Located(const std::string& file, const ImportError& error) {
  return file + ": " + (error.where.empty() ? "" : error.where + ": ") + error.message;
}

// What the start of a file of no known kind looks like, for the refusal.
std::string Beginning(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return "it is empty";
  if (bytes.size() < 4 && bytes[0] < 0x20)
    return "it holds " + Counted(bytes.size(), "byte") + ", too short for a state's version word";
  int32_t version = 0;
  if (StateVersion(bytes, version) && version > kWrittenStateVersion && version < 256)
    return "it begins like a plug-in state of version " + std::to_string(version) +
           ", and this plug-in reads versions 1 to " + std::to_string(kWrittenStateVersion);
  std::string line;
  for (uint8_t byte : bytes) {
    if (byte == '\n' || byte == '\r' || line.size() == 40) break;
    if (byte < 0x20 && byte != '\t') return "it is binary data of none of these kinds";
    line += static_cast<char>(byte);
  }
  return "it begins \"" + line + "\"";
}

}  // namespace

std::string SettingsKindName(const SettingsSource& source) {
  switch (source.kind) {
    case SettingsKind::Map:
      return "a map (JSON)";
    case SettingsKind::State:
      return "a plug-in state";
    case SettingsKind::ProgramMap:
      break;
  }
  return std::string("a ") + MapFormatName(source.format);
}

bool ReadSettingsSource(const std::string& fileName, std::vector<uint8_t> bytes,
                        SettingsSource& source, std::string& error) {
  SettingsSource out;
  int32_t version = 0;
  if (LooksLikeMapFile(bytes)) {
    MapError problem;
    if (!ParseMapFile(bytes, out.settings, problem)) {
      error =
          fileName + ": " + (problem.field.empty() ? "" : problem.field + ": ") + problem.message;
      return false;
    }
    out.kind = SettingsKind::Map;
    out.state = EncodeState(out.settings);
  } else if (StateVersion(bytes, version) && version >= kOldestStateVersion &&
             version <= kWrittenStateVersion) {
    out.kind = SettingsKind::State;
    out.state = std::move(bytes);
  } else {
    out.format = DetectMapFormat(fileName, bytes);
    if (out.format == MapFormat::Unknown && !IsBinaryPropertyList(bytes)) {
      error = fileName + ": not a settings file: neither " + std::string(kWhatSettingsAre) + "; " +
              Beginning(bytes);
      return false;
    }
    ImportError problem;
    if (!ReadForeignMap(fileName, bytes, out.map, problem)) {
      error = Located(fileName, problem);
      return false;
    }
    out.kind = SettingsKind::ProgramMap;
  }
  source = std::move(out);
  return true;
}

bool ChooseSettings(const std::string& fileName, const ImportChoice& choice, SettingsSource& source,
                    std::string& error) {
  if (source.kind != SettingsKind::ProgramMap) {
    if (choice.bank.empty() && choice.pick.empty()) return true;
    const std::string& option = choice.bank.empty() ? choice.pickOption : choice.bankOption;
    error = fileName + ": " + option + " chooses from another program's map, and this is " +
            SettingsKindName(source) + " of the plug-in's own";
    return false;
  }
  ImportResult result;
  ImportError problem;
  if (!ImportForeignMap(source.map, fileName, choice, result, problem)) {
    error = Located(fileName, problem);
    return false;
  }
  source.settings = result.settings;
  source.state = EncodeState(result.settings);
  source.import = std::move(result);
  return true;
}
