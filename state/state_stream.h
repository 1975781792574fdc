// The versioned settings stream the host keeps in its project. Version 5 is
// written; versions 1 to 5 are read with their conversions.
#pragma once

#include "engine/data_model.h"
#include "engine/editor_repaint.h"
#include "state/byte_stream.h"

constexpr int32_t kStateVersion = 5;

// Writes the current settings; changes nothing. Out of memory, it throws
// before the first write.
void SaveState(const DataModel& model, ByteStream& out);

// Resets to defaults, reads whatever version the stream holds, asks for a
// whole-panel repaint (when repaint is non-null) and ends the instance's
// fresh state. Sends nothing. Out of memory, it throws before it reads or
// changes anything.
void LoadState(DataModel& model, ByteStream& in, EditorRepaint* repaint);
