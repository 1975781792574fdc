// Assembles the five bitmaps from full-size pictures of the panel.
#include <set>
#include <string>
#include <vector>

#include "skin.h"

namespace skin {

using namespace layout;

namespace {

Image panelPicture(Page page) {
  Image image(panelSize, panelSize);
  Pen cr(image);
  drawPanel(cr, page);
  return image;
}

// A copy of `picture` with something drawn on it, to cut a sprite from.
template <typename Draw>
Image with(const Image& picture, Draw draw) {
  Image image(picture.width(), picture.height());
  image.copyFrom(picture, 0, 0, picture.width(), picture.height(), 0, 0);
  Pen cr(image);
  draw(static_cast<cairo_t*>(cr));
  return image;
}

bool sameBlock(const Image& a, int ax, int ay, const Image& b, int bx, int by, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (a.pixel(ax + x, ay + y) != b.pixel(bx + x, by + y)) return false;
  return true;
}

bool flat(const Image& a, int x0, int y0, int w, int h, unsigned colour) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x)
      if (a.pixel(x, y) != colour) return false;
  return true;
}

unsigned packed(Rgb c) {
  auto channel = [](double v) { return static_cast<unsigned>(v * 255.0 + 0.5); };
  return channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

std::string cellKey(const Image& icons, int id, int row) {
  std::string key;
  for (int y = row; y < row + 28; ++y)
    for (int x = iconCell * id + 2; x < iconCell * id + 30; ++x)
      key += std::to_string(icons.pixel(x, y)) + ",";
  return key;
}

}  // namespace

std::vector<std::string> buildSheets(Sheets& s) {
  const Image settings = panelPicture(Page::settings);
  const Image articulation = panelPicture(Page::articulation);
  const Image controllers = panelPicture(Page::controllers);

  std::vector<std::string> problems;
  // The sprites rely on a few spots of the panel being plain: icons and
  // indicators sit on the flat slot well, the knobs and the switch share one
  // backdrop.
  const unsigned well = packed(palette::well);
  for (int r = 0; r < 2; ++r)
    for (int j = 0; j < 8; ++j)
      if (!flat(settings, iconX(j), iconY(r), iconSize, indicatorY(r) + indicatorH - iconY(r),
                well))
        problems.push_back("slot well is not flat under slot " + std::to_string(8 * r + j));
  if (!flat(articulation, iconBoxX, iconBoxY, 28, 27, well))
    problems.push_back("icon box is not flat");
  for (int k = 1; k < 5; ++k)
    if (!sameBlock(controllers, knobX(0), knobY, controllers, knobX(k), knobY, knobSize, knobSize))
      problems.push_back("knob position " + std::to_string(k) + " has a different backdrop");

  // 101: the settings page is the panel as it stands without an overlay.
  Image& sheet = s.background;
  sheet.fill(palette::footer);
  sheet.copyFrom(settings, 0, 0, panelSize, panelSize, 0, 0);
  for (int slot = 0; slot < 16; ++slot) {
    const int x = indicatorX(slot % 8), y = indicatorY(slot / 8);
    for (int state = 0; state < 4; ++state) {
      const Image lit =
          with(settings, [&](cairo_t* cr) { drawIndicator(cr, x, y, slot, state & 1, state & 2); });
      sheet.copyFrom(lit, x, y, indicatorW, indicatorH, indicatorSpriteX(slot),
                     indicatorSpriteY(state));
    }
  }
  sheet.copyFrom(articulation, pageX, pageY, pageW, pageH, page0SpriteX, page0SpriteY);
  sheet.copyFrom(controllers, pageX, pageY, pageW, pageH, page1SpriteX, page1SpriteY);
  for (int p = 0; p < 3; ++p) {
    const Image lit = with(settings, [&](cairo_t* cr) { drawTab(cr, p, true); });
    sheet.copyFrom(lit, tabX(p), tabY, tabSize, tabSize, litTabSpriteX(p), litTabSpriteY);
  }
  const OptionLook looks[] = {OptionLook::off, OptionLook::on, OptionLook::disabled};
  for (int k = 0; k < 3; ++k) {
    const Image box =
        with(settings, [&](cairo_t* cr) { drawOptionBox(cr, optionX, optionY(0), looks[k]); });
    sheet.copyFrom(box, optionX, optionY(0), optionSize, optionSize, optionSpriteX(k),
                   optionSpriteY);
  }

  // 103, 104, 105: frames cut from the controller page, so their corners are
  // the page's own pixels.
  for (int f = 0; f < frames; ++f) {
    const double t = f / double(frames - 1);
    const Image knob = with(controllers, [&](cairo_t* cr) { drawKnob(cr, knobX(0), knobY, t); });
    s.knob.copyFrom(knob, knobX(0), knobY, knobSize, knobSize, 0, knobSize * f);
    const Image slider =
        with(controllers, [&](cairo_t* cr) { drawSlider(cr, sliderX, sliderY, t); });
    s.slider.copyFrom(slider, sliderX, sliderY, sliderW, sliderH, 0, sliderH * f);
  }
  for (int on = 0; on < 2; ++on) {
    const Image toggle =
        with(controllers, [&](cairo_t* cr) { drawSwitch(cr, switchX, switchY, on); });
    s.toggle.copyFrom(toggle, switchX, switchY, knobSize, knobSize, 0, knobSize * on);
  }

  // 106: each cell on the colour of the slot well.
  s.icons.fill(palette::well);
  Pen cr(s.icons);
  for (int id = 0; id < iconCount; ++id) {
    drawIconCell(cr, iconCell * id + 2, 0, id, true);
    drawIconCell(cr, iconCell * id + 2, unlitRow, id, false);
  }

  // The first lit tab starts on the panel's last column.
  if (!sameBlock(sheet, panelSize - 1, 0, settings, panelSize - 1, 0, 1, panelSize))
    problems.push_back("the first lit tab changes the panel's last column");
  for (int row : {0, unlitRow}) {
    std::set<std::string> seen;
    for (int id = 0; id < iconCount; ++id)
      if (!seen.insert(cellKey(s.icons, id, row)).second)
        problems.push_back("icon " + std::to_string(id) + " repeats an earlier one");
  }
  return problems;
}

}  // namespace skin
