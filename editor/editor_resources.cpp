#include "editor/editor_resources.h"

namespace {
EditorResources g_resources;
int g_generation = 0;

HBITMAP LoadSkinBitmap(HINSTANCE module, int id) {
  return static_cast<HBITMAP>(
      LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

void DeleteHandle(HGDIOBJ& handle) {
  if (handle) DeleteObject(handle);
  handle = nullptr;
}
}  // namespace

HFONT CreateSkinFont(int cellHeight) {
  return CreateFontA(cellHeight, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH,
                     kSkinFontFace);
}

void CreateEditorResources(HINSTANCE module) {
  // Registered for this process only; the panel still paints with a
  // substitute face when the file is missing.
  AddFontResourceExA(kSkinFontFile, FR_PRIVATE, nullptr);
  g_resources.labelFont = CreateSkinFont(16);
  g_resources.background = LoadSkinBitmap(module, kBackgroundBitmap);
  g_resources.knobs = LoadSkinBitmap(module, kKnobBitmap);
  g_resources.switches = LoadSkinBitmap(module, kSwitchBitmap);
  g_resources.slider = LoadSkinBitmap(module, kSliderBitmap);
  g_resources.icons = LoadSkinBitmap(module, kIconBitmap);
  g_resources.noteNames = BuildNoteNameTable();
  ++g_generation;
}

void ReleaseEditorResources() {
  HGDIOBJ handles[] = {g_resources.background, g_resources.knobs, g_resources.switches,
                       g_resources.slider,     g_resources.icons, g_resources.labelFont};
  for (HGDIOBJ& handle : handles) DeleteHandle(handle);
  g_resources = EditorResources{};
}

const EditorResources& SharedEditorResources() { return g_resources; }
int EditorResourceGeneration() { return g_generation; }
