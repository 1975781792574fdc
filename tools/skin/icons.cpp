// The 150 slot icons. Ids 0-59 are drawn one by one: the common
// articulations first, 55 the plain note used for new slots. Ids 60-149 are
// fifteen of those symbols, each with six small marks (soft, loud, fast,
// slow, second and third variant), so every id looks different. Their names
// and the layout of the variants are in icon_names.h.
//
// Symbols are drawn in a 20 x 20 unit box; one unit is a little under a
// pixel. Stems point up and marks sit under the note head.
#include <cmath>
#include <string>

#include "maps/icon_names.h"
#include "skin.h"

namespace skin {

namespace {

constexpr int kDrawn = kDrawnIconCount;
constexpr int kVariantMarks = kIconMarkCount;
constexpr int kTrill = kTrillSymbol;
constexpr const int* kVariantFamilies = kIconVariantSymbols;
static_assert(kIconCount == layout::iconCount);

// --- Notation pieces -------------------------------------------------------

constexpr double kStroke = 1.25;

void head(cairo_t* cr, double cx, double cy, bool filled = true, double size = 1.0) {
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_rotate(cr, -0.38);
  cairo_scale(cr, 3.3 * size, 2.3 * size);
  cairo_new_sub_path(cr);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  if (filled) {
    cairo_fill(cr);
  } else {
    cairo_set_line_width(cr, 1.3);
    cairo_stroke(cr);
  }
}

void line(cairo_t* cr, double x1, double y1, double x2, double y2, double width = kStroke) {
  cairo_set_line_width(cr, width);
  cairo_move_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  cairo_stroke(cr);
}

void dot(cairo_t* cr, double x, double y, double r = 1.35) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  cairo_fill(cr);
}

// Quarter note with its head centred on (cx, cy), stem up to y = top.
void quarter(cairo_t* cr, double cx, double cy, double top = 1.5, double size = 1.0) {
  head(cr, cx, cy, true, size);
  line(cr, cx + 3.0 * size, cy - 0.7 * size, cx + 3.0 * size, top);
}

void flag(cairo_t* cr, double stemX, double top, double size = 1.0) {
  cairo_move_to(cr, stemX - 0.6, top);
  cairo_curve_to(cr, stemX + 0.5, top + 3.5 * size, stemX + 5.5 * size, top + 4 * size,
                 stemX + 3.5 * size, top + 9 * size);
  cairo_curve_to(cr, stemX + 4 * size, top + 5.5 * size, stemX + 1.5 * size, top + 4.5 * size,
                 stemX - 0.6, top + 4 * size);
  cairo_close_path(cr);
  cairo_fill(cr);
}

// The note the articulation marks hang under.
constexpr double kNoteX = 9, kNoteY = 9.5, kMarkY = 16.2;
void markedNote(cairo_t* cr) { quarter(cr, kNoteX, kNoteY, 0.8); }

void wedge(cairo_t* cr, double x, double y) {
  cairo_move_to(cr, x - 1.8, y - 2.6);
  cairo_line_to(cr, x + 1.8, y - 2.6);
  cairo_line_to(cr, x, y + 2.8);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void accentMark(cairo_t* cr, double x, double y, double w = 4.2, double h = 2.6) {
  cairo_set_line_width(cr, 1.4);
  cairo_move_to(cr, x - w, y - h);
  cairo_line_to(cr, x + w, y);
  cairo_line_to(cr, x - w, y + h);
  cairo_stroke(cr);
}

void marcatoMark(cairo_t* cr, double x, double y) {
  cairo_move_to(cr, x - 3.2, y + 2.6);
  cairo_line_to(cr, x, y - 3.2);
  cairo_line_to(cr, x + 3.2, y + 2.6);
  cairo_line_to(cr, x + 1.6, y + 2.6);
  cairo_line_to(cr, x, y - 0.4);
  cairo_line_to(cr, x - 1.6, y + 2.6);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void tenutoLine(cairo_t* cr, double x, double y) { line(cr, x - 3.6, y, x + 3.6, y, 1.5); }

void slur(cairo_t* cr, double x1, double y1, double x2, double y2, double bulge) {
  const double mx = (x1 + x2) / 2, my = (y1 + y2) / 2 + bulge;
  // A crescent: two curves a little apart in the middle, meeting at the ends.
  cairo_move_to(cr, x1, y1);
  cairo_curve_to(cr, x1 + (mx - x1) * 0.5, my, x2 - (x2 - mx) * 0.5, my, x2, y2);
  const double inner = bulge > 0 ? -1.3 : 1.3;
  cairo_curve_to(cr, x2 - (x2 - mx) * 0.5, my + inner, x1 + (mx - x1) * 0.5, my + inner, x1, y1);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void wave(cairo_t* cr, double x1, double x2, double y, double amplitude, double period,
          double width = 1.4) {
  cairo_set_line_width(cr, width);
  cairo_move_to(cr, x1, y);
  for (double x = x1; x <= x2 + 0.01; x += 0.25) {
    cairo_line_to(cr, x, y - amplitude * std::sin((x - x1) / period * 2 * M_PI));
  }
  cairo_stroke(cr);
}

void slash(cairo_t* cr, double cx, double cy, double halfWidth = 3.8) {
  cairo_move_to(cr, cx - halfWidth, cy + 1.3);
  cairo_line_to(cr, cx + halfWidth, cy - 1.3);
  cairo_line_to(cr, cx + halfWidth, cy + 0.5);
  cairo_line_to(cr, cx - halfWidth, cy + 3.1);
  cairo_close_path(cr);
  cairo_fill(cr);
}

void hairpin(cairo_t* cr, double x1, double x2, double cy, double open, bool opening) {
  cairo_set_line_width(cr, 1.3);
  const double tip = opening ? x1 : x2, mouth = opening ? x2 : x1;
  cairo_move_to(cr, mouth, cy - open);
  cairo_line_to(cr, tip, cy);
  cairo_line_to(cr, mouth, cy + open);
  cairo_stroke(cr);
}

enum class Word { plain, dynamic };
void word(cairo_t* cr, const char* text, double cx, double baseline, double size,
          Word kind = Word::plain) {
  TextStyle s;
  s.size = size;
  s.align = Align::centre;
  if (kind == Word::dynamic) {
    s.slant = 0.22;
    s.embolden = 0.7;
  } else {
    s.embolden = 0.25;  // a touch of weight so small words hold up next to symbols
  }
  drawText(cr, text, cx, baseline, s);
}

void twoWords(cairo_t* cr, const char* top, const char* bottom) {
  word(cr, top, 10, 8.5, 9.5);
  word(cr, bottom, 10, 18, 9.5);
}

void star(cairo_t* cr, double cx, double cy, double r, double inner) {
  cairo_new_sub_path(cr);
  for (int i = 0; i < 8; ++i) {
    const double a = M_PI / 4 * i - M_PI / 2;
    const double rr = i % 2 ? inner : r;
    cairo_line_to(cr, cx + rr * std::cos(a), cy + rr * std::sin(a));
  }
  cairo_close_path(cr);
  cairo_fill(cr);
}

void diamondHead(cairo_t* cr, double cx, double cy) {
  cairo_set_line_width(cr, 1.3);
  cairo_move_to(cr, cx - 3.2, cy);
  cairo_line_to(cr, cx, cy - 3);
  cairo_line_to(cr, cx + 3.2, cy);
  cairo_line_to(cr, cx, cy + 3);
  cairo_close_path(cr);
  cairo_stroke(cr);
}

void ring(cairo_t* cr, double cx, double cy, double r, double width = 1.3) {
  cairo_set_line_width(cr, width);
  cairo_new_sub_path(cr);
  cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
  cairo_stroke(cr);
}

void quarterRest(cairo_t* cr) {
  cairo_set_line_width(cr, 1.6);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_move_to(cr, 8, 1.5);
  cairo_line_to(cr, 12, 6);
  cairo_line_to(cr, 8.5, 9.5);
  cairo_line_to(cr, 12.5, 13.5);
  cairo_stroke(cr);
  cairo_move_to(cr, 12.5, 13.5);
  cairo_curve_to(cr, 9, 12.5, 7, 15, 10.5, 18.5);
  cairo_curve_to(cr, 6, 17, 6.5, 11, 12.5, 13.5);
  cairo_fill(cr);
  // Thicken the middle stroke as the engraved sign has it.
  cairo_move_to(cr, 12, 6);
  cairo_line_to(cr, 8.5, 9.5);
  cairo_set_line_width(cr, 2.6);
  cairo_stroke(cr);
}

// --- The drawn symbols -----------------------------------------------------

void drawSymbol(cairo_t* cr, int id) {
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  switch (id) {
    case 0:  // sustain: a whole note held on
      head(cr, 5, 10, false, 1.2);
      roundedRect(cr, 10, 8.7, 9.5, 2.6, 1.3);
      cairo_fill(cr);
      break;
    case 1:  // legato: two notes under a slur
      quarter(cr, 5, 11, 1.5);
      quarter(cr, 14, 8, 0.5);
      slur(cr, 3, 15, 16, 12.5, 4.5);
      break;
    case 2:
      markedNote(cr);
      dot(cr, kNoteX, kMarkY, 1.6);
      break;
    case 3:
      markedNote(cr);
      wedge(cr, kNoteX, kMarkY);
      break;
    case 4:  // spiccato: a dot bouncing off the string
      markedNote(cr);
      dot(cr, kNoteX, kMarkY + 1.5, 1.5);
      cairo_set_line_width(cr, 1.2);
      cairo_move_to(cr, kNoteX + 1.8, kMarkY + 1);
      cairo_curve_to(cr, kNoteX + 3.5, kMarkY - 4, kNoteX + 6.5, kMarkY - 4, kNoteX + 8,
                     kMarkY + 1.5);
      cairo_stroke(cr);
      break;
    case 5:
      markedNote(cr);
      marcatoMark(cr, kNoteX, kMarkY + 0.6);
      break;
    case 6:
      markedNote(cr);
      tenutoLine(cr, kNoteX, kMarkY);
      break;
    case 7:  // portato: tenuto line over a dot
      markedNote(cr);
      tenutoLine(cr, kNoteX, kMarkY - 1.5);
      dot(cr, kNoteX, kMarkY + 2.2, 1.35);
      break;
    case 8:
      markedNote(cr);
      accentMark(cr, kNoteX, kMarkY + 0.3);
      break;
    case 9:
      word(cr, "pizz.", 10, 14, 11.5);
      break;
    case 10:  // snap pizzicato
      ring(cr, 10, 12, 5.3, 1.5);
      line(cr, 10, 12, 10, 1.5, 1.5);
      break;
    case 11:
      twoWords(cr, "col", "legno");
      break;
    case 12:  // tremolo: three strokes through the stem
      quarter(cr, 8, 16, 0.5);
      slash(cr, 11, 3.2);
      slash(cr, 11, 6.6);
      slash(cr, 11, 10);
      break;
    case 13:  // measured tremolo: two strokes on beamed notes
      quarter(cr, 4.5, 16, 2);
      quarter(cr, 14, 16, 2);
      cairo_rectangle(cr, 6.9, 1.2, 10.4, 2.2);
      cairo_fill(cr);
      slash(cr, 12.3, 6.3, 2.7);
      slash(cr, 12.3, 9.5, 2.7);
      break;
    case 14:
    case 15:  // trills, by the interval
      word(cr, "tr", 5.5, 9, 11, Word::dynamic);
      word(cr, id == 14 ? "m2" : "M2", 15, 9, 8.5);
      wave(cr, 2, 18, 15, 1.9, 3.2, 1.5);
      break;
    case kTrill:  // any trill, the symbol the variants carry
      word(cr, "tr", 10, 9.5, 12.5, Word::dynamic);
      wave(cr, 2, 18, 15.5, 2.0, 3.4, 1.5);
      break;
    case 16:  // harmonics: diamond head under a circle
      diamondHead(cr, 8, 15);
      line(cr, 11.2, 15, 11.2, 3.5);
      ring(cr, 5, 5, 2.4, 1.2);
      break;
    case 17:
      twoWords(cr, "con", "sord.");
      break;
    case 18:
      word(cr, "pont.", 10, 14, 11.5);
      break;
    case 19:
      word(cr, "tasto", 10, 14, 11.5);
      break;
    case 20:
      word(cr, "flaut.", 10, 14, 11);
      break;
    case 21:
      word(cr, "sfz", 10, 14.5, 13.5, Word::dynamic);
      break;
    case 22:  // swell
      hairpin(cr, 1, 10, 10, 4.5, true);
      hairpin(cr, 10, 19, 10, 4.5, false);
      break;
    case 23:
      hairpin(cr, 2, 18, 10, 5.5, true);
      break;
    case 24:
      hairpin(cr, 2, 18, 10, 5.5, false);
      break;
    case 25:  // glissando: a wavy line climbing between two notes
      head(cr, 4, 16.5);
      head(cr, 16, 4);
      cairo_save(cr);
      cairo_translate(cr, 6.5, 14);
      cairo_rotate(cr, -std::atan2(9.5, 7.5));
      wave(cr, 0, 12, 0, 2.0, 3.0, 1.3);
      cairo_restore(cr);
      break;
    case 26:  // portamento: a smooth slide between two notes
      head(cr, 4, 16.5);
      head(cr, 16, 4);
      cairo_set_line_width(cr, 1.4);
      cairo_move_to(cr, 6.5, 15);
      cairo_curve_to(cr, 11, 14.5, 10, 6, 13.5, 5.3);
      cairo_stroke(cr);
      break;
    case 27:  // effects: sparkles
      star(cr, 8, 11, 7.5, 2);
      star(cr, 16, 4.5, 3.5, 1);
      star(cr, 16.5, 16, 2.5, 0.8);
      break;
    case 28:
      word(cr, "fp", 10, 14.5, 14, Word::dynamic);
      break;
    case 29:  // fall: the pitch drops off the end of the note
      head(cr, 6, 6.5);
      cairo_set_line_width(cr, 1.5);
      cairo_move_to(cr, 9.5, 6.5);
      cairo_curve_to(cr, 14, 6.5, 17, 10, 18, 18);
      cairo_stroke(cr);
      break;
    case 30:  // rip: a fast rise into the note
      head(cr, 15, 5);
      cairo_set_line_width(cr, 1.5);
      cairo_move_to(cr, 2, 18);
      cairo_curve_to(cr, 5, 12, 7, 7, 11.5, 5.5);
      cairo_stroke(cr);
      line(cr, 2, 18, 2, 18);
      break;
    case 31:
      wave(cr, 1.5, 18.5, 10, 2.6, 5.6, 1.6);
      break;
    case 32:  // non vibrato: a straight tone
      word(cr, "n.v.", 10, 9, 10);
      line(cr, 2, 14.5, 18, 14.5, 1.6);
      break;
    case 33:
      wave(cr, 1.5, 18.5, 10, 5.0, 8.5, 2.0);
      break;
    case 34:  // down-bow
      cairo_rectangle(cr, 4, 5, 12, 3);
      cairo_fill(cr);
      line(cr, 4.7, 6, 4.7, 16, 1.4);
      line(cr, 15.3, 6, 15.3, 16, 1.4);
      break;
    case 35:  // up-bow
      cairo_set_line_width(cr, 1.5);
      cairo_move_to(cr, 4.5, 4);
      cairo_line_to(cr, 10, 17);
      cairo_line_to(cr, 15.5, 4);
      cairo_stroke(cr);
      break;
    case 36:  // detache: down-bow, up-bow
      cairo_rectangle(cr, 1.5, 6, 7.5, 2.2);
      cairo_fill(cr);
      line(cr, 2.1, 7, 2.1, 14, 1.2);
      line(cr, 8.4, 7, 8.4, 14, 1.2);
      cairo_set_line_width(cr, 1.3);
      cairo_move_to(cr, 11.5, 5.5);
      cairo_line_to(cr, 15, 14.5);
      cairo_line_to(cr, 18.5, 5.5);
      cairo_stroke(cr);
      break;
    case 37:  // ricochet: the bow bouncing lower each time
      cairo_set_line_width(cr, 1.3);
      cairo_move_to(cr, 1.5, 15.5);
      cairo_curve_to(cr, 2.5, 2.5, 7.5, 2.5, 8.5, 15.5);
      cairo_curve_to(cr, 9.3, 7.5, 12.7, 7.5, 13.5, 15.5);
      cairo_curve_to(cr, 14.1, 11, 16.4, 11, 17, 15.5);
      cairo_curve_to(cr, 17.4, 13.5, 18.6, 13.5, 19, 15.5);
      cairo_stroke(cr);
      dot(cr, 8.5, 18.3, 1.2);
      dot(cr, 13.5, 18.3, 1.1);
      dot(cr, 17, 18.3, 1.0);
      break;
    case 38:
      word(cr, "mart.", 10, 14, 11.5);
      break;
    case 39:
      word(cr, "saut.", 10, 14, 11.5);
      break;
    case 40:  // flutter tongue: the z through the stem
      quarter(cr, 7.5, 16, 1);
      cairo_set_line_width(cr, 1.4);
      cairo_move_to(cr, 7, 5);
      cairo_line_to(cr, 14.5, 5);
      cairo_line_to(cr, 7, 11);
      cairo_line_to(cr, 14.5, 11);
      cairo_stroke(cr);
      break;
    case 41:
      word(cr, "T K", 10, 14, 11.5);
      break;
    case 42:
      word(cr, "T T K", 10, 14, 10.5);
      break;
    case 43:  // mordent
      cairo_set_line_width(cr, 1.5);
      cairo_move_to(cr, 2, 12);
      cairo_line_to(cr, 5.5, 7);
      cairo_line_to(cr, 8.5, 12);
      cairo_line_to(cr, 11.5, 7);
      cairo_line_to(cr, 14.5, 12);
      cairo_line_to(cr, 18, 7);
      cairo_stroke(cr);
      line(cr, 10, 3.5, 10, 15.5, 1.2);
      break;
    case 44:  // turn
      cairo_set_line_width(cr, 1.6);
      cairo_move_to(cr, 3, 12);
      cairo_curve_to(cr, 0.5, 8, 4.5, 4.5, 7.5, 8);
      cairo_curve_to(cr, 10, 11, 10, 11, 12.5, 12);
      cairo_curve_to(cr, 15.5, 15.5, 19.5, 12, 17, 8);
      cairo_stroke(cr);
      dot(cr, 3, 12, 1.6);
      dot(cr, 17, 8, 1.6);
      break;
    case 45:  // grace note: a small slashed note before the main one
      quarter(cr, 4, 9, 1.5, 0.65);
      flag(cr, 5.95, 1.5, 0.6);
      line(cr, 2.5, 6.5, 9.5, 2.5, 1);
      quarter(cr, 14, 15, 3);
      break;
    case 46:
      word(cr, "div.", 10, 14, 12);
      break;
    case 47:
      word(cr, "unis.", 10, 14, 11.5);
      break;
    case 48:
      word(cr, "solo", 10, 14, 12);
      break;
    case 49:
      word(cr, "tutti", 10, 14, 12);
      break;
    case 50:  // arpeggio: a wavy line beside a chord
      cairo_save(cr);
      cairo_translate(cr, 3.5, 19);
      cairo_rotate(cr, -M_PI / 2);
      wave(cr, 0, 18, 0, 1.6, 4.0, 1.3);
      cairo_restore(cr);
      head(cr, 12.5, 16.5);
      head(cr, 12.5, 10.5);
      head(cr, 12.5, 4.5);
      line(cr, 15.5, 16, 15.5, 0.5);
      break;
    case 51:  // stopped
      line(cr, 10, 3, 10, 17, 2.4);
      line(cr, 3, 10, 17, 10, 2.4);
      break;
    case 52:
      ring(cr, 10, 10, 6, 2.0);
      break;  // open
    case 53:  // bend: an arrow curving upwards
      cairo_set_line_width(cr, 1.6);
      cairo_move_to(cr, 2, 17);
      cairo_curve_to(cr, 10, 17, 14, 14, 14.5, 6);
      cairo_stroke(cr);
      cairo_move_to(cr, 10.5, 7.5);
      cairo_line_to(cr, 14.5, 1.5);
      cairo_line_to(cr, 18.5, 7.5);
      cairo_close_path(cr);
      cairo_fill(cr);
      break;
    case 54:  // ghost note: a cross head
      line(cr, 4, 12, 10, 18, 1.7);
      line(cr, 4, 18, 10, 12, 1.7);
      line(cr, 10.6, 15, 10.6, 1.5, kStroke);
      break;
    case 55:
      quarter(cr, 8.5, 15, 2);
      break;  // the plain note of a new slot
    case 56:  // repetition: three beamed notes
      for (int i = 0; i < 3; ++i) quarter(cr, 3 + 6.2 * i, 16, 3, 0.85);
      cairo_rectangle(cr, 4.9, 2.2, 12.6, 2.4);
      cairo_fill(cr);
      break;
    case 57:  // shorts: short bars stepping down
      for (int i = 0; i < 3; ++i) {
        roundedRect(cr, 1.5 + 6.3 * i, 3.5 + 5 * i, 4.6, 3.2, 1);
        cairo_fill(cr);
      }
      break;
    case 58:  // cluster: seconds stacked on one stem
      head(cr, 6.5, 16.5);
      head(cr, 12.5, 14);
      head(cr, 6.5, 11.5);
      head(cr, 12.5, 9);
      line(cr, 9.6, 16, 9.6, 0.8);
      break;
    case 59:
      quarterRest(cr);
      break;
    default:
      break;
  }
}

void drawMark(cairo_t* cr, int mark) {
  // The mark sits in the lower right corner, under the shrunken symbol.
  const double x = 16.2, y = 17;
  switch (mark) {
    case 0:
      word(cr, "p", x, y + 2.2, 10, Word::dynamic);
      break;
    case 1:
      word(cr, "f", x, y + 2.5, 10.5, Word::dynamic);
      break;
    case 2:  // fast
      cairo_set_line_width(cr, 1.3);
      for (double dx : {-2.2, 1.2}) {
        cairo_move_to(cr, x + dx - 1.5, y - 3);
        cairo_line_to(cr, x + dx + 1.5, y);
        cairo_line_to(cr, x + dx - 1.5, y + 3);
      }
      cairo_stroke(cr);
      break;
    case 3:  // slow: a clock face
      ring(cr, x, y, 3.3, 1.1);
      line(cr, x, y, x, y - 2.2, 1.0);
      line(cr, x, y, x + 1.6, y + 0.4, 1.0);
      break;
    case 4:
      word(cr, "2", x, y + 3.2, 9.5);
      break;
    default:
      word(cr, "3", x, y + 3.2, 9.5);
      break;
  }
}

}  // namespace

void drawIconCell(cairo_t* cr, double x, double y, int id, bool lit) {
  cairo_save(cr);
  // Face: columns 1-25 and rows 1-26 of the 28 x 28 area, so that the slot
  // grid shows a gap of well around every button.
  const double fx = x + 1, fy = y + 1, fw = 25, fh = 26;
  roundedRect(cr, fx, fy, fw, fh, 3.5);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, fy, 0, fy + fh);
  if (lit) {
    addStop(g, 0, rgb(72, 70, 66));
    addStop(g, 1, rgb(54, 53, 50));
  } else {
    addStop(g, 0, rgb(41, 41, 39));
    addStop(g, 1, rgb(33, 33, 31));
  }
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  cairo_rectangle(cr, fx + 3, fy, fw - 6, 1);
  setSource(cr, lit ? rgb(98, 96, 90) : rgb(54, 54, 51));
  cairo_fill(cr);

  // Symbol box: 20 units on 19 pixels, centred on the face.
  cairo_translate(cr, fx + fw / 2 - 9.5, fy + fh / 2 - 9.5);
  cairo_scale(cr, 0.95, 0.95);
  setSource(cr, lit ? rgb(250, 249, 244) : rgb(136, 135, 129));
  if (id < kDrawn) {
    drawSymbol(cr, id);
  } else {
    const int v = id - kDrawn;
    cairo_save(cr);
    cairo_scale(cr, 0.76, 0.76);
    drawSymbol(cr, kVariantFamilies[v / kVariantMarks]);
    cairo_restore(cr);
    drawMark(cr, v % kVariantMarks);
  }
  cairo_restore(cr);
}

}  // namespace skin
