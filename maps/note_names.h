// Note names as the plug-in's panel shows them: C-2 is note 0, C3 is note 60,
// G8 is note 127; sharps are written with '#'.
#pragma once

#include <string>
#include <string_view>

// "?" outside 0..127.
std::string NoteName(int note);

// Reads a note name: a letter A-G (either case), an optional '#' or 'b', and
// an octave from -2 to 8. False for anything else or outside 0..127.
bool ParseNoteName(std::string_view text, int& note);
