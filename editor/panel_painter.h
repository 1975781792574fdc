// Composition of the panel: everything the editor's paint draws, into a
// memory context holding the back buffer. Shared by the window's paint and
// by snapshots, so both show the same pixels.
#pragma once

#include <windows.h>

#include "editor/editor_resources.h"
#include "editor/panel_layout.h"
#include "engine/data_model.h"

// Settings page texts. The credits start on the line below the title.
extern const char kPanelTitle[];
extern const char kPanelCredits[];

// Text colours.
constexpr COLORREF kLabelColour = RGB(188, 187, 182);
constexpr COLORREF kValueColour = RGB(217, 178, 124);
constexpr COLORREF kDimColour = RGB(128, 127, 122);

// [editor thread] Draws the whole panel into target for the model as it
// stands and the last pointer position (kNoPoint: nothing hovered). Only
// target's pixels change: the source context, the per-paint fonts and every
// selection made here are undone before it returns. A missing skin bitmap
// leaves its parts undrawn; no copy reads outside a bitmap, whatever the
// model holds.
void ComposePanel(HDC target, const EditorResources& skin, const DataModel& model,
                  PanelPoint pointer);
