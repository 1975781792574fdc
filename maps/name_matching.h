// When two articulation names count as the same: a name typed on the
// command line (--pick, --bank, factory:NAME) against a file's, or one map's
// slot against another's (retarget --match names). Case of ASCII letters and
// blanks (spaces, tabs, no-break and other Unicode spaces) do not matter
// ("Col legno", "col  legno", "ColLegno"), and every dash is a hyphen: an en
// dash, an em dash or a minus sign matches the "-" a keyboard types
// ("1–16", "1-16"). Everything else, letters beyond ASCII and other
// punctuation included, must agree.
#pragma once

#include <string>

// The name as it is compared: every blank removed, ASCII letters lower
// case, every dash "-". The text is read as UTF-8; a byte of no UTF-8
// sequence is kept as it is.
std::string FoldedName(const std::string& name);

bool SameName(const std::string& a, const std::string& b);
