// Skin bitmaps, label font and note names shared by every editor of the
// process: created by the first live instance, released by the last.
#pragma once

#include <windows.h>

#include "engine/note_names.h"

struct EditorResources {
  HBITMAP background = nullptr;  // 101: panel and sprites
  HBITMAP knobs = nullptr;       // 103
  HBITMAP switches = nullptr;    // 105
  HBITMAP slider = nullptr;      // 104
  HBITMAP icons = nullptr;       // 106
  HFONT labelFont = nullptr;
  NoteNameTable noteNames{};
};

// Resource ids linked into the module.
enum SkinResource : int {
  kEditorDialog = 100,
  kBackgroundBitmap = 101,
  kKnobBitmap = 103,
  kSliderBitmap = 104,
  kSwitchBitmap = 105,
  kIconBitmap = 106,
};

constexpr char kSkinFontFile[] = "Artwork\\Fonts\\Cuprum\\Cuprum.ttf";
constexpr char kSkinFontFace[] = "Cuprum";

void CreateEditorResources(HINSTANCE module);
void ReleaseEditorResources();
// The process's resources; all handles null while none exist.
const EditorResources& SharedEditorResources();
// How many times the resources were created since the process started
// (lets tests see that a later instance created them anew).
int EditorResourceGeneration();

// A font of the skin's face with the given cell height.
HFONT CreateSkinFont(int cellHeight);
