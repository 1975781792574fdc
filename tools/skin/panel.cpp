// The panel background and the two page overlays, drawn at full size.
#include <cmath>

#include "skin.h"

namespace skin {

using namespace layout;
namespace pal = palette;

namespace {

TextStyle captionStyle(Align align = Align::centre) {
  TextStyle s;
  s.size = 10;
  s.align = align;
  return s;
}

TextStyle headingStyle() {
  TextStyle s;
  s.size = 12.5;
  return s;
}

// A recessed box for a value the editor writes in: dark glass with an inner
// shadow along the top and a faint lip along the bottom.
void valueWell(cairo_t* cr, const Box& b) {
  const double x = b.left, y = b.top, w = b.right - b.left, h = b.bottom - b.top;
  roundedRect(cr, x, y, w, h, 3);
  setSource(cr, pal::edgeLight, 0.45);
  cairo_fill(cr);
  roundedRect(cr, x, y, w, h - 1, 3);
  setSource(cr, pal::edgeDark);
  cairo_fill(cr);
  roundedRect(cr, x + 1, y + 1, w - 2, h - 3, 2);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
  addStop(g, 0, mix(pal::lcd, pal::edgeDark, 0.6));
  addStop(g, 0.25, pal::lcd);
  addStop(g, 1, mix(pal::lcd, pal::card, 0.25));
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
}

void background(cairo_t* cr) {
  // Quiet charcoal with a faint sheen at the top; the tab strip below is flat
  // because the lit tab sprites share the sheet's last column with it.
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, 120);
  addStop(g, 0, pal::baseTop);
  addStop(g, 1, pal::base);
  cairo_set_source(cr, g);
  cairo_paint(cr);
  cairo_pattern_destroy(g);

  cairo_rectangle(cr, 0, 180, panelSize, panelSize - 180);
  setSource(cr, pal::footer);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, 179, panelSize, 1);
  setSource(cr, pal::edgeDark);
  cairo_fill(cr);
  cairo_rectangle(cr, 0, 180, panelSize, 1);
  setSource(cr, pal::edgeLight, 0.35);
  cairo_fill(cr);
}

void slotWell(cairo_t* cr) {
  const double x = gridLeft, y = gridTop, w = gridRight - gridLeft, h = gridBottom - gridTop;
  // Lip below the well, then the well itself, flat where the sprites go.
  roundedRect(cr, x, y, w, h + 1, 5);
  setSource(cr, pal::edgeLight, 0.5);
  cairo_fill(cr);
  roundedRect(cr, x, y, w, h, 5);
  setSource(cr, pal::edgeDark);
  cairo_fill(cr);
  roundedRect(cr, x + 1, y + 1, w - 2, h - 2, 4);
  setSource(cr, pal::well);
  cairo_fill(cr);
  // Inner shadow along the top edge, above the first row of slots.
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y + 1, 0, y + 4);
  addStop(g, 0, pal::edgeDark, 0.9);
  addStop(g, 1, pal::edgeDark, 0);
  cairo_set_source(cr, g);
  cairo_rectangle(cr, x + 2, y + 1, w - 4, 3);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  // A hairline between the two rows of slots.
  cairo_rectangle(cr, x + 6, 50, w - 12, 1);
  setSource(cr, pal::base, 0.55);
  cairo_fill(cr);
}

void pageCard(cairo_t* cr) {
  const double x = pageX, y = pageY, w = pageW, h = pageH;
  roundedRect(cr, x, y, w, h, 5);
  setSource(cr, pal::edgeDark);
  cairo_fill(cr);
  roundedRect(cr, x + 1, y + 1, w - 2, h - 2, 4);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, y + h);
  addStop(g, 0, pal::cardTop);
  addStop(g, 1, pal::card);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_rectangle(cr, x + 4, y + 1, w - 8, 1);
  setSource(cr, pal::edgeLight, 0.8);
  cairo_fill(cr);
}

void heading(cairo_t* cr, const char* text) {
  setSource(cr, pal::label);
  const double width = drawText(cr, text, 12, 116, headingStyle());
  // A short rule trailing the heading ties it to the card.
  cairo_rectangle(cr, 12 + width + 6, 111, 24, 1);
  setSource(cr, pal::dim, 0.6);
  cairo_fill(cr);
}

