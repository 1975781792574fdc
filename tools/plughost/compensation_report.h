// The summary lines of a render or colouring that moved notes by their
// slots' latencies, and of a render's lead.
#pragma once

#include "maps/plugin_settings.h"
#include "tools/render/render_session.h"

// Render and retarget: the notes moved earlier, slot by slot, those the
// file's start stopped short, and what the lead did.
void PrintRenderCompensation(const RenderSummary& summary, const PluginSettings& settings);
// Colour: the notes moved back later, and those that could not be.
void PrintColourCompensation(const CompensationSummary& summary, const PluginSettings& settings);
