// The standard articulation names of UACC, the CC 32 value a sample library
// selects an articulation by. One canonical name per value, unique: the
// group's word comes first where the published list repeats a word across
// groups ("long octave", "legato octave", "short octave"). Aliases add the
// names in brackets of the published list ("spiccato" = "very short" = 42,
// "con sordino" = "long muted" = 7).
#pragma once

#include <string_view>

// The canonical name of a value; nullptr for an unassigned value.
const char* UaccName(int value);

// The value of a canonical name or an alias, compared without regard to
// ASCII case, with runs of spaces, hyphens and underscores taken as one
// space; −1 for an unknown name.
int UaccValueForName(std::string_view name);
