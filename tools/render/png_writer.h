// Encodes pictures as PNG: 8-bit RGB, no interlace, deflated with zlib.
#pragma once

#include <cstdint>
#include <vector>

// rgb holds width * height pixels, three bytes each, rows top to bottom.
std::vector<uint8_t> EncodePng(int width, int height, const std::vector<uint8_t>& rgb);