void outputBoxes(cairo_t* cr) {
  valueWell(cr, portBox);
  valueWell(cr, channelBox);
  setSource(cr, pal::caption);
  drawText(cr, "Port", (portBox.left + portBox.right) / 2.0, 226, captionStyle());
  drawText(cr, "Ch", (channelBox.left + channelBox.right) / 2.0, 226, captionStyle());
}

void articulationPage(cairo_t* cr) {
  // The slot name sits top left; a rule under it marks the field.
  cairo_pattern_t* g = cairo_pattern_create_linear(8, 0, 104, 0);
  addStop(g, 0, pal::dim, 0.7);
  addStop(g, 1, pal::dim, 0.0);
  cairo_set_source(cr, g);
  cairo_rectangle(cr, 8, 122, 96, 1);
  cairo_fill(cr);
  cairo_pattern_destroy(g);

  // Icon box: a little piece of the slot well holding the selected icon.
  roundedRect(cr, 13, 129, 31, 33, 4);
  setSource(cr, pal::edgeLight, 0.5);
  cairo_fill(cr);
  roundedRect(cr, 13, 129, 31, 32, 4);
  setSource(cr, pal::edgeDark);
  cairo_fill(cr);
  roundedRect(cr, 14, 130, 29, 30, 2);
  setSource(cr, pal::well);
  cairo_fill(cr);

  setSource(cr, pal::caption);
  TextStyle left = captionStyle(Align::left);
  drawText(cr, "Icon", 50, 141, left);
  // Up/down chevrons: the icon is chosen by dragging.
  cairo_set_line_width(cr, 1.2);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  setSource(cr, pal::dim);
  cairo_move_to(cr, 50.5, 149.5);
  cairo_line_to(cr, 53.5, 146.5);
  cairo_line_to(cr, 56.5, 149.5);
  cairo_move_to(cr, 50.5, 152.5);
  cairo_line_to(cr, 53.5, 155.5);
  cairo_line_to(cr, 56.5, 152.5);
  cairo_stroke(cr);

  // The two long captions lean a pixel apart to keep a gap between them.
  const struct {
    const Box& box;
    const char* caption;
    double nudge;
  } values[] = {
      {keyswitchBox, "Keyswitch", -1}, {modwheelBox, "Modwheel", 1}, {uaccBox, "UACC", 0}};
  for (const auto& v : values) {
    valueWell(cr, v.box);
    setSource(cr, pal::caption);
    drawText(cr, v.caption, (v.box.left + v.box.right) / 2.0 + v.nudge, 126, captionStyle());
  }
}

void controllersPage(cairo_t* cr) {
  heading(cr, "Controllers");
  setSource(cr, pal::caption);
  drawText(cr, "Dynamics", sliderX - 4, 121, captionStyle(Align::right));
  const char* names[] = {"Breath", "Expression", "Speed", "Vibrato", "Hold"};
  for (int k = 0; k < 5; ++k) {
    drawText(cr, names[k], knobX(k) + knobSize / 2.0, 171, captionStyle());
  }
}

void settingsPage(cairo_t* cr) { heading(cr, "Options"); }

// Tab glyphs, drawn centred on (cx, cy).
void noteGlyph(cairo_t* cr, double cx, double cy) {
  cairo_save(cr);
  cairo_translate(cr, cx - 2, cy + 6);
  cairo_rotate(cr, -0.35);
  cairo_scale(cr, 4.2, 3.0);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.4);
  cairo_move_to(cr, cx + 1.6, cy + 5);
  cairo_line_to(cr, cx + 1.6, cy - 9);
  cairo_stroke(cr);
  cairo_move_to(cr, cx + 1.6, cy - 9);
  cairo_curve_to(cr, cx + 2.5, cy - 5, cx + 8, cy - 4.5, cx + 6, cy + 0.5);
  cairo_curve_to(cr, cx + 6.5, cy - 3.5, cx + 3.5, cy - 5, cx + 1.6, cy - 5.5);
  cairo_fill(cr);
  // Accent mark beside the note.
  cairo_set_line_width(cr, 1.3);
  cairo_move_to(cr, cx - 8, cy - 8);
  cairo_line_to(cr, cx - 3.5, cy - 6);
  cairo_line_to(cr, cx - 8, cy - 4);
  cairo_stroke(cr);
}

