#include "editor/panel_snapshot.h"

#include <cstring>

#include "editor/panel_painter.h"

bool RenderPanelPixels(const EditorResources& skin, const DataModel& model, PanelPoint pointer,
                       uint32_t* pixels) {
  if (!skin.background || !pixels) return false;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kSnapshotSize;
  info.bmiHeader.biHeight = -kSnapshotSize;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP buffer = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool done = false;
  if (memory && buffer && bits) {
    HGDIOBJ kept = SelectObject(memory, buffer);
    ComposePanel(memory, skin, model, pointer);
    GdiFlush();
    const auto* source = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < kSnapshotPixels; ++i) pixels[i] = source[i] & 0x00FFFFFFu;
    if (kept && kept != HGDI_ERROR) SelectObject(memory, kept);
    done = true;
  }
  if (buffer) DeleteObject(buffer);
  if (memory) DeleteDC(memory);
  if (screen) ReleaseDC(nullptr, screen);
  return done;
}

bool RenderPanelSnapshot(const EditorWindow& editor, uint32_t* pixels) {
  return RenderPanelPixels(SharedEditorResources(), editor.model(), editor.dragState().pointerPoint,
                           pixels);
}
