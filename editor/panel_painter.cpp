#include "editor/panel_painter.h"

#include <cstdlib>

namespace {

SkinStrips::Strip Measure(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return {};
  return {bitmap, info.bmWidth, std::abs(info.bmHeight)};
}

// What drawing steps needs: the target with the back buffer, a memory
// context to copy skin rectangles from, the skin and the three fonts.
struct Canvas {
  HDC target = nullptr;
  HDC source = nullptr;
  SkinStrips strips;
  HFONT fonts[3] = {};  // in PanelFont order

  Canvas(HDC target, HDC source, const SkinStrips& strips, HFONT labelFont, HFONT valueFont,
         HFONT smallFont)
      : target(target), source(source), strips(strips), fonts{labelFont, valueFont, smallFont} {}
};

COLORREF ColourOf(TextColour colour) {
  switch (colour) {
    case TextColour::kValue:
      return kValueColour;
    case TextColour::kDim:
      return kDimColour;
    case TextColour::kLabel:
      break;
  }
  return kLabelColour;
}

UINT FormatOf(TextLayout layout) {
  switch (layout) {
    case TextLayout::kCentred:
      return DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP;
    case TextLayout::kLineUnclipped:
      return DT_SINGLELINE | DT_NOCLIP;
    case TextLayout::kRightWrapped:
      return DT_RIGHT | DT_WORDBREAK;
    case TextLayout::kLine:
      break;
  }
  return DT_SINGLELINE;
}

// Draws, inside area only, every step of the scene that can reach it, in
// order. Copies are cut to the area and to their strip; texts are clipped
// to the area. Leaves the source context with its own bitmap and the
// target with its own font and no clip region.
class StepPainter {
 public:
  explicit StepPainter(const Canvas& canvas) : canvas_(canvas) {}
  ~StepPainter() {
    if (keptSource_) SelectObject(canvas_.source, keptSource_);
    if (keptFont_) SelectObject(canvas_.target, keptFont_);
    if (clipped_) SelectClipRgn(canvas_.target, nullptr);
  }
  StepPainter(const StepPainter&) = delete;
  StepPainter& operator=(const StepPainter&) = delete;

  void Draw(const PanelScene& scene, const PanelRect& area) {
    // Texts of an earlier area left its clip region.
    if (clipped_) SelectClipRgn(canvas_.target, nullptr);
    clipped_ = false;
    // What lies under the last copy that fills the whole area never shows.
    int32_t first = 0;
    for (int32_t i = 0; i < scene.count; ++i) {
      const PanelStep& step = scene.steps[i];
      if (step.kind == PanelStep::kCopy && Contains(CopiedArea(step), area)) first = i;
    }
    for (int32_t i = first; i < scene.count; ++i) {
      const PanelStep& step = scene.steps[i];
      if (!Intersects(StepBounds(step), area)) continue;
      if (step.kind == PanelStep::kCopy) {
        Copy(step, area);
      } else {
        Text(step, area);
      }
    }
  }

 private:
  // Where a copy puts pixels: its source rectangle cut to the strip, moved
  // to its destination. Empty when the strip is missing.
  PanelRect CopiedArea(const PanelStep& step) const {
    const SkinStrips::Strip& strip = canvas_.strips.strip[static_cast<int>(step.strip)];
    if (!strip.bitmap) return {0, 0, 0, 0};
    const PanelRect source = Intersection(
        {step.from.x, step.from.y, step.from.x + step.width, step.from.y + step.height},
        {0, 0, strip.width, strip.height});
    if (IsEmpty(source)) return source;
    const int32_t dx = step.to.x - step.from.x, dy = step.to.y - step.from.y;
    return {source.left + dx, source.top + dy, source.right + dx, source.bottom + dy};
  }

  void Copy(const PanelStep& step, const PanelRect& area) {
    const SkinStrips::Strip& strip = canvas_.strips.strip[static_cast<int>(step.strip)];
    const PanelRect to = Intersection(CopiedArea(step), area);
    if (IsEmpty(to) || !Select(strip)) return;
    const int32_t dx = step.to.x - step.from.x, dy = step.to.y - step.from.y;
    BitBlt(canvas_.target, to.left, to.top, to.width(), to.height(), canvas_.source, to.left - dx,
           to.top - dy, SRCCOPY);
  }

  void Text(const PanelStep& step, const PanelRect& area) {
    if (!clipped_) {
      IntersectClipRect(canvas_.target, area.left, area.top, area.right, area.bottom);
      clipped_ = true;
    }
    if (!transparent_) {
      SetBkMode(canvas_.target, TRANSPARENT);
      transparent_ = true;
    }
    HFONT font = canvas_.fonts[static_cast<int>(step.font)];
    if (font && font != font_) {
      HGDIOBJ previous = SelectObject(canvas_.target, font);
      if (previous && previous != HGDI_ERROR) {
        if (!keptFont_) keptFont_ = previous;
        font_ = font;
      }
    }
    SetTextColor(canvas_.target, ColourOf(step.colour));
    RECT rect{step.rect.left, step.rect.top, step.rect.right, step.rect.bottom};
    DrawTextA(canvas_.target, step.text, step.length, &rect, FormatOf(step.layout));
  }

