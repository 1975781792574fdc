// The panel as pixels, through the painter's own composition: for
// screenshots, documentation and pixel tests.
#pragma once

#include <windows.h>

#include <cstdint>

#include "editor/editor_resources.h"
#include "editor/editor_window.h"

constexpr int kSnapshotSize = 240;
constexpr int kSnapshotPixels = kSnapshotSize * kSnapshotSize;

// [editor thread] Composes the panel for model and pointer with the given
// skin into pixels: 240 x 240, top row first, each 0x00RRGGBB. False, with
// pixels untouched, when the skin has no background sheet (the editor then
// paints nothing either) or a context or bitmap could not be made.
bool RenderPanelPixels(const EditorResources& skin, const DataModel& model, PanelPoint pointer,
                       uint32_t* pixels);

// [editor thread] The panel of an editor as its next paint would show it,
// with the process's shared skin.
bool RenderPanelSnapshot(const EditorWindow& editor, uint32_t* pixels);
