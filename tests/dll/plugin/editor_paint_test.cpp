// The painter in a real window system: composed pixels checked against the
// skin they were copied from (a coded skin whose pixels name their source,
// and the module's own artwork), the paint message path, invalidation, and
// the graphics objects a thousand paints leave behind.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "editor/editor_resources.h"
#include "editor/panel_painter.h"
#include "editor/panel_snapshot.h"
#include "plugin/kavo_lumet_plug.h"
#include "tests/gui/panel_test_support.h"
#include "tests/support/recording_host.h"

using namespace panel_test;

namespace {

KAVOLumetPlug* CreatePlug(RecordingHost& host) {
  return static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, 5));
}

// ---------------------------------------------------------------------------
// The panel drawn again, step by step from the drawing tables, with plain
// GDI calls and literal coordinates: what the painter must produce.
Pixels ReferencePanel(const EditorResources& s, const DataModel& m, PanelPoint mouse) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 240, -240, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = CreateCompatibleDC(nullptr);
  HGDIOBJ keptMem = SelectObject(mem, dib);
  HDC src = CreateCompatibleDC(mem);
  HGDIOBJ keptSrc = SelectObject(src, s.background);
  auto blit = [&](HBITMAP from, int dx, int dy, int w, int h, int sx, int sy) {
    SelectObject(src, from);
    BitBlt(mem, dx, dy, w, h, src, sx, sy, SRCCOPY);
  };
  auto text = [&](const char* t, int l, int top, int r, int b, UINT format) {
    RECT rect{l, top, r, b};
    DrawTextA(mem, t, -1, &rect, format);
  };
  const COLORREF label = RGB(188, 187, 182), value = RGB(217, 178, 124), dim = RGB(128, 127, 122);
  const UINT centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP;

  blit(s.background, 0, 0, 480, 240, 0, 0);
  for (int i = 0; i < 16; ++i) {
    const int j = i % 8, r = i / 8;
    const bool hovered = 28 * j + 9 <= mouse.x && mouse.x <= 28 * j + 33 && 44 * r + 9 <= mouse.y &&
                         mouse.y <= 44 * r + 48;
    const bool lit = hovered || i == m.selectedSlot;
    blit(s.icons, 28 * j + 8, 44 * r + 9, 27, 27, 32 * m.bank.iconId[i] + 2, lit ? 0 : 28);
  }
  for (int i = 0; i < 16; ++i) {
    const int j = i % 8, r = i / 8;
    const int hovered = 28 * j + 9 <= mouse.x && mouse.x <= 28 * j + 33 && 44 * r + 9 <= mouse.y &&
                        mouse.y <= 44 * r + 48;
    const int current = i == m.currentSlot;
    blit(s.background, 28 * j + 15, 44 * r + 36, 14, 12, 240 + 14 * i,
         12 * (2 * hovered + current));
  }
  const int p = m.pageIndex;
  blit(s.background, 6 + 45 * p, 185, 45, 45, 239 + 45 * p, 195);

  HFONT valueFont = CreateSkinFont(22);
  SetBkMode(mem, TRANSPARENT);
  SetTextColor(mem, label);
  HGDIOBJ keptFont = GetCurrentObject(mem, OBJ_FONT);
  char buffer[64];
  if (p == 0) {
    const int slot = m.selectedSlot;
    blit(s.background, 5, 102, 229, 73, 240, 48);
    SelectObject(mem, s.labelFont);
    if (m.bank.name[slot].empty()) {
      std::snprintf(buffer, sizeof buffer, "Articulation %i", slot + 1);
      text(buffer, 8, 104, 100, 120, DT_SINGLELINE);
    } else {
      text(m.bank.name[slot].c_str(), 8, 104, 100, 120, DT_SINGLELINE);
    }
    blit(s.icons, 15, 132, 28, 27, 32 * m.bank.iconId[slot] + 2, 1);
    SelectObject(mem, valueFont);
    SetTextColor(mem, value);
    const int note = m.bank.keyswitch[slot];
    text(note < 0 ? "----" : s.noteNames[note].data(), 110, 130, 152, 160, centred);
    std::snprintf(buffer, sizeof buffer, "%i", static_cast<int>(m.bank.modwheel[slot]));
    text(m.bank.modwheel[slot] < 0 ? "---" : buffer, 158, 130, 190, 160, centred);
    std::snprintf(buffer, sizeof buffer, "%i", static_cast<int>(m.bank.uacc[slot]));
    text(m.bank.uacc[slot] < 0 ? "---" : buffer, 194, 130, 226, 160, centred);
  }
  SelectObject(mem, valueFont);
  SetTextColor(mem, value);
  std::snprintf(buffer, sizeof buffer, "%i", static_cast<int>(m.output.port));
  text(buffer, 156, 190, 190, 215, centred);
  std::snprintf(buffer, sizeof buffer, "%i", m.output.channel + 1);
  text(buffer, 198, 190, 224, 215, centred);
  SelectObject(mem, keptFont);
  DeleteObject(valueFont);
  if (p == 1) {
    auto frame = [](int v) { return static_cast<int>(static_cast<double>(v) / 127 * 63); };
    const auto& c = m.controllers.value;
    blit(s.background, 5, 102, 229, 73, 240, 122);
    blit(s.slider, 174, 105, 56, 24, 0, 24 * frame(c[0]));
    for (int k = 0; k < 4; ++k) blit(s.knobs, 12 + 45 * k, 127, 34, 34, 0, 34 * frame(c[k + 1]));
    blit(s.switches, 192, 127, 34, 34, 0, 34 * (c[5] / 64));
  }
  if (p == 2) {
    HFONT small = CreateSkinFont(14);
    SetBkMode(mem, TRANSPARENT);
    SelectObject(mem, small);
    const UINT line = DT_SINGLELINE | DT_NOCLIP;
    SetTextColor(mem, label);
    text("CC Ghosting", 26, 126, 116, 136, line);
    blit(s.background, 11, 128, 10, 10, 375 + 10 * m.output.ccGhosting, 195);
    SetTextColor(mem, dim);
    text("MIDI Extend", 26, 142, 116, 153, line);
    blit(s.background, 11, 144, 10, 10, 395, 195);
    SetTextColor(mem, label);
    text("Preserve Port/Channel", 26, 158, 116, 170, line);
    blit(s.background, 11, 160, 10, 10, 375 + 10 * m.output.preservePortChannel, 195);
    text("KAVO Velmora v0.3", 108, 111, 224, 171, DT_RIGHT | DT_WORDBREAK);
    SetTextColor(mem, dim);
    text(kPanelCredits, 108, 111, 224, 171, DT_RIGHT | DT_WORDBREAK);
    SelectObject(mem, keptFont);
    DeleteObject(small);
  }
  GdiFlush();
  Pixels pixels(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + 240 * 240);
  for (uint32_t& px : pixels) px &= 0x00FFFFFF;
  SelectObject(src, keptSrc);
  DeleteDC(src);
  SelectObject(mem, keptMem);
  DeleteDC(mem);
  DeleteObject(dib);
  return pixels;
}