void fadersGlyph(cairo_t* cr, double cx, double cy) {
  const double heights[] = {3, -4, 1};
  cairo_set_line_width(cr, 1.4);
  for (int i = 0; i < 3; ++i) {
    const double x = cx - 7 + 7 * i;
    cairo_move_to(cr, x, cy - 9);
    cairo_line_to(cr, x, cy + 9);
    cairo_stroke(cr);
    roundedRect(cr, x - 3, cy + heights[i] - 2, 6, 4, 1);
    cairo_fill(cr);
  }
}

void gearGlyph(cairo_t* cr, double cx, double cy) {
  const int teeth = 8;
  const double outer = 9, inner = 6.8;
  cairo_new_path(cr);
  for (int i = 0; i < teeth; ++i) {
    const double a = 2 * M_PI * i / teeth;
    const double half = M_PI / teeth;
    cairo_line_to(cr, cx + inner * cos(a - half * 0.9), cy + inner * sin(a - half * 0.9));
    cairo_line_to(cr, cx + outer * cos(a - half * 0.45), cy + outer * sin(a - half * 0.45));
    cairo_line_to(cr, cx + outer * cos(a + half * 0.45), cy + outer * sin(a + half * 0.45));
    cairo_line_to(cr, cx + inner * cos(a + half * 0.9), cy + inner * sin(a + half * 0.9));
  }
  cairo_close_path(cr);
  cairo_new_sub_path(cr);
  cairo_arc_negative(cr, cx, cy, 3, 2 * M_PI, 0);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_fill(cr);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

}  // namespace

void drawTab(cairo_t* cr, int tab, bool lit) {
  const double x = tabX(tab), y = tabY;
  // The face leaves a 1-pixel margin of the strip all round, so that the
  // first column of a tab is plain strip colour.
  roundedRect(cr, x + 1, y + 1, tabSize - 2, tabSize - 2, 4);
  setSource(cr, pal::edgeDark);
  cairo_fill(cr);
  roundedRect(cr, x + 2, y + 2, tabSize - 4, tabSize - 4, 3);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, y + 2, 0, y + tabSize - 2);
  if (lit) {
    addStop(g, 0, rgb(62, 60, 56));
    addStop(g, 1, rgb(47, 46, 43));
  } else {
    addStop(g, 0, rgb(40, 40, 38));
    addStop(g, 1, rgb(33, 33, 31));
  }
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_rectangle(cr, x + 5, y + 2, tabSize - 10, 1);
  setSource(cr, pal::edgeLight, lit ? 0.9 : 0.45);
  cairo_fill(cr);
  if (lit) {
    // Amber bar along the top marks the page on show.
    roundedRect(cr, x + 8, y + 3, tabSize - 16, 2, 1);
    setSource(cr, pal::accent);
    cairo_fill(cr);
  }

  const double cx = x + tabSize / 2.0, cy = y + 18;
  setSource(cr, lit ? pal::accent : pal::dim);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  switch (tab) {
    case 0:
      noteGlyph(cr, cx, cy);
      break;
    case 1:
      fadersGlyph(cr, cx, cy);
      break;
    default:
      gearGlyph(cr, cx, cy);
      break;
  }
  const char* labels[] = {"Artic.", "Controls", "Settings"};
  setSource(cr, lit ? pal::label : pal::dim);
  TextStyle s;
  s.size = 10;
  s.align = Align::centre;
  drawText(cr, labels[tab], cx, y + 39, s);
}

void drawPanel(cairo_t* cr, Page page) {
  background(cr);
  slotWell(cr);
  pageCard(cr);
  for (int p = 0; p < 3; ++p) drawTab(cr, p, false);
  outputBoxes(cr);
  switch (page) {
    case Page::articulation:
      articulationPage(cr);
      break;
    case Page::controllers:
      controllersPage(cr);
      break;
    case Page::settings:
      settingsPage(cr);
      break;
  }
}

}  // namespace skin
