// The property every importer's fuzz target checks: a file is either refused
// with an error, or the settings it imports to survive export and import
// again unchanged and without a warning.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/maps/map_import.h"

using MapReader = bool (*)(const std::string&, ForeignMap&, ImportError&);
using MapWriter = std::string (*)(const PluginSettings&, const std::string&);

[[noreturn]] inline void Broken(const char* what, const std::string& detail,
                                const std::string& text) {
  std::fprintf(stderr, "round trip broken: %s: %s\n--- written ---\n%s\n", what, detail.c_str(),
               text.c_str());
  std::abort();
}

// `read` takes the fuzz input; `write` and `readBack` are the export format.
inline void CheckMapRoundTrip(const uint8_t* data, size_t size, const char* fileName,
                              MapReader read, MapWriter write, MapReader readBack) {
  ForeignMap map;
  ImportError error;
  if (!read(std::string(reinterpret_cast<const char*>(data), size), map, error)) return;
  if (map.banks.empty() || map.banks.front().articulations.empty())
    Broken("reader", "accepted a file without articulations", "");
  // A multi-bank file needs a choice; the first bank is as good as any.
  ImportResult first;
  if (!ImportForeignMap(map, fileName, {map.banks.size() > 1 ? map.banks.front().name : "", {}},
                        first, error))
    return;

  const std::string text = write(first.settings, "fuzz");
  ForeignMap again;
  if (!readBack(text, again, error))
    Broken("reading the export", error.where + ": " + error.message, text);
  ImportResult second;
  if (!ImportForeignMap(again, "export", {}, second, error))
    Broken("importing the export", error.message, text);
  if (!second.warnings.empty()) Broken("import warns", second.warnings.front(), text);
  const std::string difference = FirstDifference(first.settings, second.settings);
  if (!difference.empty()) Broken("settings differ", difference, text);
}
