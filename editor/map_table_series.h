// Fill series: the selected cells of one column filled with values that
// step up from the first selected one. The k-th selected row (k = 0 for the
// first, counting only selected rows) gets the first value plus k steps:
//
//   Keyswitch  notes up by `step` semitones, or by `step` white keys (from a
//              black key the first step goes to the white key above it);
//              every note keeps the first's velocity
//   Icon, UACC, Modwheel, Latency
//              numbers up by `step` (any whole step, 1 by default; latency
//              steps are milliseconds)
//   Name       numbered: "Legato" gives "Legato 1", "Legato 2", ...; a name
//              that ends in a number continues it ("Take 3", "Take 4"; "Shot
//              09", "Shot 10", leading zeros keep the width)
//
// A series that would pass the column's range (G8, 127, 1000 ms, a name of
// 255 characters, a number below 0) stops with a reason naming the slot and
// changes nothing. Outputs and whole rows take no series.
#pragma once

#include "editor/map_table_edits.h"

struct SeriesOptions {
  int step = 1;
  bool whiteKeys = false;  // Keyswitch: count white keys, not semitones
};

TableEdit FillSeries(const MapRows& rows, const TableSelection& selection,
                     const SeriesOptions& options = {});
