// The panel as a list of drawing steps, and which parts of it change
// between two states. Plain code without the window system: the painter
// draws the steps, and keeps its back buffer from one paint to the next by
// redrawing only the areas where a step changed.
//
// Every step is an opaque copy out of a skin strip or a text drawn
// transparently over what lies below. A pixel therefore depends only on the
// steps whose bounds hold it, in order; when none of those changed, the
// pixel did not either. That is what makes redrawing only the changed areas
// give the same pixels as drawing the panel whole.
#pragma once

#include <array>
#include <cstdint>

#include "engine/note_names.h"
#include "editor/panel_layout.h"
#include "engine/data_model.h"

// Settings page texts. The credits start on the line below the title.
extern const char kPanelTitle[];
extern const char kPanelCredits[];

enum class SkinStrip : uint8_t { kSheet, kIcons, kKnobs, kSlider, kSwitches };
enum class PanelFont : uint8_t { kLabel, kValue, kSmall };
enum class TextColour : uint8_t { kLabel, kValue, kDim };
enum class TextLayout : uint8_t {
  kCentred,        // one line, centred both ways, not clipped
  kLine,           // one line from the top left, clipped to its rectangle
  kLineUnclipped,  // one line from the top left, not clipped
  kRightWrapped,   // right-aligned, word-wrapped, clipped to its rectangle
};

// Cell heights of the three fonts.
constexpr int32_t FontCellHeight(PanelFont font) {
  return font == PanelFont::kValue ? 22 : font == PanelFont::kLabel ? 16 : 14;
}

struct PanelStep {
  enum Kind : uint8_t { kCopy, kText };
  Kind kind = kCopy;
  // kCopy: width x height pixels from `from` in the strip to `to`, cut to
  // the part inside the strip.
  SkinStrip strip = SkinStrip::kSheet;
  PanelPoint from, to;
  int32_t width = 0, height = 0;
  // kText: length bytes of text (not terminated) in rect.
  PanelFont font = PanelFont::kLabel;
  TextColour colour = TextColour::kLabel;
  TextLayout layout = TextLayout::kLine;
  PanelRect rect{0, 0, 0, 0};
  const char* text = nullptr;
  int32_t length = 0;

  bool SameAs(const PanelStep& other) const;
};

// Every pixel drawing the step can change (it may reach past the panel:
// the sheet is wider than the panel). For an unclipped text this allows one and a half cell heights
// per character plus a cell on each side: more than any glyph of these fonts takes.
PanelRect StepBounds(const PanelStep& step);

// The values the panel shows, read once per paint: the steps are built
// from this copy, never from the live model, which another thread may
// change while a paint is under way.
struct PanelView {
  int32_t page = 0;
  int32_t litSlot = 0;  // the shown (selected) slot, held within 0..15
  int32_t currentSlot = 0;
  int32_t hoveredSlot = -1;
  std::array<int32_t, kSlotCount> iconId{};
  std::array<int32_t, kControllerCount> controller{};
  int32_t ccGhosting = 0;
  int32_t preservePortChannel = 0;
  // Texts, terminated; the name may hold any byte, so it has a length.
  char name[kMaxNameLength + 1] = {};
  int32_t nameLength = 0;
  char keyswitch[kNoteNameSize] = {};
  char modwheel[16] = {};
  char uacc[16] = {};
  char additions[80] = {};  // summary of the slot's additions; empty for none
  char port[16] = {};
  char channel[24] = {};
};

// [editor thread] The view of model with the mouse at pointer (kNoPoint:
// nothing hovered).
PanelView ViewOf(const DataModel& model, PanelPoint pointer, const NoteNameTable& noteNames);

constexpr int32_t kMaxPanelSteps = 64;

struct PanelScene {
  std::array<PanelStep, kMaxPanelSteps> steps{};
  int32_t count = 0;
};

// The steps that draw view, in painting order. Texts point into view, which
// must outlive the scene.
void BuildScene(const PanelView& view, PanelScene& scene);

// Areas of the panel to redraw, merged where they meet; past a few they
// become one area around them all.
struct PanelAreas {
  static constexpr int32_t kMax = 8;
  std::array<PanelRect, kMax> area{};
  int32_t count = 0;

  void Add(const PanelRect& rect);
};

// Where the panel drawn from `after` can differ from the panel drawn from
// `before`: the bounds, old and new, of every step that changed, appeared
// or went.
PanelAreas ChangedAreas(const PanelScene& before, const PanelScene& after);

// Rectangle helpers (right and bottom exclusive).
bool IsEmpty(const PanelRect& rect);
bool Intersects(const PanelRect& a, const PanelRect& b);
bool Contains(const PanelRect& outer, const PanelRect& inner);
PanelRect Intersection(const PanelRect& a, const PanelRect& b);
PanelRect Union(const PanelRect& a, const PanelRect& b);