// A model with something different in every slot and every field.
DataModel VariedModel() {
  DataModel m;
  for (int i = 0; i < 16; ++i) {
    m.bank.iconId[i] = (i * 37 + 5) % 150;
    m.bank.keyswitch[i] = i * 8 - 1;
    m.bank.modwheel[i] = i * 9 - 2;
    m.bank.uacc[i] = 127 - i * 9;
  }
  m.bank.iconId[3] = 149;
  m.bank.name.Set(6, "Spiccato");
  m.output.port = 17;
  m.output.channel = 9;
  m.controllers.value = {0, 3, 64, 126, 127, 64};
  m.currentSlot = 11;
  m.selectedSlot = 6;
  return m;
}

int CountMismatches(const Pixels& actual, const Pixels& expected, std::string& first) {
  int count = 0;
  for (int i = 0; i < 240 * 240; ++i) {
    if (actual[i] == expected[i]) continue;
    if (count++ == 0) {
      char text[96];
      std::snprintf(text, sizeof text, "first at (%d,%d): %06X, expected %06X", i % 240, i / 240,
                    actual[i], expected[i]);
      first = text;
    }
  }
  return count;
}

// ---------------------------------------------------------------------------
// Composition with the coded skin.

class CodedPanel : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(skin.complete()) << "could not build the coded skin"; }
  void TearDown() override { plug->Destroy(); }

  Pixels Render(PanelPoint pointer = kNoPoint) {
    Pixels pixels(kSnapshotPixels, 0);
    EXPECT_TRUE(RenderPanelPixels(skin.resources, model, pointer, pixels.data()));
    return pixels;
  }

  // Every pixel of the w x h rectangle at (x, y) of the panel was copied
  // from (sx, sy) onward of the strip.
  void ExpectFrom(const Pixels& panel, int x, int y, int w, int h, Tag tag, int sx, int sy,
                  const std::string& what) {
    int wrong = 0;
    std::string first;
    for (int dy = 0; dy < h; ++dy) {
      for (int dx = 0; dx < w; ++dx) {
        const Source got = Decode(panel[(y + dy) * 240 + x + dx]);
        const Source want{tag, sx + dx, sy + dy};
        if (got == want) continue;
        if (wrong++ == 0) {
          char text[128];
          std::snprintf(text, sizeof text, "(%d,%d) shows %s, expected %s", x + dx, y + dy,
                        Describe(got).c_str(), Describe(want).c_str());
          first = text;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << what << ": " << first;
  }

  // Pixels of exactly this colour inside a rectangle (right, bottom exclusive).
  static int CountColour(const Pixels& panel, COLORREF colour, int l, int t, int r, int b) {
    const uint32_t want = GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    int n = 0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) n += panel[y * 240 + x] == want;
    return n;
  }

  RecordingHost host;
  KAVOLumetPlug* plug = CreatePlug(host);  // registers the skin's font
  CodedSkin skin;
  DataModel model;
};

TEST_F(CodedPanel, EveryPageMatchesTheDrawingTablesPixelForPixel) {
  model = VariedModel();
  for (int page = 0; page < 3; ++page) {
    model.pageIndex = page;
    for (PanelPoint pointer : {kNoPoint, PanelPoint{40, 60}, PanelPoint{180, 20}}) {
      std::string first;
      const int wrong =
          CountMismatches(Render(pointer), ReferencePanel(skin.resources, model, pointer), first);
      EXPECT_EQ(wrong, 0) << "page " << page << " pointer " << pointer.x << "," << pointer.y << ": "
                          << first;
    }
  }
  // An empty name and the substitutions for unset values.
  model.pageIndex = 0;
  model.selectedSlot = 4;
  model.bank.keyswitch[4] = -1;
  model.bank.modwheel[4] = -1;
  model.bank.uacc[4] = 0;
  std::string first;
  EXPECT_EQ(CountMismatches(Render(), ReferencePanel(skin.resources, model, kNoPoint), first), 0)
      << first;
}

TEST_F(CodedPanel, BackgroundFillsEverythingNothingElseCovers) {
  model.pageIndex = 2;
  const Pixels panel = Render();
  ExpectFrom(panel, 0, 0, 240, 5, kSheet, 0, 0, "top edge");
  ExpectFrom(panel, 0, 95, 240, 7, kSheet, 0, 95, "between grid and page area");
  ExpectFrom(panel, 0, 231, 240, 9, kSheet, 0, 231, "bottom edge");
  ExpectFrom(panel, 234, 0, 6, 240, kSheet, 234, 0, "right edge");
  ExpectFrom(panel, 5, 102, 5, 20, kSheet, 5, 102, "page 2 has no overlay");
}

TEST_F(CodedPanel, SlotIconsLightUpWhenSelectedOrHovered) {
  model = VariedModel();
  model.selectedSlot = 2;
  const PanelPoint overSlot9{37 + 3, 53 + 30};
  const Pixels panel = Render(overSlot9);
  for (int i = 0; i < 16; ++i) {
    const bool lit = i == 2 || i == 9;
    ExpectFrom(panel, 28 * (i % 8) + 8, 44 * (i / 8) + 9, 27, 27, kIcons,
               32 * model.bank.iconId[i] + 2, lit ? 0 : 28,
               "icon of slot " + std::to_string(i) + (lit ? " (lit)" : " (unlit)"));
  }
  // No pointer seen: only the selected slot is lit.
  const Pixels still = Render(kNoPoint);
  ExpectFrom(still, 28 * 1 + 8, 44 + 9, 27, 27, kIcons, 32 * model.bank.iconId[9] + 2, 28,
             "slot 9 without a pointer");
}

TEST_F(CodedPanel, IndicatorRowsShowCurrentAndHovered) {
  model.currentSlot = 5;
  auto indicator = [&](const Pixels& panel, int slot, int row, const std::string& what) {
    ExpectFrom(panel, 28 * (slot % 8) + 15, 44 * (slot / 8) + 36, 14, 12, kSheet, 240 + 14 * slot,
               12 * row, what);
  };
  const Pixels over5 = Render({28 * 5 + 9, 9});
  indicator(over5, 5, 3, "current and hovered: row 3");
  indicator(over5, 4, 0, "plain: row 0");
  const Pixels over6 = Render({28 * 6 + 33, 48});
  indicator(over6, 5, 1, "current: row 1");
  indicator(over6, 6, 2, "hovered: row 2");
  const Pixels none = Render();
  for (int slot = 0; slot < 16; ++slot) {
    indicator(none, slot, slot == 5 ? 1 : 0, "no pointer, slot " + std::to_string(slot));
  }
  // Hovering the selected slot looks like selected alone.
  model.selectedSlot = 7;
  const Pixels overSelected = Render({28 * 7 + 20, 20});
  ExpectFrom(overSelected, 28 * 7 + 8, 9, 27, 27, kIcons, 32 * 55 + 2, 0, "hovered and selected");
  indicator(overSelected, 7, 2, "hovered, not current");
}

TEST_F(CodedPanel, OnlyTheTabOfTheShownPageIsLit) {
  for (int page = 0; page < 3; ++page) {
    model.pageIndex = page;
    const Pixels panel = Render();
    for (int tab = 0; tab < 3; ++tab) {
      if (tab == page) {
        ExpectFrom(panel, 6 + 45 * tab, 185, 45, 45, kSheet, 239 + 45 * tab, 195,
                   "lit tab " + std::to_string(tab));
      } else {
        ExpectFrom(panel, 6 + 45 * tab, 185, 45, 45, kSheet, 6 + 45 * tab, 185,
                   "unlit tab " + std::to_string(tab) + " on page " + std::to_string(page));
      }
    }
  }
}

TEST_F(CodedPanel, ArticulationPageOverlayAndLitIcon) {
  model.pageIndex = 0;
  model.selectedSlot = 3;
  model.bank.iconId[3] = 120;
  const Pixels panel = Render();
  ExpectFrom(panel, 5, 102, 229, 2, kSheet, 240, 48, "overlay above the name");
  ExpectFrom(panel, 5, 162, 229, 13, kSheet, 240, 108, "overlay below the values");
  ExpectFrom(panel, 15, 132, 28, 27, kIcons, 32 * 120 + 2, 1, "the slot's icon, lit");
}

TEST_F(CodedPanel, KnobAndSliderFramesFor0_3_64And127) {
  model.pageIndex = 1;
  const struct { int value, frame; } cases[] = {{0, 0}, {3, 1}, {64, 31}, {127, 63}};
  for (const auto& c : cases) {
    model.controllers.value = {c.value, c.value, c.value, c.value, c.value, 0};
    const Pixels panel = Render();
    const std::string what = "value " + std::to_string(c.value);
    ExpectFrom(panel, 5, 102, 169, 3, kSheet, 240, 122, "controller overlay");
    // The slider's last two rows lie under the fourth knob and the switch,
    // which are drawn after it; between them they show.
    ExpectFrom(panel, 174, 105, 56, 22, kSlider, 0, 24 * c.frame, "slider, " + what);
    ExpectFrom(panel, 181, 127, 11, 2, kSlider, 7, 24 * c.frame + 22, "slider foot, " + what);
    for (int k = 0; k < 4; ++k) {
      ExpectFrom(panel, 12 + 45 * k, 127, 34, 34, kKnobs, 0, 34 * c.frame,
                 "knob " + std::to_string(k) + ", " + what);
    }
  }
}

TEST_F(CodedPanel, HoldSwitchIsOffAt63AndOnAt64) {
  model.pageIndex = 1;
  model.controllers.value[5] = 63;
  ExpectFrom(Render(), 192, 127, 34, 34, kSwitch, 0, 0, "switch at 63");
  model.controllers.value[5] = 64;
  ExpectFrom(Render(), 192, 127, 34, 34, kSwitch, 0, 34, "switch at 64");
}

TEST_F(CodedPanel, OptionBoxesFollowTheirFlags) {
  model.pageIndex = 2;
  model.output.midiExtend = 1;  // never shown: the box is always the disabled one
  for (int ghosting = 0; ghosting < 2; ++ghosting) {
    for (int preserve = 0; preserve < 2; ++preserve) {
      model.output.ccGhosting = ghosting;
      model.output.preservePortChannel = preserve;
      const Pixels panel = Render();
      ExpectFrom(panel, 11, 128, 10, 10, kSheet, 375 + 10 * ghosting, 195, "CC Ghosting box");
      ExpectFrom(panel, 11, 144, 10, 10, kSheet, 395, 195, "MIDI Extend box");
      ExpectFrom(panel, 11, 160, 10, 10, kSheet, 375 + 10 * preserve, 195, "Preserve box");
    }
  }
}

TEST_F(CodedPanel, TextsUseTheirColours) {
  model = VariedModel();
  model.pageIndex = 0;
  model.bank.keyswitch[6] = 60;
  model.bank.modwheel[6] = 100;
  model.bank.uacc[6] = 64;
  model.output.port = 200;
  model.output.channel = 15;
  const Pixels page0 = Render();
  EXPECT_GT(CountColour(page0, kLabelColour, 8, 104, 100, 120), 0) << "name";
  EXPECT_GT(CountColour(page0, kValueColour, 110, 130, 152, 160), 0) << "keyswitch";
  EXPECT_GT(CountColour(page0, kValueColour, 158, 130, 190, 160), 0) << "modwheel";
  EXPECT_GT(CountColour(page0, kValueColour, 194, 130, 226, 160), 0) << "UACC";
  EXPECT_GT(CountColour(page0, kValueColour, 156, 190, 190, 215), 0) << "port";
  EXPECT_GT(CountColour(page0, kValueColour, 198, 190, 224, 215), 0) << "channel";
  model.pageIndex = 2;
  const Pixels page2 = Render();
  EXPECT_GT(CountColour(page2, kLabelColour, 26, 126, 116, 136), 0) << "CC Ghosting";
  EXPECT_GT(CountColour(page2, kDimColour, 26, 142, 116, 153), 0) << "MIDI Extend";
  EXPECT_EQ(CountColour(page2, kLabelColour, 26, 142, 100, 153), 0) << "MIDI Extend is dim";
  EXPECT_GT(CountColour(page2, kLabelColour, 26, 158, 116, 170), 0) << "Preserve Port/Channel";
  EXPECT_GT(CountColour(page2, kLabelColour, 150, 111, 224, 126), 0) << "title";
  EXPECT_GT(CountColour(page2, kDimColour, 150, 126, 224, 171), 0) << "credits";
  EXPECT_STREQ(kPanelTitle, "KAVO Velmora v0.3");
}

TEST_F(CodedPanel, ALongNameIsCutAtItsRectangle) {
  model.pageIndex = 0;
  model.bank.name.Set(0, "Sul ponticello tremolo with a very long description");
  const Pixels panel = Render();
  // Right of the rectangle the overlay shows untouched.
  ExpectFrom(panel, 100, 104, 5, 16, kSheet, 240 + 95, 50, "right of the name");
  ExpectFrom(panel, 8, 120, 92, 2, kSheet, 243, 66, "below the name");
  EXPECT_GT(CountColour(panel, kLabelColour, 8, 104, 100, 120), 0);
}

TEST_F(CodedPanel, AnEmptyNameShowsTheSlotNumber) {
  model.pageIndex = 0;
  model.selectedSlot = 4;
  const Pixels empty = Render();
  model.bank.name.Set(4, "Articulation 5");
  EXPECT_EQ(Render(), empty);
  model.bank.name.Set(4, "Articulation 4");
  EXPECT_NE(Render(), empty);
}

TEST_F(CodedPanel, ValuesOutsideTheirRangesShowFramesInsideTheStrips) {
  model.pageIndex = 1;
  model.controllers.value = {-5, 200, INT_MAX, INT_MIN, 128, -1};
  Pixels panel = Render();
  ExpectFrom(panel, 174, 105, 56, 22, kSlider, 0, 0, "slider below 0");
  ExpectFrom(panel, 12, 127, 34, 34, kKnobs, 0, 34 * 63, "knob at 200");
  ExpectFrom(panel, 57, 127, 34, 34, kKnobs, 0, 34 * 63, "knob at INT_MAX");
  ExpectFrom(panel, 102, 127, 34, 34, kKnobs, 0, 0, "knob at INT_MIN");
  ExpectFrom(panel, 147, 127, 34, 34, kKnobs, 0, 34 * 63, "knob at 128");
  ExpectFrom(panel, 192, 127, 34, 34, kSwitch, 0, 0, "switch at -1");
  model.controllers.value[5] = 1000;
  ExpectFrom(Render(), 192, 127, 34, 34, kSwitch, 0, 34, "switch at 1000");

  model.bank.iconId[0] = 1000;
  model.bank.iconId[1] = -7;
  model.pageIndex = 0;
  model.selectedSlot = 0;
  model.bank.keyswitch[0] = 5000;
  panel = Render();
  ExpectFrom(panel, 8, 9, 27, 27, kIcons, 32 * 149 + 2, 0, "icon 1000 shows the last cell");
  ExpectFrom(panel, 36, 9, 27, 27, kIcons, 2, 28, "icon -7 shows the first cell");
  ExpectFrom(panel, 15, 132, 28, 27, kIcons, 32 * 149 + 2, 1, "detail icon 1000");

  // A selected slot outside the bank shows and lights the last slot.
  model.selectedSlot = 99;
  model.bank.iconId[15] = 12;
  model.bank.name.Set(15, "Last");
  panel = Render();
  ExpectFrom(panel, 28 * 7 + 8, 53, 27, 27, kIcons, 32 * 12 + 2, 0, "slot 15 lit for 99");
  ExpectFrom(panel, 15, 132, 28, 27, kIcons, 32 * 12 + 2, 1, "slot 15 details for 99");

  // A page index outside the three: no overlay and no lit tab.
  for (int page : {3, -1, INT_MAX}) {
    model.pageIndex = page;
    panel = Render();
    ExpectFrom(panel, 5, 102, 229, 73, kSheet, 5, 102,
               "page area for page " + std::to_string(page));
    ExpectFrom(panel, 6, 185, 135, 5, kSheet, 6, 185, "tabs for page " + std::to_string(page));
  }

  model.pageIndex = 2;
  model.output.ccGhosting = 5;
  model.output.preservePortChannel = -1;
  panel = Render();
  ExpectFrom(panel, 11, 128, 10, 10, kSheet, 385, 195, "ghosting 5 shows on");
  ExpectFrom(panel, 11, 160, 10, 10, kSheet, 385, 195, "preserve -1 shows on");

  model.currentSlot = 40;
  panel = Render();
  for (int slot = 0; slot < 16; ++slot) {
    ExpectFrom(panel, 28 * (slot % 8) + 15, 44 * (slot / 8) + 36, 14, 12, kSheet, 240 + 14 * slot,
               0, "no current slot among 16");
  }
}

TEST_F(CodedPanel, ASkinWithoutBackgroundRendersNothing) {
  EditorResources noSheet = skin.resources;
  noSheet.background = nullptr;
  Pixels pixels(kSnapshotPixels, 0x123456);
  EXPECT_FALSE(RenderPanelPixels(noSheet, model, kNoPoint, pixels.data()));
  EXPECT_EQ(pixels[0], 0x123456u);
}

TEST(SkinFont, AttributesOfTheFaceAtEachSize) {
  for (int height : {14, 16, 22}) {
    HFONT font = CreateSkinFont(height);
    ASSERT_NE(font, nullptr);
    LOGFONTA info{};
    ASSERT_TRUE(GetObjectA(font, sizeof info, &info));
    EXPECT_EQ(info.lfHeight, height);
    EXPECT_EQ(info.lfWidth, 0);
    EXPECT_EQ(info.lfEscapement, 0);
    EXPECT_EQ(info.lfWeight, FW_DONTCARE);
    EXPECT_FALSE(info.lfItalic || info.lfUnderline || info.lfStrikeOut);
    EXPECT_EQ(info.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(info.lfOutPrecision, OUT_OUTLINE_PRECIS);
    EXPECT_EQ(info.lfClipPrecision, CLIP_DEFAULT_PRECIS);
    EXPECT_EQ(info.lfQuality, CLEARTYPE_QUALITY);
    EXPECT_EQ(info.lfPitchAndFamily, VARIABLE_PITCH);
    EXPECT_STREQ(info.lfFaceName, "Cuprum");
    DeleteObject(font);
  }
}

// ---------------------------------------------------------------------------
// The module's own artwork, as the plug-in loads it.

class ModuleSkin : public ::testing::Test {
 protected:
  void SetUp() override {
    plug = CreatePlug(host);
    const EditorResources& shared = SharedEditorResources();
    if (!shared.background || !shared.knobs || !shared.slider || !shared.switches ||
        !shared.icons) {
      GTEST_SKIP() << "the module holds no skin bitmaps (resources/plugin.rc has only the "
                      "dialog); the coded-skin tests still check every copy";
    }
    sheet = BitmapImage(shared.background);
    knobs = BitmapImage(shared.knobs);
    slider = BitmapImage(shared.slider);
    switches = BitmapImage(shared.switches);
    icons = BitmapImage(shared.icons);
    ASSERT_EQ(sheet.width, 480);
    ASSERT_EQ(sheet.height, 240);
    ASSERT_EQ(knobs.width, 34);
    ASSERT_EQ(knobs.height, 2176);
    ASSERT_EQ(slider.width, 56);
    ASSERT_EQ(slider.height, 1536);
    ASSERT_EQ(switches.width, 34);
    ASSERT_EQ(switches.height, 68);
    ASSERT_EQ(icons.width, 4800);
    ASSERT_EQ(icons.height, 56);
  }
  void TearDown() override { plug->Destroy(); }

  Pixels Render(PanelPoint pointer = kNoPoint) {
    Pixels pixels(kSnapshotPixels, 0);
    EXPECT_TRUE(
        RenderPanelPixels(SharedEditorResources(), plug->engine().model, pointer, pixels.data()));
    return pixels;
  }

  static void ExpectSame(const Pixels& panel, int x, int y, int w, int h, const Image& from, int sx,
                         int sy, const std::string& what) {
    int wrong = 0;
    std::string first;
    for (int dy = 0; dy < h; ++dy) {
      for (int dx = 0; dx < w; ++dx) {
        const uint32_t got = panel[(y + dy) * 240 + x + dx];
        const uint32_t want = from.at(sx + dx, sy + dy);
        if (got != want && wrong++ == 0) {
          char text[80];
          std::snprintf(text, sizeof text, "(%d,%d) is %06X, skin has %06X", x + dx, y + dy, got,
                        want);
          first = text;
        }
      }
    }
    EXPECT_EQ(wrong, 0) << what << ": " << first;
  }

  RecordingHost host;
  KAVOLumetPlug* plug = nullptr;
  Image sheet, knobs, slider, switches, icons;
};

TEST_F(ModuleSkin, GridTabsAndIndicatorsComeFromTheirSourceRectangles) {
  DataModel& m = plug->engine().model;
  for (int i = 0; i < 16; ++i) m.bank.iconId[i] = i * 9;
  m.selectedSlot = 1;
  m.currentSlot = 4;
  const Pixels over4 = Render({28 * 4 + 12, 20});
  for (int i = 0; i < 16; ++i) {
    const bool lit = i == 1 || i == 4;
    ExpectSame(over4, 28 * (i % 8) + 8, 44 * (i / 8) + 9, 27, 27, icons, 32 * i * 9 + 2,
               lit ? 0 : 28, "icon of slot " + std::to_string(i));
  }
  ExpectSame(over4, 28 * 4 + 15, 36, 14, 12, sheet, 240 + 14 * 4, 36, "indicator row 3");
  ExpectSame(over4, 28 * 2 + 15, 36, 14, 12, sheet, 240 + 14 * 2, 0, "indicator row 0");
  const Pixels over5 = Render({28 * 5 + 12, 20});
  ExpectSame(over5, 28 * 4 + 15, 36, 14, 12, sheet, 240 + 14 * 4, 12, "indicator row 1");
  ExpectSame(over5, 28 * 5 + 15, 36, 14, 12, sheet, 240 + 14 * 5, 24, "indicator row 2");
  for (int page = 0; page < 3; ++page) {
    m.pageIndex = page;
    ExpectSame(Render(), 6 + 45 * page, 185, 45, 45, sheet, 239 + 45 * page, 195,
               "lit tab " + std::to_string(page));
  }
}

TEST_F(ModuleSkin, ControllerFramesAndSwitch) {
  DataModel& m = plug->engine().model;
  m.pageIndex = 1;
  for (int value : {0, 3, 64, 127}) {
    const int frame = 63 * value / 127;
    m.controllers.value = {value, value, value, value, value, value};
    const Pixels panel = Render();
    ExpectSame(panel, 174, 105, 56, 22, slider, 0, 24 * frame, "slider " + std::to_string(value));
    for (int k = 0; k < 4; ++k) {
      ExpectSame(panel, 12 + 45 * k, 127, 34, 34, knobs, 0, 34 * frame,
                 "knob " + std::to_string(k) + " at " + std::to_string(value));
    }
  }
  m.controllers.value[5] = 63;
  ExpectSame(Render(), 192, 127, 34, 34, switches, 0, 0, "switch at 63");
  m.controllers.value[5] = 64;
  ExpectSame(Render(), 192, 127, 34, 34, switches, 0, 34, "switch at 64");
}

TEST_F(ModuleSkin, OptionBoxesAndOverlays) {
  DataModel& m = plug->engine().model;
  m.pageIndex = 2;
  m.output.ccGhosting = 1;
  m.output.preservePortChannel = 0;
  Pixels panel = Render();
  ExpectSame(panel, 11, 128, 10, 10, sheet, 385, 195, "ghosting on");
  ExpectSame(panel, 11, 144, 10, 10, sheet, 395, 195, "MIDI Extend disabled");
  ExpectSame(panel, 11, 160, 10, 10, sheet, 375, 195, "preserve off");
  m.output.ccGhosting = 0;
  m.output.preservePortChannel = 1;
  panel = Render();
  ExpectSame(panel, 11, 128, 10, 10, sheet, 375, 195, "ghosting off");
  ExpectSame(panel, 11, 160, 10, 10, sheet, 385, 195, "preserve on");
  m.pageIndex = 0;
  m.bank.iconId[0] = 77;
  panel = Render();
  ExpectSame(panel, 15, 132, 28, 27, icons, 32 * 77 + 2, 1, "detail icon");
  ExpectSame(panel, 5, 102, 229, 2, sheet, 240, 48, "articulation overlay");
}

// ---------------------------------------------------------------------------
// The window: paint messages, invalidation, and what paints leave behind.

int g_erases = 0;
WNDPROC g_editorProc = nullptr;
LRESULT CALLBACK CountErases(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) ++g_erases;
  return CallWindowProcA(g_editorProc, window, message, wParam, lParam);
}

class ShownEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1000, 900);  // away from the panel: no stray hover
    plug = CreatePlug(host);
    ASSERT_NE(plug->editorHandle, nullptr);
    if (!SharedEditorResources().background) {
      GTEST_SKIP() << "no background bitmap in the module: the editor does not paint";
    }
    ASSERT_NE(parent.handle(), nullptr);
    plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(parent.handle()));
    RECT client{};
    GetClientRect(editor(), &client);
    width = client.right;
    height = client.bottom;
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    PumpMessages(50);
  }
  void TearDown() override {
    if (plug) plug->Destroy();
  }

  HWND editor() const { return static_cast<HWND>(plug->editorHandle); }

  // The snapshot cut to the client area.
  Image Snapshot() {
    Pixels full(kSnapshotPixels, 0);
    EXPECT_TRUE(RenderPanelSnapshot(plug->editor(), full.data()));
    Image image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        image.pixels.push_back(x < 240 && y < 240 ? full[y * 240 + x] : 0);
    return image;
  }

  void PaintNow() {
    InvalidateRect(editor(), nullptr, FALSE);
    UpdateWindow(editor());
  }
  // A request as the engine makes it, turned into an invalidation by the
  // editor's next display-rate tick.
  void RequestAndTick(bool gridOnly) {
    plug->editor().InvalidateEditor(gridOnly);
    ASSERT_TRUE(HandleNextTimerMessage(editor()));
  }

  RecordingHost host;
  KAVOLumetPlug* plug = nullptr;
  ParentWindow& parent = SharedParent();
  int width = 0, height = 0;
};

