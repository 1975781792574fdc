// Where everything sits on the 240 x 240 panel and where it comes from in
// the skin, plus the hit tests the mouse handler uses. Plain code without
// the window system, so it is unit-tested natively.
//
// Two kinds of rectangle: PanelRect is a drawing rectangle (right and bottom
// exclusive, as the painter's copies and text calls take them); HitBox is a
// mouse region whose bounds are all inclusive.
#pragma once

#include <cstdint>

struct PanelPoint {
  int32_t x = -1;
  int32_t y = -1;
  friend bool operator==(PanelPoint a, PanelPoint b) { return a.x == b.x && a.y == b.y; }
};

// The last mouse position before any was seen.
constexpr PanelPoint kNoPoint{-1, -1};

struct PanelRect {
  int32_t left, top, right, bottom;  // right and bottom exclusive
  constexpr int32_t width() const { return right - left; }
  constexpr int32_t height() const { return bottom - top; }
};

struct HitBox {
  int32_t left, top, right, bottom;  // all inclusive
  constexpr bool Contains(PanelPoint p) const {
    return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
  }
};

namespace panel {

constexpr int32_t kSize = 240;
constexpr int32_t kSlotCount = 16;
constexpr int32_t kPageCount = 3;
constexpr int32_t kFrameCount = 64;  // knob and slider strips
constexpr int32_t kIconCount = 150;  // cells in the icon strip

// ---------------------------------------------------------------------------
// Skin bitmaps: sizes the layout below relies on.
constexpr int32_t kSheetWidth = 480, kSheetHeight = 240;  // 101
constexpr int32_t kKnobSize = 34;                         // 103: 34 x 2176
constexpr int32_t kSliderWidth = 56, kSliderHeight = 24;  // 104: 56 x 1536
constexpr int32_t kSwitchSize = 34;                       // 105: 34 x 68
constexpr int32_t kIconCell = 32, kIconStripHeight = 56;  // 106: 4800 x 56
constexpr int32_t kUnlitIconRow = 28;

// ---------------------------------------------------------------------------
// Slot grid: sixteen buttons in two rows of eight.
constexpr PanelRect kSlotGridRect{5, 5, 233, 94};  // what a grid repaint marks
constexpr HitBox kSlotGridBox{5, 5, 233, 94};      // where pointer moves repaint it
constexpr int32_t kSlotIconSize = 27;
constexpr int32_t kIndicatorWidth = 14, kIndicatorHeight = 12;

constexpr int32_t SlotColumn(int32_t slot) { return slot % 8; }
constexpr int32_t SlotRow(int32_t slot) { return slot / 8; }
constexpr PanelPoint SlotIconOrigin(int32_t slot) {
  return {28 * SlotColumn(slot) + 8, 44 * SlotRow(slot) + 9};
}
constexpr PanelPoint SlotIndicatorOrigin(int32_t slot) {
  return {28 * SlotColumn(slot) + 15, 44 * SlotRow(slot) + 36};
}
// A slot button is both its click region and its hover region.
constexpr HitBox SlotButtonBox(int32_t slot) {
  return {9 + 28 * SlotColumn(slot), 9 + 44 * SlotRow(slot), 33 + 28 * SlotColumn(slot),
          48 + 44 * SlotRow(slot)};
}

// ---------------------------------------------------------------------------
// Page area and tab strip.
constexpr PanelPoint kPageOverlayOrigin{5, 102};
constexpr int32_t kPageOverlayWidth = 229, kPageOverlayHeight = 73;
constexpr PanelPoint kPage0OverlaySource{240, 48};
constexpr PanelPoint kPage1OverlaySource{240, 122};

constexpr int32_t kTabSize = 45;
constexpr PanelPoint TabOrigin(int32_t page) { return {6 + 45 * page, 185}; }
constexpr PanelPoint LitTabSource(int32_t page) { return {239 + 45 * page, 195}; }
constexpr HitBox TabBox(int32_t page) { return {6 + 45 * page, 185, 51 + 45 * page, 230}; }

constexpr PanelRect kPortText{156, 190, 190, 215};
constexpr PanelRect kChannelText{198, 190, 224, 215};
constexpr HitBox kPortBox{156, 190, 190, 215};
constexpr HitBox kChannelBox{198, 190, 224, 215};

// ---------------------------------------------------------------------------
// Page 0: the selected slot.
constexpr PanelRect kNameText{8, 104, 100, 120};
constexpr PanelPoint kDetailIconOrigin{15, 132};
constexpr int32_t kDetailIconWidth = 28, kDetailIconHeight = 27;
constexpr PanelRect kKeyswitchText{110, 130, 152, 160};
constexpr PanelRect kModwheelText{158, 130, 190, 160};
constexpr PanelRect kUaccText{194, 130, 226, 160};

constexpr HitBox kIconBox{15, 130, 45, 160};
constexpr HitBox kKeyswitchBox{110, 130, 152, 160};
constexpr HitBox kModwheelBox{158, 130, 190, 160};
constexpr HitBox kUaccBox{194, 130, 226, 160};
constexpr HitBox kNameBox{6, 102, 103, 124};
// Under the three values: a summary of what the slot sends besides them,
// shown only for a slot that does; a right-click there edits it.
constexpr PanelRect kAdditionsText{108, 161, 228, 175};
constexpr HitBox kAdditionsBox{108, 161, 228, 175};

// ---------------------------------------------------------------------------
// Page 1: one slider, four knobs 45 pixels apart, and the Hold switch in the
// fifth knob position.
constexpr PanelPoint kSliderOrigin{174, 105};
constexpr PanelPoint KnobOrigin(int32_t knob) { return {12 + 45 * knob, 127}; }
constexpr PanelPoint kSwitchOrigin{192, 127};

constexpr HitBox kDynamicsBox{174, 105, 230, 125};
constexpr HitBox KnobBox(int32_t position) {
  return {12 + 45 * position, 127, 46 + 45 * position, 161};
}
constexpr HitBox kHoldBox{192, 127, 226, 161};

// ---------------------------------------------------------------------------
// Page 2: three options, the title and the credits.
constexpr PanelRect kGhostingLabel{26, 126, 116, 136};
constexpr PanelRect kMidiExtendLabel{26, 142, 116, 153};
constexpr PanelRect kPreserveLabel{26, 158, 116, 170};
constexpr PanelPoint kGhostingOption{11, 128};
constexpr PanelPoint kMidiExtendOption{11, 144};
constexpr PanelPoint kPreserveOption{11, 160};
constexpr int32_t kOptionSize = 10;
enum OptionLook : int32_t { kOptionOff = 0, kOptionOn = 1, kOptionDisabled = 2 };
constexpr PanelPoint OptionSource(int32_t look) { return {375 + 10 * look, 195}; }
constexpr PanelRect kTitleText{108, 111, 224, 171};

constexpr HitBox kGhostingBox{10, 126, 110, 136};
constexpr HitBox kPreserveBox{10, 158, 110, 170};

}  // namespace panel

