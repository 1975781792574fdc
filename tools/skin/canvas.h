// Drawing helpers shared by the skin generator: colours, image surfaces,
// shapes and text. Every image is a cairo RGB24 surface; coordinates are
// pixels with the origin at the top left, as in the editor.
#pragma once

#include <cairo.h>

#include <string>

namespace skin {

struct Rgb {
  double r, g, b;  // 0..1
};

constexpr Rgb rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
Rgb mix(Rgb a, Rgb b, double t);  // t = 0 gives a, 1 gives b

void setSource(cairo_t* cr, Rgb c, double alpha = 1.0);
void addStop(cairo_pattern_t* p, double offset, Rgb c, double alpha = 1.0);

// Owns one image surface; the generator keeps a handful of them alive.
class Image {
 public:
  Image(int width, int height);
  ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  Image(Image&& other) noexcept;

  int width() const { return width_; }
  int height() const { return height_; }
  cairo_surface_t* surface() const { return surface_; }
  // 0x00RRGGBB of one pixel.
  unsigned pixel(int x, int y) const;
  void fill(Rgb c);
  // Plain copy of a rectangle, no blending, as the editor copies sprites.
  void copyFrom(const Image& src, int sx, int sy, int w, int h, int dx, int dy);

 private:
  int width_, height_;
  cairo_surface_t* surface_;
};

// A drawing context on an image, released when it goes out of scope.
class Pen {
 public:
  explicit Pen(const Image& target);
  ~Pen();
  Pen(const Pen&) = delete;
  Pen& operator=(const Pen&) = delete;
  operator cairo_t*() const { return cr_; }

 private:
  cairo_t* cr_;
};

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);

// Text in the panel's face: call once, before any text is drawn; false when
// the file cannot be read. Without a loaded face a system sans-serif stands
// in. The face lives until the program ends.
bool loadFace(const std::string& ttfPath);

enum class Align { left, centre, right };
struct TextStyle {
  double size = 11;     // em size in pixels
  double slant = 0;     // horizontal shear, for dynamics marks
  double embolden = 0;  // outline width added around the glyphs
  Align align = Align::left;
};
// Draws text with its baseline at y; returns the advance width.
double drawText(cairo_t* cr, const std::string& text, double x, double baseline,
                const TextStyle& style);
double textWidth(cairo_t* cr, const std::string& text, const TextStyle& style);

}  // namespace skin
