// Knob, slider, switch, option boxes and slot indicators. Each is drawn over
// whatever the panel holds at its spot, so the frames cut from the picture
// blend into the overlay they are copied onto.
#include <algorithm>
#include <cmath>

#include "skin.h"
#include "slot_hues.h"

namespace skin {

namespace pal = palette;

namespace {

// The knob's travel: 270 degrees, from lower left clockwise to lower right.
constexpr double kStart = 0.75 * M_PI;
constexpr double kSweep = 1.5 * M_PI;

void disc(cairo_t* cr, double cx, double cy, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
}

}  // namespace

Rgb slotHue(int slot) {
  const SlotHue& hue = kSlotHues[slot & 15];
  return rgb(hue.r, hue.g, hue.b);
}

void drawKnob(cairo_t* cr, double x, double y, double t) {
  const double cx = x + 17, cy = y + 17;
  const double angle = kStart + kSweep * std::clamp(t, 0.0, 1.0);
  cairo_save(cr);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);

  // Value ring: a dark track with the amber arc from the minimum to the value.
  cairo_set_line_width(cr, 3);
  cairo_arc(cr, cx, cy, 14.5, kStart, kStart + kSweep);
  setSource(cr, pal::edgeDark);
  cairo_stroke(cr);
  cairo_set_line_width(cr, 2.2);
  cairo_arc(cr, cx, cy, 14.5, kStart, kStart + kSweep);
  setSource(cr, rgb(58, 57, 53));
  cairo_stroke(cr);
  if (t > 0) {
    // A soft glow under the lit arc, then the arc itself.
    cairo_set_line_width(cr, 4);
    cairo_arc(cr, cx, cy, 14.5, kStart, angle);
    setSource(cr, pal::accent, 0.18);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2.2);
    cairo_arc(cr, cx, cy, 14.5, kStart, angle);
    setSource(cr, pal::accent);
    cairo_stroke(cr);
  }

  // Drop shadow, body and rim.
  disc(cr, cx, cy + 1, 11);
  setSource(cr, rgb(0, 0, 0), 0.45);
  cairo_fill(cr);
  disc(cr, cx, cy, 10.5);
  cairo_pattern_t* body = cairo_pattern_create_linear(cx, cy - 10.5, cx, cy + 10.5);
  addStop(body, 0, rgb(92, 90, 85));
  addStop(body, 0.5, rgb(60, 59, 56));
  addStop(body, 1, rgb(34, 34, 32));
  cairo_set_source(cr, body);
  cairo_fill(cr);
  cairo_pattern_destroy(body);
  disc(cr, cx, cy, 8.6);
  cairo_pattern_t* cap = cairo_pattern_create_radial(cx - 2.5, cy - 3.5, 1, cx, cy, 8.6);
  addStop(cap, 0, rgb(78, 77, 73));
  addStop(cap, 1, rgb(48, 47, 45));
  cairo_set_source(cr, cap);
  cairo_fill(cr);
  cairo_pattern_destroy(cap);

  // Pointer line.
  cairo_set_line_width(cr, 2);
  cairo_move_to(cr, cx + 3.5 * cos(angle), cy + 3.5 * sin(angle));
  cairo_line_to(cr, cx + 8.6 * cos(angle), cy + 8.6 * sin(angle));
  setSource(cr, rgb(236, 234, 226));
  cairo_stroke(cr);
  cairo_restore(cr);
}

void drawSlider(cairo_t* cr, double x, double y, double t) {
  t = std::clamp(t, 0.0, 1.0);
  const double left = x + 6, right = x + 50, cy = y + 12;
  const double hx = left + (right - left) * t;
  cairo_save(cr);

  // Groove with the amber fill up to the handle.
  roundedRect(cr, left - 3, cy - 3, right - left + 6, 6, 3);
  setSource(cr, pal::edgeLight, 0.35);
  cairo_fill(cr);
  roundedRect(cr, left - 3, cy - 3.5, right - left + 6, 6, 3);
  setSource(cr, pal::edgeDark);
  cairo_fill(cr);
  if (hx > left) {
    roundedRect(cr, left - 2, cy - 2.5, hx - left + 2, 4, 2);
    setSource(cr, pal::accent);
    cairo_fill(cr);
  }
  // Scale ticks under the groove at the ends and the middle.
  setSource(cr, pal::dim, 0.7);
  for (double tick : {left, (left + right) / 2, right}) {
    cairo_rectangle(cr, std::floor(tick), cy + 6, 1, 2);
  }
  cairo_fill(cr);

  // Handle: a small cap with a grip line.
  roundedRect(cr, hx - 4.5, cy - 9, 9, 19, 2.5);
  setSource(cr, rgb(0, 0, 0), 0.5);
  cairo_fill(cr);
  roundedRect(cr, hx - 4, cy - 9.5, 8, 18, 2);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, cy - 9.5, 0, cy + 8.5);
  addStop(g, 0, rgb(150, 148, 141));
  addStop(g, 0.45, rgb(104, 102, 97));
  addStop(g, 1, rgb(64, 63, 60));
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_rectangle(cr, std::round(hx) - 0.5, cy - 6, 1, 11);
  setSource(cr, rgb(236, 234, 226));
  cairo_fill(cr);
  cairo_restore(cr);
}

