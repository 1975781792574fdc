// Feeds arbitrary bytes to the map file reader. Each input must give either
// a clear error (a message that quotes the file only readably, the settings
// untouched) or settings that write as a map and read back the same, with
// every value the file gave kept exactly: nothing truncated, clamped or
// wrapped. That last check reads the written map as plain JSON, apart from
// how the reader stores values.
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "maps/map_file.h"
#include "engine/note_names.h"
#include "maps/text_file.h"

using Json = nlohmann::json;

namespace {

[[noreturn]] void Broken(const std::string& what, const std::string& detail) {
  std::fprintf(stderr, "map reader property broken: %s: %s\n", what.c_str(), detail.c_str());
  std::abort();
}

PluginSettings Marked() {
  PluginSettings s;
  s.port = 77;
  s.slots[3].name = "before";
  return s;
}

void CheckRefusal(const MapError& error, const PluginSettings& after) {
  if (error.message.empty()) Broken("an error without a message", error.field);
  if (ReadableText(error.message) != error.message || ReadableText(error.field) != error.field)
    Broken("raw bytes in an error", error.field + ": " + error.message);
  if (!(after == Marked())) Broken("a refused map changed the settings", error.message);
}

const Json* WrittenSlot(const Json& written, const Json& number) {
  for (const Json& entry : written.at("slots"))
    if (entry.at("slot") == number) return &entry;
  return nullptr;
}

// A slot the written map leaves out is an empty one.
Json EmptySlotValue(const std::string& key) {
  if (key == "name") return "";
  if (key == "icon") return kDefaultIcon;
  return nullptr;
}

void CheckSlotsKept(const Json& given, const Json& written) {
  for (const Json& entry : given) {
    const Json* out = WrittenSlot(written, entry.at("slot"));
    for (const auto& [key, value] : entry.items()) {
      if (key == "slot") continue;
      Json expected = value;
      if (key == "keyswitch" && value.is_number()) expected = NoteName(value.get<int>());
      if (key == "keyswitch" && value.is_string()) {
        int note = -1;
        ParseNoteName(value.get<std::string>(), note);
        expected = NoteName(note);
      }
      const Json kept = out ? out->value(key, Json()) : EmptySlotValue(key);
      if (kept != expected) Broken("slot value not kept", entry.dump() + " -> " + kept.dump());
    }
  }
}

void CheckValuesKept(const Json& given, const Json& written) {
  for (const auto& [key, value] : given.items()) {
    if (key == "slots") {
      CheckSlotsKept(value, written);
    } else if (value.is_object()) {
      for (const auto& [inner, innerValue] : value.items())
        if (written.at(key).at(inner) != innerValue)
          Broken("value not kept", key + "." + inner + " " + innerValue.dump());
    } else if (written.at(key) != value) {
      Broken("value not kept", key + " " + value.dump() + " -> " + written.at(key).dump());
    }
  }
}

void CheckRoundTrip(const std::vector<uint8_t>& bytes, const PluginSettings& settings) {
  std::string text, again;
  MapError error;
  if (!FormatArticulationMap(settings, text, error))
    Broken("a map that was read cannot be written", error.field + ": " + error.message);
  PluginSettings reread;
  if (!ParseArticulationMap(text, reread, error))
    Broken("a written map cannot be read", error.field + ": " + error.message);
  if (!(reread == settings)) Broken("read, write, read changed", FirstDifference(settings, reread));
  if (!FormatArticulationMap(reread, again, error) || again != text)
    Broken("writing is not repeatable", text);

  std::string decoded, problem;
  if (!DecodeTextFile(bytes, decoded, problem)) Broken("read, but not decodable", problem);
  CheckValuesKept(Json::parse(decoded), Json::parse(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  PluginSettings settings = Marked();
  MapError error;
  if (!ParseMapFile(bytes, settings, error)) {
    CheckRefusal(error, settings);
    return 0;
  }
  CheckRoundTrip(bytes, settings);
  return 0;
}