TEST_F(ShownEditor, PaintShowsTheComposedPanel) {
  for (int page = 0; page < 3; ++page) {
    plug->engine().model.pageIndex = page;
    PaintNow();
    const Image shown = WindowImage(editor(), width, height);
    EXPECT_EQ(shown.pixels, Snapshot().pixels) << "page " << page;
  }
}

TEST_F(ShownEditor, GridInvalidationMarksAndRepaintsOnlyTheGrid) {
  PaintNow();
  const Image before = Snapshot();
  DataModel& m = plug->engine().model;
  m.selectedSlot = 12;  // inside the grid
  m.output.port = 99;   // outside it
  RequestAndTick(true);
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(editor(), &update, FALSE));
  EXPECT_EQ(update.left, 5);
  EXPECT_EQ(update.top, 5);
  EXPECT_EQ(update.right, 233);
  EXPECT_EQ(update.bottom, 94);
  UpdateWindow(editor());
  const Image after = Snapshot();
  const Image shown = WindowImage(editor(), width, height);
  int wrong = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool inGrid = x >= 5 && x < 233 && y >= 5 && y < 94;
      wrong += shown.at(x, y) != (inGrid ? after.at(x, y) : before.at(x, y));
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_NE(after.pixels, before.pixels);
}

TEST_F(ShownEditor, WholeInvalidationMarksTheClientAreaWithoutErasing) {
  PaintNow();
  RequestAndTick(false);
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(editor(), &update, FALSE));
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.top, 0);
  EXPECT_EQ(update.right, width);
  EXPECT_EQ(update.bottom, height);

  // Watch for a background erase while the marked region is painted.
  g_erases = 0;
  g_editorProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(editor(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountErases)));
  UpdateWindow(editor());
  RequestAndTick(true);
  UpdateWindow(editor());
  SetWindowLongPtrA(editor(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_editorProc));
  EXPECT_EQ(g_erases, 0);
  EXPECT_FALSE(GetUpdateRect(editor(), nullptr, FALSE)) << "painted and validated";
}

