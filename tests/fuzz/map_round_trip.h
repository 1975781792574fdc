// The property every importer's fuzz target checks: a file is either refused
// with an error, or the settings it imports to survive export and import
// again unchanged and without a warning (icons aside, where the export's
// format has no place for them).
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

// `read` takes the fuzz input; `write` and `readBack` are the export format,
// which keeps icons when `keepsIcons`.
inline void CheckMapRoundTrip(const uint8_t* data, size_t size, const char* fileName,
                              MapReader read, MapWriter write, MapReader readBack,
                              bool keepsIcons = true) {
  ForeignMap map;
  ImportError error;
  if (!read(std::string(reinterpret_cast<const char*>(data), size), map, error)) return;
  if (map.banks.empty()) Broken("reader", "accepted a file without banks", "");
  for (const ForeignBank& bank : map.banks)
    if (bank.articulations.empty() && bank.problem.empty())
      Broken("reader", "accepted a bank without articulations or a problem", bank.name);
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
  if (!keepsIcons)
    for (int i = 0; i < kSlotCount; ++i)
      second.settings.slots[i].icon = first.settings.slots[i].icon;
  const std::string difference = FirstDifference(first.settings, second.settings);
  if (!difference.empty()) Broken("settings differ", difference, text);
}
