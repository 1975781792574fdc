// Drawing the panel's steps with the window system: whole, for snapshots,
// or kept in a back buffer for a window, where each paint redraws only the
// areas whose steps changed and copies only the invalid part to the window.
#pragma once

#include <windows.h>

#include "editor/editor_resources.h"
#include "editor/panel_layout.h"
#include "editor/panel_scene.h"
#include "engine/data_model.h"

// Text colours.
constexpr COLORREF kLabelColour = RGB(188, 187, 182);
constexpr COLORREF kValueColour = RGB(217, 178, 124);
constexpr COLORREF kDimColour = RGB(128, 127, 122);

// [editor thread] Draws the whole panel into target for the model as it
// stands and the last pointer position (kNoPoint: nothing hovered). Only
// target's pixels change: every object made here is released and every
// selection undone before it returns. A missing skin bitmap leaves its
// parts undrawn; no copy reads outside a bitmap, whatever the model holds.
void ComposePanel(HDC target, const EditorResources& skin, const DataModel& model,
                  PanelPoint pointer);

// The five skin bitmaps, in SkinStrip order, with their own sizes read
// from the bitmaps.
struct SkinStrips {
  struct Strip {
    HBITMAP bitmap = nullptr;
    int32_t width = 0, height = 0;
  };
  Strip strip[5];

  static SkinStrips Of(const EditorResources& skin);
};

// One window's painter. It makes its objects (two memory contexts, the back
// buffer and two fonts) at its first paint and keeps them until Release,
// so a paint creates nothing. Between paints no skin bitmap stays selected,
// so the shared skin may be released and created again at any time.
class PanelPainter {
 public:
  PanelPainter() = default;
  ~PanelPainter() { Release(); }
  PanelPainter(const PanelPainter&) = delete;
  PanelPainter& operator=(const PanelPainter&) = delete;

  // [editor thread] Brings the back buffer to what view shows: only the
  // areas whose steps changed since the last call are redrawn; everything
  // is after a change of skin or size. width x height is the client area;
  // compatible is the window's paint context. False when nothing could be
  // drawn (no skin sheet, or no objects).
  bool Update(HDC compatible, int width, int height, const EditorResources& skin,
              const PanelView& view);
  // [editor thread] Copies area of the back buffer to the same place in
  // target.
  void CopyTo(HDC target, const RECT& area) const;
  // Frees every object; the next Update composes anew.
  void Release();

 private:
  bool Prepare(HDC compatible, int width, int height);

  HDC memory_ = nullptr;
  HDC source_ = nullptr;
  HBITMAP backBuffer_ = nullptr;
  HGDIOBJ keptBitmap_ = nullptr;
  HFONT valueFont_ = nullptr;
  HFONT smallFont_ = nullptr;
  int width_ = 0, height_ = 0;
  // What the back buffer shows; valid_ false when it shows nothing yet.
  bool valid_ = false;
  int skinGeneration_ = 0;
  SkinStrips strips_;
  PanelView shown_;
};
