// The editor skin: palette, where things sit on the 240 x 240 panel, and
// the builders of the five bitmaps.
//
// Every sprite is drawn in place on a full-size picture of the panel and
// then cut out, so its edges match the pixels around the spot where the
// editor copies it.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

namespace skin {

namespace palette {
// Text colours the editor uses; the panel is tuned around them.
constexpr Rgb label = rgb(188, 187, 182);
constexpr Rgb value = rgb(217, 178, 124);
constexpr Rgb dim = rgb(128, 127, 122);

constexpr Rgb base = rgb(35, 35, 33);     // panel
constexpr Rgb baseTop = rgb(41, 41, 39);  // top of the panel's sheen
constexpr Rgb footer = rgb(29, 29, 28);   // strip behind the tabs
constexpr Rgb well = rgb(19, 19, 18);     // slot grid and icon box
constexpr Rgb card = rgb(44, 43, 41);     // page area
constexpr Rgb cardTop = rgb(49, 48, 46);
constexpr Rgb edgeLight = rgb(66, 65, 61);  // 1 px highlights
constexpr Rgb edgeDark = rgb(15, 15, 14);   // 1 px outlines
constexpr Rgb lcd = rgb(22, 21, 19);        // value boxes
constexpr Rgb accent = value;               // lit parts of controls
constexpr Rgb caption = rgb(150, 149, 143);
}  // namespace palette

namespace layout {
constexpr int panelSize = 240;
// Slot grid.
constexpr int gridLeft = 5, gridTop = 5, gridRight = 233, gridBottom = 94;
constexpr int iconX(int column) { return 28 * column + 8; }
constexpr int iconY(int row) { return 44 * row + 9; }
constexpr int indicatorX(int column) { return 28 * column + 15; }
constexpr int indicatorY(int row) { return 44 * row + 36; }
constexpr int iconSize = 27, indicatorW = 14, indicatorH = 12;
// Page area (overlays).
constexpr int pageX = 5, pageY = 102, pageW = 229, pageH = 73;
// Page 0.
constexpr int iconBoxX = 15, iconBoxY = 132;  // lit icon, 28 x 27
struct Box {
  int left, top, right, bottom;  // right and bottom exclusive
};
constexpr Box keyswitchBox{110, 130, 153, 161};
constexpr Box modwheelBox{158, 130, 191, 161};
constexpr Box uaccBox{194, 130, 227, 161};
// Page 1.
constexpr int sliderX = 174, sliderY = 105, sliderW = 56, sliderH = 24;
constexpr int knobX(int k) { return 12 + 45 * k; }
constexpr int knobY = 127, knobSize = 34;
constexpr int switchX = 192, switchY = 127;
// Page 2.
constexpr int optionX = 11;
constexpr int optionY(int n) { return 128 + 16 * n; }
constexpr int optionSize = 10;
// Tab strip.
constexpr int tabX(int p) { return 6 + 45 * p; }
constexpr int tabY = 185, tabSize = 45;
constexpr Box portBox{156, 190, 191, 216};
constexpr Box channelBox{198, 190, 225, 216};

// Sprites on the right half of sheet 101.
constexpr int sheetW = 480, sheetH = 240;
constexpr int indicatorSpriteX(int slot) { return 240 + 14 * slot; }
constexpr int indicatorSpriteY(int state) { return 12 * state; }
constexpr int page0SpriteX = 240, page0SpriteY = 48;
constexpr int page1SpriteX = 240, page1SpriteY = 122;
constexpr int litTabSpriteX(int p) { return 239 + 45 * p; }
constexpr int litTabSpriteY = 195;
constexpr int optionSpriteX(int kind) { return 375 + 10 * kind; }  // off, on, disabled
constexpr int optionSpriteY = 195;

// Strips.
constexpr int frames = 64;
constexpr int iconCount = 150, iconCell = 32, iconStripH = 56, unlitRow = 28;
}  // namespace layout

// The hue of slot i's indicator (sixteen, clearly apart).
Rgb slotHue(int slot);

// Panel pictures at full size (240 x 240).
enum class Page { articulation, controllers, settings };
void drawPanel(cairo_t* cr, Page page);  // background plus the page's content
void drawTab(cairo_t* cr, int tab, bool lit);

// Controls, drawn at their places on the panel; t runs from 0 (minimum) to 1.
void drawKnob(cairo_t* cr, double x, double y, double t);
void drawSlider(cairo_t* cr, double x, double y, double t);
void drawSwitch(cairo_t* cr, double x, double y, bool on);
enum class OptionLook { off, on, disabled };
void drawOptionBox(cairo_t* cr, double x, double y, OptionLook look);
void drawIndicator(cairo_t* cr, double x, double y, int slot, bool current, bool hovered);

// One icon: (x, y) is the top-left corner of the 28 x 28 area the editor
// copies from; the button face fills columns 1-25 and rows 1-26, the rest is
// slot well.
void drawIconCell(cairo_t* cr, double x, double y, int id, bool lit);

// The five bitmaps.
struct Sheets {
  Image background{layout::sheetW, layout::sheetH};                       // 101
  Image knob{layout::knobSize, layout::knobSize* layout::frames};         // 103
  Image slider{layout::sliderW, layout::sliderH* layout::frames};         // 104
  Image toggle{layout::knobSize, layout::knobSize * 2};                   // 105
  Image icons{layout::iconCell * layout::iconCount, layout::iconStripH};  // 106
};
// Draws all five; returns what, if anything, breaks the editor's assumptions.
std::vector<std::string> buildSheets(Sheets& sheets);

}  // namespace skin
