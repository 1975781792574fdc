#include "preview.h"

#include <cstdio>
#include <string>

namespace skin {

using namespace layout;

namespace {

bool savePng(const Image& image, const std::string& path, int zoom = 1) {
  Image big(image.width() * zoom, image.height() * zoom);
  {
    Pen cr(big);
    cairo_scale(cr, zoom, zoom);
    cairo_set_source_surface(cr, image.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
  }
  return cairo_surface_write_to_png(big.surface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

struct MockState {
  int page = 0;
  int selected = 0, current = -1;
  int mouseX = -1, mouseY = -1;
  int icons[16] = {0, 1, 2, 3, 4, 5, 12, 14, 9, 16, 21, 22, 25, 27, 55, 59};
  const char* keyswitch = "C0";
  int modwheel = -1, uacc = 12;
  const char* name = "";
  int port = 0, channel = 0;
  int controllers[6] = {96, 127, 64, 20, 0, 127};
  int ghosting = 0, preserve = 1;
};

// Text placed the way the platform lays out a font of the given cell height:
// the face's ascent (1100 of 1420 units) above the baseline.
void gdiText(cairo_t* cr, const std::string& text, int cell, Rgb colour, double left, double top,
             double right, double bottom, Align align, bool vcentre) {
  TextStyle s;
  s.size = cell * 1000.0 / 1420.0;
  s.align = align;
  const double y = vcentre ? top + (bottom - top - cell) / 2.0 : top;
  const double x = align == Align::left ? left : align == Align::right ? right : (left + right) / 2;
  setSource(cr, colour);
  drawText(cr, text, x, y + cell * 1100.0 / 1420.0, s);
}

int frame(int v) { return v * 63 / 127; }

Image mock(const Sheets& s, const MockState& m) {
  Image out(panelSize, panelSize);
  out.copyFrom(s.background, 0, 0, panelSize, panelSize, 0, 0);
  for (int i = 0; i < 16; ++i) {
    const int j = i % 8, r = i / 8;
    const bool hovered = m.mouseX >= 28 * j + 9 && m.mouseX <= 28 * j + 33 &&
                         m.mouseY >= 44 * r + 9 && m.mouseY <= 44 * r + 48;
    const bool lit = hovered || i == m.selected;
    out.copyFrom(s.icons, 32 * m.icons[i] + 2, lit ? 0 : 28, 27, 27, iconX(j), iconY(r));
    const int state = 2 * hovered + (i == m.current);
    out.copyFrom(s.background, indicatorSpriteX(i), indicatorSpriteY(state), 14, 12, indicatorX(j),
                 indicatorY(r));
  }
  out.copyFrom(s.background, litTabSpriteX(m.page), litTabSpriteY, 45, 45, tabX(m.page), tabY);
  Pen cr(out);
  const Rgb labelC = palette::label, valueC = palette::value, dimC = palette::dim;
  if (m.page == 0) {
    out.copyFrom(s.background, page0SpriteX, page0SpriteY, pageW, pageH, pageX, pageY);
    char fallback[32];
    std::snprintf(fallback, sizeof fallback, "Articulation %i", m.selected + 1);
    cairo_save(cr);
    cairo_rectangle(cr, 8, 104, 92, 16);
    cairo_clip(cr);
    gdiText(cr, *m.name ? m.name : fallback, 16, labelC, 8, 104, 100, 120, Align::left, false);
    cairo_restore(cr);
    out.copyFrom(s.icons, 32 * m.icons[m.selected] + 2, 1, 28, 27, iconBoxX, iconBoxY);
    char mw[16], ua[16];
    std::snprintf(mw, sizeof mw, m.modwheel < 0 ? "---" : "%i", m.modwheel);
    std::snprintf(ua, sizeof ua, m.uacc < 0 ? "---" : "%i", m.uacc);
    gdiText(cr, m.keyswitch, 22, valueC, 110, 130, 152, 160, Align::centre, true);
    gdiText(cr, mw, 22, valueC, 158, 130, 190, 160, Align::centre, true);
    gdiText(cr, ua, 22, valueC, 194, 130, 226, 160, Align::centre, true);
  }
  char port[16], channel[16];
  std::snprintf(port, sizeof port, "%i", m.port);
  std::snprintf(channel, sizeof channel, "%i", m.channel + 1);
  gdiText(cr, port, 22, valueC, 156, 190, 190, 215, Align::centre, true);
  gdiText(cr, channel, 22, valueC, 198, 190, 224, 215, Align::centre, true);
  if (m.page == 1) {
    out.copyFrom(s.background, page1SpriteX, page1SpriteY, pageW, pageH, pageX, pageY);
    out.copyFrom(s.slider, 0, sliderH * frame(m.controllers[0]), sliderW, sliderH, sliderX,
                 sliderY);
    for (int k = 0; k < 4; ++k) {
      out.copyFrom(s.knob, 0, knobSize * frame(m.controllers[k + 1]), knobSize, knobSize, knobX(k),
                   knobY);
    }
    out.copyFrom(s.toggle, 0, knobSize * (m.controllers[5] / 64), knobSize, knobSize, switchX,
                 switchY);
  }
  if (m.page == 2) {
    gdiText(cr, "CC Ghosting", 14, labelC, 26, 126, 116, 136, Align::left, false);
    out.copyFrom(s.background, optionSpriteX(m.ghosting), optionSpriteY, 10, 10, 11, 128);
    gdiText(cr, "MIDI Extend", 14, dimC, 26, 142, 116, 153, Align::left, false);
    out.copyFrom(s.background, optionSpriteX(2), optionSpriteY, 10, 10, 11, 144);
    gdiText(cr, "Preserve Port/Channel", 14, labelC, 26, 158, 116, 170, Align::left, false);
    out.copyFrom(s.background, optionSpriteX(m.preserve), optionSpriteY, 10, 10, 11, 160);
    gdiText(cr, "KAVO Velmora v0.3", 14, labelC, 108, 111, 224, 171, Align::right, false);
    const char* credits[] = {"Articulation switcher", "for sampled instruments", "by the team"};
    for (int i = 0; i < 3; ++i) {
      gdiText(cr, credits[i], 14, dimC, 108, 111 + 14 * (i + 1), 224, 171, Align::right, false);
    }
  }
  return out;
}

Image iconChart(const Sheets& s, int first, int count) {
  // 15 columns, lit above unlit, with the id under each pair.
  const int cols = 15, cw = 34, ch = 70;
  Image chart(cols * cw + 4, ((count + cols - 1) / cols) * ch + 4);
  chart.fill(palette::base);
  Pen cr(chart);
  for (int id = first; id < first + count; ++id) {
    const int x = 4 + ((id - first) % cols) * cw, y = 4 + ((id - first) / cols) * ch;
    chart.copyFrom(s.icons, 32 * id, 0, 32, 56, x, y);
    char text[16];
    std::snprintf(text, sizeof text, "%d", id);
    gdiText(cr, text, 12, palette::dim, x, y + 56, x + 30, y + 68, Align::centre, false);
  }
  return chart;
}

// Knob, slider and switch frames side by side: 0, every ninth, and 63.
Image controlChart(const Sheets& s) {
  const int picks[] = {0, 1, 9, 18, 27, 31, 36, 45, 54, 62, 63};
  const int n = sizeof(picks) / sizeof(picks[0]);
  Image chart(n * 60 + 4, 34 + 24 + 34 + 16);
  chart.fill(palette::card);
  for (int i = 0; i < n; ++i) {
    chart.copyFrom(s.knob, 0, knobSize * picks[i], knobSize, knobSize, 4 + 60 * i, 4);
    chart.copyFrom(s.slider, 0, sliderH * picks[i], sliderW, sliderH, 4 + 60 * i, 42);
  }
  chart.copyFrom(s.toggle, 0, 0, knobSize, 2 * knobSize, 4, 70);
  chart.copyFrom(s.background, optionSpriteX(0), optionSpriteY, 30, 10, 60, 80);
  return chart;
}

}  // namespace

bool writePreviews(const Sheets& s, const std::string& dir) {
  bool ok = true;
  ok &= savePng(s.background, dir + "/skin101.png", 2);
  ok &= savePng(s.knob, dir + "/skin103.png", 2);
  ok &= savePng(s.slider, dir + "/skin104.png", 2);
  ok &= savePng(s.toggle, dir + "/skin105.png", 3);
  ok &= savePng(iconChart(s, 0, iconCount), dir + "/icons.png", 2);
  ok &= savePng(controlChart(s), dir + "/controls.png", 3);
  ok &= savePng(iconChart(s, 0, 30), dir + "/icons-0.png", 4);
  ok &= savePng(iconChart(s, 30, 30), dir + "/icons-30.png", 4);

  MockState m;
  m.page = 0;
  m.selected = 3;
  m.current = 5;
  m.mouseX = 66;
  m.mouseY = 60;  // over slot 10
  m.name = "Staccatissimo";
  ok &= savePng(mock(s, m), dir + "/mock-page0.png", 3);
  m.page = 1;
  m.name = "";
  m.selected = 0;
  m.current = 0;
  m.mouseX = m.mouseY = -1;
  ok &= savePng(mock(s, m), dir + "/mock-page1.png", 3);
  m.page = 2;
  m.current = 7;
  m.mouseX = 150;
  m.mouseY = 20;  // over slot 5
  ok &= savePng(mock(s, m), dir + "/mock-page2.png", 3);
  // A new instance: every slot has the plain note.
  MockState fresh;
  fresh.page = 1;
  for (int& icon : fresh.icons) icon = 55;
  fresh.keyswitch = "----";
  fresh.uacc = -1;
  for (int k = 0; k < 5; ++k) fresh.controllers[k] = 127;
  fresh.controllers[5] = 0;
  ok &= savePng(mock(s, fresh), dir + "/mock-fresh.png", 3);
  return ok;
}

}  // namespace skin