// ---------------------------------------------------------------------------
// What the painter shows for values outside their working ranges: always
// something inside the table or strip it reads.

// Icon cell 0..149 for any stored icon id.
int32_t IconCell(int32_t iconId);
// Left edge in the icon strip of an icon, lit or not (the cell plus 2).
PanelPoint SlotIconSource(int32_t iconId, bool lit);
PanelPoint DetailIconSource(int32_t iconId);

// Knob and slider frame 0..63: value * 63 / 127 truncated; below 0 shows
// frame 0, above 127 frame 63.
int32_t ControllerFrame(int32_t value);
// Switch frame: 0 (off) for values up to 63 and below 0, 1 (on) from 64 on.
int32_t SwitchFrame(int32_t value);

// Indicator row: 0 plain, 1 current, 2 hovered, 3 both.
int32_t IndicatorRow(bool hovered, bool current);
PanelPoint IndicatorSource(int32_t slot, int32_t row);

// The slot the articulation page shows and edits: selectedSlot, held
// within 0..15 so no slot array is ever indexed outside its bounds.
int32_t ShownSlot(int32_t selectedSlot);
// Whether a page index names one of the three pages; any other draws and
// hit-tests only what every page has.
bool IsPage(int32_t pageIndex);
// Option box look for a stored flag: 0 off, anything else on.
int32_t OptionLookFor(int32_t flag);

// ---------------------------------------------------------------------------
// Hit tests, each returning -1 for none.

// The first slot button containing p.
int32_t SlotButtonAt(PanelPoint p);
// The tab containing p; a shared edge goes to the lower-numbered tab.
int32_t TabAt(PanelPoint p);
