#include "tools/plughost/overlap_report.h"

#include <cstdio>

#include "maps/counted.h"
#include "tools/plughost/console_text.h"

void PrintOverlappingNotes(const KeyOverlapSummary& overlaps, uint16_t division,
                           const std::vector<MetreChange>& metres, uint64_t endTick) {
  if (overlaps.count == 0) return;
  Print(
      "  overlapping:       %s began while a note of their key sounded on their channel; the "
      "next note-off of that key ends them together (track, bar:beat):\n",
      Counted(overlaps.count, "note").c_str());
  const BarPositions bars(division, metres, endTick);
  for (const PlacedNote& note : overlaps.first)
    Print("    track %d, %s\n", note.track + 1, bars.Where(note.tick).c_str());
  if (overlaps.count > static_cast<int>(overlaps.first.size()))
    Print("    and %d more\n", overlaps.count - static_cast<int>(overlaps.first.size()));
}
