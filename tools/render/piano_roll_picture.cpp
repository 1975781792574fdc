#include "tools/render/piano_roll_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/skin/slot_hues.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_easy_font.h>
#pragma GCC diagnostic pop

namespace {

constexpr int kMaxPlotWidth = 12000;  // pixels of time
constexpr int kPixelsPerBar = 64;
constexpr int kLeft = 34;  // key names
constexpr int kRight = 8;
constexpr int kLineHeight = 12;
constexpr int kSwitchStrip = 14;
constexpr SlotHue kGround{28, 28, 32}, kBlackKeyRow{22, 22, 26}, kBarLine{64, 64, 72},
    kOctaveLine{46, 46, 54}, kLabel{200, 200, 196}, kSwitchTick{240, 240, 240};

std::string Printable(const std::string& text) {
  std::string ascii;
  for (char ch : text) ascii += ch >= 32 && ch < 127 ? ch : '?';
  return ascii;
}

class Canvas {
 public:
  Canvas(int width, int height)
      : p_{width, height, std::vector<uint8_t>(size_t(width) * size_t(height) * 3)} {}
  void Fill(int x, int y, int w, int h, SlotHue c) {
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(p_.width, x + w), y1 = std::min(p_.height, y + h);
    for (int yy = y0; yy < y1; ++yy) {
      uint8_t* row = &p_.rgb[(size_t(yy) * p_.width + x0) * 3];
      for (int xx = x0; xx < x1; ++xx, row += 3) {
        row[0] = c.r;
        row[1] = c.g;
        row[2] = c.b;
      }
    }
  }
  // Text with its top at y.
  void Text(int x, int y, const std::string& text, SlotHue c) {
    std::string ascii = Printable(text);
    std::vector<char> quads(ascii.size() * 64 * 24 + 64);  // 64 bytes a quad
    const int count = stb_easy_font_print(0, 0, ascii.data(), nullptr, quads.data(),
                                          static_cast<int>(quads.size()));
    for (int q = 0; q < count; ++q) {
      float v[10];
      std::memcpy(v, &quads[size_t(q) * 64], sizeof v);
      // Vertices 0 and 2 (16 bytes each: x, y, z, colour) are opposite corners.
      const int x0 = int(std::lround(v[0])), y0 = int(std::lround(v[1]));
      const int x1 = int(std::lround(v[8])), y1 = int(std::lround(v[9]));
      Fill(x + x0, y + y0, x1 - x0, y1 - y0, c);
    }
  }
  static int Width(const std::string& text) {
    std::string ascii = Printable(text);
    return stb_easy_font_width(ascii.data());
  }
  Picture Take() { return std::move(p_); }

 private:
  Picture p_;
};

SlotHue Darker(SlotHue c) {
  return {uint8_t(c.r * 3 / 5), uint8_t(c.g * 3 / 5), uint8_t(c.b * 3 / 5)};
}

// A guessed note: a black-and-white outline and diagonal hatching over its
// colour, plain at any zoom and on any slot colour.
void MarkGuessed(Canvas& canvas, int x, int y, int w, int h) {
  const SlotHue black{0, 0, 0}, white{255, 255, 255};
  canvas.Fill(x, y, w, 1, black);
  canvas.Fill(x, y + h - 1, w, 1, black);
  canvas.Fill(x, y, 1, h, black);
  canvas.Fill(x + w - 1, y, 1, h, black);
  for (int dx = 0; dx < w; ++dx)
    for (int dy = 1; dy + 1 < h; ++dy)
      if ((dx + dy) % 4 == 0) canvas.Fill(x + dx, y + dy, 1, 1, white);
}

}  // namespace

