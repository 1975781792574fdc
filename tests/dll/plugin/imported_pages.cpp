#include "tests/dll/plugin/imported_pages.h"

#include <algorithm>

#include "maps/factory_library.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"
#include "tools/plughost/settings_source.h"
#include "maps/state_bytes.h"

std::vector<ImportedPage> ImportedPages(const std::string& name, const std::string& text,
                                        const std::vector<uint8_t>& before, std::string& error) {
  PluginSettings base;
  if (!DecodeState(before, base, error)) return {};
  ForeignMap map;
  ImportError problem;
  if (!ReadForeignMap(name, std::vector<uint8_t>(text.begin(), text.end()), map, problem)) {
    error = problem.where + ": " + problem.message;
    return {};
  }
  std::vector<ImportedPage> pages;
  for (size_t b = 0; b < map.banks.size(); ++b) {
    if (!map.banks[b].problem.empty()) continue;
    std::vector<std::string> visible;
    for (size_t a = 0; a < map.banks[b].articulations.size(); ++a)
      if (!map.banks[b].articulations[a].hidden) visible.push_back(std::to_string(a + 1));
    const size_t count = std::max<size_t>(1, (visible.size() + 15) / 16);
    for (size_t p = 0; p < count; ++p) {
      ImportChoice choice{std::to_string(b + 1), {}};
      if (visible.size() > 16) {
        const auto first = visible.begin() + static_cast<ptrdiff_t>(16 * p);
        choice.pick.assign(
            first, first + static_cast<ptrdiff_t>(std::min<size_t>(16, visible.size() - 16 * p)));
      }
      ImportResult result;
      if (!ImportForeignMap(map, name, choice, result, problem)) {
        error = "bank " + std::to_string(b + 1) + ": " + problem.message;
        return {};
      }
      PluginSettings loaded = base;
      loaded.slots = result.settings.slots;
      pages.push_back({static_cast<int32_t>(b), static_cast<int32_t>(p), EncodeState(loaded)});
    }
  }
  return pages;
}

std::vector<uint8_t> FactoryMapState(size_t index, const std::vector<uint8_t>& before,
                                     std::string& error) {
  PluginSettings base;
  if (!DecodeState(before, base, error)) return {};
  std::string json;
  if (!FactoryMapText(index, json, error)) return {};
  SettingsSource source;
  if (!ReadSettingsSource(FactoryMapAt(index).name, std::vector<uint8_t>(json.begin(), json.end()),
                          source, error))
    return {};
  if (source.kind != MapFileKind::OurMap) {
    error = "not read as a map";
    return {};
  }
  base.slots = source.settings.slots;
  return EncodeState(base);
}

std::string StateDifference(const std::vector<uint8_t>& wanted, const std::vector<uint8_t>& got) {
  PluginSettings a, b;
  std::string error;
  if (!DecodeState(wanted, a, error)) return "wanted: " + error;
  if (!DecodeState(got, b, error)) return "got: " + error;
  const std::string difference = FirstDifference(a, b);
  return difference.empty() && wanted != got ? "the same settings, other bytes" : difference;
}