TEST_F(ShownEditor, PointerMovesInTheGridRepaintAtOnce) {
  PaintNow();
  SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(28 * 3 + 15, 20));
  EXPECT_FALSE(GetUpdateRect(editor(), nullptr, FALSE)) << "painted during the message";
  const Image shown = WindowImage(editor(), width, height);
  EXPECT_EQ(shown.pixels, Snapshot().pixels) << "slot 3 hovered";
  EXPECT_EQ(plug->editor().dragState().pointerPoint, (PanelPoint{28 * 3 + 15, 20}));
}

// The back buffer is kept from paint to paint and only what changed is
// drawn again: after any run of changes the window must still show exactly
// what composing the whole panel gives. Long texts reach over their
// neighbours, and shorter ones must uncover them again.
TEST_F(ShownEditor, PaintsThatRedrawOnlyWhatChangedMatchAWholeComposition) {
  DataModel& m = plug->engine().model;
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t range) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int32_t>((seed >> 8) % range);
  };
  const char* const names[] = {"", "Legato", "Sul ponticello tremolo with a very long name", "W"};
  const int32_t ports[] = {0, 7, 255, 123456789, -2147483647 - 1};
  int wrongSteps = 0;
  for (int step = 0; step < 300; ++step) {
    for (int change = next(3); change >= 0; --change) {
      const int32_t slot = next(16);
      switch (next(12)) {
        case 0:
          m.currentSlot = next(18);
          break;
        case 1:
          m.selectedSlot = next(17);
          break;
        case 2:
          m.pageIndex = next(10) == 0 ? 3 : next(3);
          break;
        case 3:
          m.bank.iconId[slot] = next(160) - 5;
          break;
        case 4:
          m.controllers.value[next(6)] = next(130);
          break;
        case 5:
          m.output.port = ports[next(5)];
          break;
        case 6:
          m.output.channel = next(20) - 2;
          break;
        case 7:
          m.output.ccGhosting = m.output.ccGhosting == 0 ? 1 : 0;
          m.output.preservePortChannel = next(2);
          break;
        case 8:
          m.bank.name.Set(slot, names[next(4)]);
          break;
        case 9:
          m.bank.keyswitch[slot] = next(140) - 1;
          m.bank.modwheel[slot] = next(130) - 1;
          m.bank.uacc[slot] = next(4) == 0 ? 100000 : next(129) - 1;
          break;
        default:
          // Over a slot, elsewhere in the grid, or outside it (no repaint).
          SendMessageA(editor(), WM_MOUSEMOVE, 0,
                       MAKELPARAM(next(250), next(3) == 0 ? 150 : next(100)));
          break;
      }
    }
    PaintNow();
    const Image shown = WindowImage(editor(), width, height);
    if (shown.pixels != Snapshot().pixels && wrongSteps++ == 0) {
      ADD_FAILURE() << "step " << step << ": page " << m.pageIndex << ", port " << m.output.port;
    }
  }
  EXPECT_EQ(wrongSteps, 0);
}

