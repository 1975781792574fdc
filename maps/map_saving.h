// Taking the plug-in's map back out: as our JSON map (for the clipboard or
// a file) or in another program's format, with the export's item-by-item
// warnings. Platform-neutral: the state's bytes in, text and a message out;
// writing the file is the caller's. Nothing here throws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "maps/map_loading.h"

// The map of a state (the bytes a save writes) as our JSON map text.
bool MapJsonText(const std::vector<uint8_t>& state, std::string& text,
                 MapLoadReport& report) noexcept;

// The text of `outName` in the format its extension names (our JSON map
// for ".json"). The report's summary says what a successful write of the
// text means ("Saved 12 slots to strings.reabank as a Reaticulate bank
// (.reabank); 2 warnings"); its lines are the export's, item by item. On
// failure `text` is unchanged and the summary says why.
bool MapTextForSave(const std::vector<uint8_t>& state, const std::string& outName,
                    std::string& text, MapLoadReport& report) noexcept;