  bool Select(const SkinStrips::Strip& strip) {
    if (!canvas_.source || !strip.bitmap) return false;
    if (selected_ == strip.bitmap) return true;
    HGDIOBJ previous = SelectObject(canvas_.source, strip.bitmap);
    if (!previous || previous == HGDI_ERROR) return false;
    if (!keptSource_) keptSource_ = previous;
    selected_ = strip.bitmap;
    return true;
  }

  const Canvas& canvas_;
  HGDIOBJ keptSource_ = nullptr;
  HGDIOBJ keptFont_ = nullptr;
  HBITMAP selected_ = nullptr;
  HFONT font_ = nullptr;
  bool transparent_ = false;
  bool clipped_ = false;
};

}  // namespace

SkinStrips SkinStrips::Of(const EditorResources& skin) {
  return {{Measure(skin.background), Measure(skin.icons), Measure(skin.knobs), Measure(skin.slider),
           Measure(skin.switches)}};
}

void ComposePanel(HDC target, const EditorResources& skin, const DataModel& model,
                  PanelPoint pointer) {
  const PanelView view = ViewOf(model, pointer, skin.noteNames);
  PanelScene scene;
  BuildScene(view, scene);
  HDC source = CreateCompatibleDC(target);
  HFONT valueFont = CreateSkinFont(FontCellHeight(PanelFont::kValue));
  HFONT smallFont = CreateSkinFont(FontCellHeight(PanelFont::kSmall));
  {
    const Canvas canvas(target, source, SkinStrips::Of(skin), skin.labelFont, valueFont, smallFont);
    StepPainter(canvas).Draw(scene, {0, 0, panel::kSize, panel::kSize});
  }
  if (source) DeleteDC(source);
  if (valueFont) DeleteObject(valueFont);
  if (smallFont) DeleteObject(smallFont);
}

bool PanelPainter::Prepare(HDC compatible, int width, int height) {
  if (!memory_) memory_ = CreateCompatibleDC(compatible);
  if (!source_) source_ = CreateCompatibleDC(compatible);
  if (!valueFont_) valueFont_ = CreateSkinFont(FontCellHeight(PanelFont::kValue));
  if (!smallFont_) smallFont_ = CreateSkinFont(FontCellHeight(PanelFont::kSmall));
  if (!memory_ || !source_) return false;
  if (backBuffer_ && width == width_ && height == height_) return true;

  // A new size: a new back buffer, composed whole.
  if (backBuffer_) {
    SelectObject(memory_, keptBitmap_);
    DeleteObject(backBuffer_);
    backBuffer_ = nullptr;
  }
  valid_ = false;
  backBuffer_ = CreateCompatibleBitmap(compatible, width, height);
  if (!backBuffer_) return false;
  HGDIOBJ previous = SelectObject(memory_, backBuffer_);
  if (!previous || previous == HGDI_ERROR) {
    DeleteObject(backBuffer_);
    backBuffer_ = nullptr;
    return false;
  }
  keptBitmap_ = previous;
  width_ = width;
  height_ = height;
  return true;
}

bool PanelPainter::Update(HDC compatible, int width, int height, const EditorResources& skin,
                          const PanelView& view) {
  if (!skin.background || width <= 0 || height <= 0) return false;
  if (!Prepare(compatible, width, height)) return false;
  // The shared skin may have been released and made again since the last
  // paint: the buffer then shows bitmaps that are gone.
  if (skinGeneration_ != EditorResourceGeneration() || strips_.strip[0].bitmap != skin.background) {
    valid_ = false;
    skinGeneration_ = EditorResourceGeneration();
    strips_ = SkinStrips::Of(skin);
  }

  PanelScene next;
  BuildScene(view, next);
  const PanelRect buffer{0, 0, width_, height_};
  PanelAreas areas;
  if (valid_) {
    PanelScene before;
    BuildScene(shown_, before);
    areas = ChangedAreas(before, next);
  } else {
    areas.Add(buffer);
  }
  {
    const Canvas canvas(memory_, source_, strips_, skin.labelFont, valueFont_, smallFont_);
    StepPainter painter(canvas);
    for (int32_t i = 0; i < areas.count; ++i) {
      const PanelRect area = Intersection(areas.area[i], buffer);
      if (!IsEmpty(area)) painter.Draw(next, area);
    }
  }
  shown_ = view;
  valid_ = true;
  return true;
}

void PanelPainter::CopyTo(HDC target, const RECT& area) const {
  if (!memory_ || !backBuffer_) return;
  BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, memory_,
         area.left, area.top, SRCCOPY);
}

void PanelPainter::Release() {
  if (memory_ && backBuffer_ && keptBitmap_) SelectObject(memory_, keptBitmap_);
  if (backBuffer_) DeleteObject(backBuffer_);
  if (memory_) DeleteDC(memory_);
  if (source_) DeleteDC(source_);
  if (valueFont_) DeleteObject(valueFont_);
  if (smallFont_) DeleteObject(smallFont_);
  memory_ = source_ = nullptr;
  backBuffer_ = nullptr;
  keptBitmap_ = nullptr;
  valueFont_ = smallFont_ = nullptr;
  width_ = height_ = 0;
  valid_ = false;
}
