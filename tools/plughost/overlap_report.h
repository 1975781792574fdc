// The summary lines that list notes of one key that overlap, as render,
// retarget and colour print them: how many, then where the first stand.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/render/bar_positions.h"
#include "tools/render/key_overlaps.h"

// Nothing when no notes overlap.
void PrintOverlappingNotes(const KeyOverlapSummary& overlaps, uint16_t division,
                           const std::vector<MetreChange>& metres, uint64_t endTick);
