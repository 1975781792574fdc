// The property every importer's fuzz target checks: a file is either refused
// with an error, or the settings it imports survive export and import again
// without a warning: names, keyswitches, UACC and modwheel values unchanged
// (icons aside, where the export's format has no place for them), and the
// additions unchanged unless the export names what its format cannot hold.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "maps/formats/export_items.h"
#include "maps/map_formats.h"
#include "maps/map_import.h"

using MapReader = bool (*)(const std::string&, ForeignMap&, ImportError&);
using MapWriter = std::string (*)(const PluginSettings&, const std::string&, ExportLosses*);

[[noreturn]] inline void Broken(const char* what, const std::string& detail,
                                const std::string& text) {
  std::fprintf(stderr, "round trip broken: %s: %s\n--- written ---\n%s\n", what, detail.c_str(),
               text.c_str());
  std::abort();
}

// `read` takes the fuzz input; `write` and `readBack` are the export format,
// which keeps icons when `keepsIcons`; `exportName` names a file of it.
inline void CheckMapRoundTrip(const uint8_t* data, size_t size, const char* fileName,
                              MapReader read, MapWriter write, MapReader readBack,
                              const char* exportName, bool keepsIcons = true) {
  ForeignMap map;
  ImportError error;
  if (!read(std::string(reinterpret_cast<const char*>(data), size), map, error)) return;
  if (map.banks.empty()) Broken("reader", "accepted a file without banks", "");
  for (const ForeignBank& bank : map.banks)
    if (bank.articulations.empty() && bank.problem.empty())
      Broken("reader", "accepted a bank without articulations or a problem", bank.name);
  // A multi-bank file needs a choice; the first bank is as good as any.
  ImportResult first;
  if (!ImportForeignMap(map, fileName, {map.banks.size() > 1 ? "1" : "", {}}, first, error)) return;

  const std::string text = write(first.settings, "fuzz", nullptr);
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
  PluginSettings withoutAdditions = second.settings;
  for (int i = 0; i < kSlotCount; ++i)
    withoutAdditions.slots[i].additions = first.settings.slots[i].additions;
  const std::string difference = FirstDifference(first.settings, withoutAdditions);
  if (!difference.empty()) Broken("settings differ", difference, text);
  bool same = true;
  for (int i = 0; i < kSlotCount; ++i)
    same = same && first.settings.slots[i].additions == second.settings.slots[i].additions;
  if (same) return;
  std::string exported, problem;
  std::vector<std::string> losses, notes;
  if (!ExportForeignMap(exportName, first.settings, exported, losses, notes, problem))
    Broken("export refuses", problem, text);
  if (losses.empty()) Broken("additions lost without a warning", "", text);
}
