// When two articulation names count as the same: a name typed on the
// command line (--pick, --bank) against a file's, or one map's slot against
// another's (retarget --match names). ASCII case and blanks do not matter
// ("Col legno", "col  legno", "ColLegno"); everything else, letters beyond
// ASCII and punctuation included, must agree.
#pragma once

#include <string>

// The name as it is compared: every blank removed, ASCII letters lower case.
std::string FoldedName(const std::string& name);

bool SameName(const std::string& a, const std::string& b);
