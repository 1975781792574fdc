#include "canvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace skin {

Rgb mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void setSource(cairo_t* cr, Rgb c, double alpha) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void addStop(cairo_pattern_t* p, double offset, Rgb c, double alpha) {
  cairo_pattern_add_color_stop_rgba(p, offset, c.r, c.g, c.b, alpha);
}

Image::Image(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)) {
  fill(rgb(0, 0, 0));
}

Image::~Image() {
  if (surface_) cairo_surface_destroy(surface_);
}

Image::Image(Image&& other) noexcept
    : width_(other.width_),
      height_(other.height_),
      surface_(std::exchange(other.surface_, nullptr)) {}

unsigned Image::pixel(int x, int y) const {
  cairo_surface_flush(surface_);
  const unsigned char* row =
      cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
  unsigned value;
  std::memcpy(&value, row + 4 * x, 4);
  return value & 0xFFFFFFu;
}

void Image::fill(Rgb c) {
  Pen cr(*this);
  setSource(cr, c);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
}

void Image::copyFrom(const Image& src, int sx, int sy, int w, int h, int dx, int dy) {
  Pen cr(*this);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, src.surface(), dx - sx, dy - sy);
  cairo_rectangle(cr, dx, dy, w, h);
  cairo_fill(cr);
}

Pen::Pen(const Image& target) : cr_(cairo_create(target.surface())) {
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
}

Pen::~Pen() { cairo_destroy(cr_); }

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  r = std::min({r, w / 2, h / 2});
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

namespace {

FT_Library library = nullptr;
FT_Face ftFace = nullptr;
cairo_font_face_t* face = nullptr;

cairo_font_face_t* currentFace() {
  if (!face)
    face =
        cairo_toy_font_face_create("sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  return face;
}

void applyStyle(cairo_t* cr, const TextStyle& style) {
  cairo_set_font_face(cr, currentFace());
  cairo_matrix_t m;
  cairo_matrix_init(&m, style.size, 0, -style.slant * style.size, style.size, 0, 0);
  cairo_set_font_matrix(cr, &m);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

}  // namespace

bool loadFace(const std::string& ttfPath) {
  if (face || ttfPath.empty()) return false;
  if (FT_Init_FreeType(&library) != 0) return false;
  if (FT_New_Face(library, ttfPath.c_str(), 0, &ftFace) != 0) {
    std::fprintf(stderr, "skin_gen: cannot read the font %s\n", ttfPath.c_str());
    FT_Done_FreeType(library);
    library = nullptr;
    ftFace = nullptr;
    return false;
  }
  face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
  return true;
}

double textWidth(cairo_t* cr, const std::string& text, const TextStyle& style) {
  cairo_save(cr);
  applyStyle(cr, style);
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  cairo_restore(cr);
  return e.x_advance + style.embolden;
}

double drawText(cairo_t* cr, const std::string& text, double x, double baseline,
                const TextStyle& style) {
  const double width = textWidth(cr, text, style);
  if (style.align == Align::centre) x -= width / 2;
  if (style.align == Align::right) x -= width;
  cairo_save(cr);
  applyStyle(cr, style);
  cairo_move_to(cr, x + style.embolden / 2, baseline);
  if (style.embolden > 0) {
    cairo_text_path(cr, text.c_str());
    cairo_set_line_width(cr, style.embolden);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
  } else {
    cairo_show_text(cr, text.c_str());  // hinted glyphs stay crisp at caption sizes
  }
  cairo_restore(cr);
  return width;
}

}  // namespace skin
