// What plughost tells a user who names an articulation an import left out
// (retarget's --match names, say): which articulation of the file it is,
// why it was left out, and the pick that would take it.
#pragma once

#include <string>
#include <vector>

#include "maps/map_import.h"

// Numbers as a --pick list, runs of three or more as ranges: "1-15,17".
std::string PickListText(const std::vector<size_t>& numbers);

// When `name` names no slot but an articulation the import left out: says
// so, with its number in `fileName` and the pick (`pickOption`) that takes
// it, such as "\"Long\" is articulation 17 of to.reabank, beyond the 16
// taken; take it with --to-pick, such as --to-pick 1-15,17". Empty when no
// left-out articulation has that name.
std::string LeftOutExplanation(const ImportResult& result, const std::string& name,
                               const std::string& fileName, const std::string& pickOption);