void drawSwitch(cairo_t* cr, double x, double y, bool on) {
  const double cx = x + 17, top = y + 4, height = 26, width = 14;
  cairo_save(cr);
  // Track.
  roundedRect(cr, cx - width / 2, top + 0.5, width, height, width / 2);
  setSource(cr, pal::edgeLight, 0.35);
  cairo_fill(cr);
  roundedRect(cr, cx - width / 2, top, width, height, width / 2);
  setSource(cr, pal::edgeDark);
  cairo_fill(cr);
  roundedRect(cr, cx - width / 2 + 1.5, top + 1.5, width - 3, height - 3, width / 2 - 1.5);
  if (on) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, top, 0, top + height);
    addStop(g, 0, pal::accent);
    addStop(g, 1, mix(pal::accent, pal::edgeDark, 0.45));
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
  } else {
    setSource(cr, rgb(30, 30, 28));
    cairo_fill(cr);
  }
  // Thumb: up for on, down for off.
  const double ty = on ? top + 7 : top + height - 7;
  disc(cr, cx, ty + 1, 5.8);
  setSource(cr, rgb(0, 0, 0), 0.5);
  cairo_fill(cr);
  disc(cr, cx, ty, 5.5);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, ty - 5.5, 0, ty + 5.5);
  addStop(g, 0, on ? rgb(246, 244, 236) : rgb(150, 148, 141));
  addStop(g, 1, on ? rgb(190, 186, 176) : rgb(76, 75, 71));
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_restore(cr);
}

void drawOptionBox(cairo_t* cr, double x, double y, OptionLook look) {
  cairo_save(cr);
  roundedRect(cr, x + 0.5, y + 0.5, 9, 9, 2);
  setSource(cr, look == OptionLook::disabled ? rgb(30, 30, 28) : pal::lcd);
  cairo_fill_preserve(cr);
  cairo_set_line_width(cr, 1);
  setSource(cr, look == OptionLook::disabled ? rgb(70, 69, 65) : rgb(120, 118, 112));
  cairo_stroke(cr);
  if (look == OptionLook::on) {
    roundedRect(cr, x + 2.5, y + 2.5, 5, 5, 1);
    setSource(cr, pal::accent);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

void drawIndicator(cairo_t* cr, double x, double y, int slot, bool current, bool hovered) {
  const Rgb hue = slotHue(slot);
  const double bx = x + 2, by = y + 4, bw = 10, bh = 4;
  cairo_save(cr);
  if (current) {
    // Glow: a few widening translucent rings around the bar.
    for (int i = 3; i >= 1; --i) {
      roundedRect(cr, bx - i, by - i, bw + 2 * i, bh + 2 * i, 2 + i);
      setSource(cr, hue, 0.10);
      cairo_fill(cr);
    }
  }
  if (hovered) {
    roundedRect(cr, bx - 1.5, by - 1.5, bw + 3, bh + 3, 3);
    cairo_set_line_width(cr, 1);
    setSource(cr, pal::label, 0.85);
    cairo_stroke(cr);
  }
  roundedRect(cr, bx, by, bw, bh, 2);
  // Off: the hue, dimmed, so each slot keeps its colour; current: full.
  setSource(cr, current ? hue : mix(pal::well, hue, 0.55));
  cairo_fill(cr);
  if (current) {
    roundedRect(cr, bx + 1.5, by + 0.5, bw - 3, 1.2, 0.6);
    setSource(cr, rgb(255, 255, 255), 0.55);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

}  // namespace skin
