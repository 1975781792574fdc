// PNG previews for reviewing the artwork: the bitmaps themselves, an icon
// chart, and mock-ups of the three pages composed the way the editor paints
// them (sprites copied opaquely, text in the panel's face).
#pragma once

#include <string>

#include "skin.h"

namespace skin {

// Writes the previews into `dir`; returns false when a file could not be written.
bool writePreviews(const Sheets& sheets, const std::string& dir);

}  // namespace skin
