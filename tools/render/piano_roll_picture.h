// Draws a piano roll as a picture: time in bars along the width, keys along
// the height, each note a bar in its slot's colour (the editor's slot
// colours), a legend of the slots that play with their names, and the
// switching messages as ticks along the bottom. The width grows with the
// bars up to a limit, so a five-minute piece keeps a few pixels per beat.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/render/piano_roll.h"

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // width * height pixels, three bytes each, rows top down
};

// `names` are the slots' names as the plug-in keeps them (Windows-1252
// bytes; characters beyond ASCII are drawn as '?'); an empty name is shown
// as "Articulation N", as the editor shows it.
Picture DrawPianoRoll(const PianoRoll& roll, const std::array<std::string, 16>& names,
                      const std::string& title);
