// Dorico libraries (.doricolib), read only: root <kScoreLibrary>, holding
// expression maps under expressionMapDefinitions/entities. Each map with at
// least one playing technique combination becomes one bank named by the
// map's name; each combination an articulation, named by its name or else
// by its technique ids.
//
// What the reader keeps besides name and outputs:
// - outputs: the switch-on actions in order: kKeySwitch (note, velocity) as a
//   note, kControlChange (controller, value) as a CC, kProgramChange as a
//   program change, any other type as Other.
// - iconName: none; the format names techniques, not symbols.
// - extras: every switch-off action and a transpose other than 0.
#pragma once

#include <string>

#include "maps/foreign_map.h"

bool ReadDoricoLibrary(const std::string& text, ForeignMap& map, ImportError& error);
