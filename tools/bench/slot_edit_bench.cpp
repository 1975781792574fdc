// How long an edit of the map table takes from its commit to the slots
// applied: MapLoader::ReplaceSlots, the path every table edit takes (the
// instance's state saved and decoded, the slots replaced, the new state read
// aside and published in one step). Three kinds of edit, each repeated: one
// cell (a keyswitch stepped up), one row (a slot's every value), and the
// whole table (a paste or an undo of all sixteen rows); the slots start as a
// full map with actions, so every step carries the additions' block.
//
//   slot_edit_bench [--edits N]
//
// Target: the worst single edit well under 1 ms.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/data_model.h"
#include "maps/map_loader.h"
#include "tools/bench/bench_clock.h"

namespace {

SlotSettingsArray FullMap(int shift) {
  SlotSettingsArray slots;
  for (int k = 0; k < kSlotCount; ++k) {
    SlotSettings& s = slots[k];
    s.name = "Articulation " + std::to_string(k + 1 + shift);
    s.icon = (k + shift) % 128;
    s.keyswitch = (24 + k + shift) % 128;
    s.uacc = (k * 5 + shift) % 128;
    s.modwheel = (k * 7 + shift) % 128;
    s.additions.keyswitchVelocity = static_cast<uint8_t>(100 + k);
    s.additions.latencyMs = static_cast<uint16_t>(k * 10);
    s.additions.actionCount = 4;
    for (int a = 0; a < 4; ++a) {
      s.additions.actions[a] = {ActionKind::kControlChange, static_cast<uint8_t>(a + 1),
                                static_cast<uint8_t>(58 + a),
                                static_cast<uint16_t>((k + shift) % 128)};
    }
  }
  return slots;
}

struct Times {
  std::vector<double> micros;
  void Add(double from, double to) { micros.push_back((to - from) * 1e6); }
  void Print(const char* what) {
    std::printf("%-34s %8zu edits  median %8.1f us  worst %8.1f us\n", what, micros.size(),
                bench::Median(micros), *std::max_element(micros.begin(), micros.end()));
  }
};

}  // namespace

int main(int argc, char** argv) {
  int edits = 2000;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--edits") == 0 && i + 1 < argc) {
      edits = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: slot_edit_bench [--edits N]\n");
      return 2;
    }
  }
  DataModel model;
  MapLoader loader(model, nullptr);
  std::string error;
  SlotSettingsArray slots = FullMap(0);
  if (!loader.ReplaceSlots(slots, error)) {
    std::fprintf(stderr, "slot_edit_bench: %s\n", error.c_str());
    return 1;
  }
  Times cell, row, table;
  for (int i = 0; i < edits; ++i) {
    slots[i % kSlotCount].keyswitch = (slots[i % kSlotCount].keyswitch + 1) % 128;
    double t0 = bench::Now();
    bool ok = loader.ReplaceSlots(slots, error);
    cell.Add(t0, bench::Now());

    slots[(i + 5) % kSlotCount] = FullMap(i + 1)[(i + 5) % kSlotCount];
    t0 = bench::Now();
    ok = ok && loader.ReplaceSlots(slots, error);
    row.Add(t0, bench::Now());

    slots = FullMap(i % 2 == 0 ? 7 : 0);
    t0 = bench::Now();
    ok = ok && loader.ReplaceSlots(slots, error);
    table.Add(t0, bench::Now());
    if (!ok) {
      std::fprintf(stderr, "slot_edit_bench: %s\n", error.c_str());
      return 1;
    }
  }
  // What was applied is what was asked for, or the times mean nothing.
  SlotSettingsArray now;
  if (!loader.CurrentSlots(now, error) || now != slots) {
    std::fprintf(stderr, "slot_edit_bench: the slots applied differ from the slots edited\n");
    return 1;
  }
  cell.Print("one cell (keyswitch + 1)");
  row.Print("one row (every value of a slot)");
  table.Print("whole table (16 rows, a paste)");
  return 0;
}
