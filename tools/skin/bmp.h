// Windows bitmap files as the resource compiler takes them, and checks of
// what the build produced.
#pragma once

#include <string>

#include "canvas.h"

namespace skin {

// Uncompressed (BI_RGB) bitmap, rows bottom-up. 24-bit rows are padded to a
// multiple of four bytes; 32-bit pixels carry 255 in the unused fourth byte.
bool writeBmp(const std::string& path, const Image& image, int bitsPerPixel);

// Empty when the file is a BI_RGB bitmap of exactly this size and depth,
// otherwise what is wrong with it.
std::string checkBmp(const std::string& path, int width, int height, int bitsPerPixel);

// Empty when the compiled resource file (.res) holds what the editor loads:
// dialog 100 as an extended template (version 1) with WS_POPUP | DS_SETFONT,
// WS_EX_TRANSPARENT, 160 x 147 units at (0, 0), no menu, class, caption or
// controls, font "Calibri" 8 points, weight 400, upright, character set 0;
// and bitmaps 101, 103, 104, 105, 106 of their sizes and depths.
std::string checkResources(const std::string& path);

}  // namespace skin