Picture DrawPianoRoll(const PianoRoll& roll, const std::array<std::string, 16>& names,
                      const std::string& title) {
  const BarPositions bars(roll.division(), roll.metres(), roll.endTick());
  const int plotWidth = int(std::clamp(bars.count() * kPixelsPerBar, 480.0, double(kMaxPlotWidth)));
  const uint64_t end = std::max<uint64_t>(roll.endTick(), 1);
  auto xOf = [&](uint64_t tick) { return kLeft + int(double(tick) / double(end) * plotWidth); };

  int low = 127, high = 0;
  std::array<int, 16> perSlot{};
  for (const PianoRoll::Note& n : roll.notes()) {
    low = std::min<int>(low, n.key);
    high = std::max<int>(high, n.key);
    ++perSlot[n.slot];
  }
  if (low > high) low = 48, high = 72;
  low = std::max(0, low - 2), high = std::min(127, high + 2);
  const int keys = high - low + 1;
  const int keyHeight = std::clamp(640 / keys, 3, 10);

  // The legend: the slots that play, with their colours, names and counts.
  std::vector<std::string> labels;
  std::vector<int> labelSlots;
  for (int s = 0; s < 16; ++s) {
    if (!perSlot[s]) continue;
    const std::string name = names[s].empty() ? "Articulation " + std::to_string(s + 1) : names[s];
    labels.push_back(std::to_string(s + 1) + " " + name + " (" + std::to_string(perSlot[s]) + ")");
    labelSlots.push_back(s);
  }
  const int width = kLeft + plotWidth + kRight;
  auto layOut = [&](auto place) {
    int x = kLeft, line = 0;
    for (size_t i = 0; i < labels.size(); ++i) {
      const int w = 16 + Canvas::Width(labels[i]) + 14;
      if (x + w > width - kRight && x > kLeft) ++line, x = kLeft;
      place(i, x, line);
      x += w;
    }
    return line + 1;
  };
  const int legendTop = 4 + kLineHeight + 4;
  const int legendLines = layOut([](size_t, int, int) {});
  const int rollTop = legendTop + legendLines * kLineHeight + 6;
  const int rollHeight = keys * keyHeight;
  const int stripTop = rollTop + rollHeight + 2;
  const int height = stripTop + kSwitchStrip + kLineHeight + 6;

  Canvas canvas(width, height);
  canvas.Fill(0, 0, width, height, kGround);
  canvas.Text(kLeft, 4, title, kLabel);
  layOut([&](size_t i, int x, int line) {
    const int y = legendTop + line * kLineHeight;
    canvas.Fill(x, y + 1, 12, 8, kSlotHues[labelSlots[i]]);
    canvas.Text(x + 16, y + 1, labels[i], kLabel);
  });

  // Key rows, the black keys darker, a line and a name at every C.
  auto yOf = [&](int key) { return rollTop + (high - key) * keyHeight; };
  for (int key = low; key <= high; ++key) {
    const int pc = key % 12;
    if (pc == 1 || pc == 3 || pc == 6 || pc == 8 || pc == 10)
      canvas.Fill(kLeft, yOf(key), plotWidth, keyHeight, kBlackKeyRow);
    if (pc == 0) {
      canvas.Fill(kLeft, yOf(key) + keyHeight - 1, plotWidth, 1, kOctaveLine);
      canvas.Text(2, yOf(key) + keyHeight - 8, "C" + std::to_string(key / 12 - 2), kLabel);
    }
  }

  // Bar lines with their numbers; where bars lie close, every n-th.
  const double pixelsPerBar = plotWidth / bars.count();
  const double lineStride = std::max(1.0, std::ceil(4 / pixelsPerBar));
  const double numberStride = std::max(1.0, std::ceil(40 / pixelsPerBar));
  int lastLineX = -1;
  const auto& segments = bars.segments();
  for (size_t s = 0; s < segments.size(); ++s) {
    const auto& seg = segments[s];
    const double last = s + 1 < segments.size() ? segments[s + 1].first : bars.count();
    for (double b = std::ceil(seg.first / lineStride) * lineStride; b < last; b += lineStride) {
      const double tick = double(seg.tick) + (b - seg.first) * seg.length;
      if (tick > double(end)) break;
      const int lineX = xOf(uint64_t(tick));
      if (lineX <= lastLineX) continue;
      lastLineX = lineX;
      canvas.Fill(lineX, rollTop, 1, rollHeight, kBarLine);
      if (std::fmod(b, numberStride) == 0) {
        char number[32];
        std::snprintf(number, sizeof number, "%.0f", b + 1);
        canvas.Text(lineX + 2, stripTop + kSwitchStrip + 2, number, kLabel);
      }
    }
  }

  for (const PianoRoll::Note& n : roll.notes()) {
    const int x0 = xOf(n.start), x1 = std::max(xOf(n.end), x0 + 2);
    const SlotHue hue = kSlotHues[n.slot];
    canvas.Fill(x0, yOf(n.key), x1 - x0, keyHeight, Darker(hue));
    canvas.Fill(x0 + 1, yOf(n.key) + 1, std::max(1, x1 - x0 - 2), std::max(1, keyHeight - 2), hue);
    if (n.guessed) MarkGuessed(canvas, x0, yOf(n.key), x1 - x0, keyHeight);
  }
  canvas.Text(2, stripTop + 2, "sw", kLabel);
  for (uint64_t tick : roll.switches())
    canvas.Fill(xOf(tick), stripTop + 2, 1, kSwitchStrip - 4, kSwitchTick);
  return canvas.Take();
}