TEST_F(ShownEditor, ThousandPaintsOfEachPageReleaseEverything) {
  DataModel& m = plug->engine().model;
  for (int page = 0; page < 3; ++page) {
    m.pageIndex = page;
    PaintNow();
  }
  const int before = GdiObjectsLeft();
  ASSERT_GT(before, 1000);
  for (int page = 0; page < 3; ++page) {
    m.pageIndex = page;
    for (int i = 0; i < 1000; ++i) PaintNow();
    EXPECT_EQ(GdiObjectsLeft(), before) << "after 1000 paints of page " << page;
  }
  // Hover repaints go through the same painter from the mouse handler.
  for (int i = 0; i < 1000; ++i) {
    SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(10 + i % 200, 10 + i % 80));
  }
  EXPECT_EQ(GdiObjectsLeft(), before) << "after 1000 hover repaints";
  // Snapshots use the painter too.
  Pixels pixels(kSnapshotPixels);
  for (int i = 0; i < 300; ++i) RenderPanelSnapshot(plug->editor(), pixels.data());
  EXPECT_EQ(GdiObjectsLeft(), before) << "after 300 snapshots";
}

TEST(GdiCount, SeesASingleObject) {
  const int before = GdiObjectsLeft();
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(GdiObjectsLeft(), before - 1);
  DeleteObject(brush);
  EXPECT_EQ(GdiObjectsLeft(), before);
}

}  // namespace
