#include "editor/panel_painter.h"

#include <cstdio>
#include <cstdlib>

#include "editor/panel_editing.h"

const char kPanelTitle[] = "KAVO Velmora v0.3";
const char kPanelCredits[] =
    "\nArticulations by note colour\n"
    "Skin and code: KAVO\n"
    "Font: Cuprum (OFL)";

namespace {

// A skin bitmap and its own size, read from the bitmap itself.
struct Strip {
  HBITMAP bitmap = nullptr;
  int32_t width = 0;
  int32_t height = 0;
};

Strip Measure(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return {};
  return {bitmap, info.bmWidth, std::abs(info.bmHeight)};
}

// The second memory context, from which skin rectangles are copied. It
// remembers what is selected and puts the original bitmap back at the end.
class SourceContext {
 public:
  explicit SourceContext(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
  ~SourceContext() {
    if (!dc_) return;
    if (kept_) SelectObject(dc_, kept_);
    DeleteDC(dc_);
  }
  SourceContext(const SourceContext&) = delete;
  SourceContext& operator=(const SourceContext&) = delete;

  bool Select(const Strip& strip) {
    if (!dc_ || !strip.bitmap) return false;
    if (selected_.bitmap != strip.bitmap) {
      HGDIOBJ previous = SelectObject(dc_, strip.bitmap);
      if (!previous || previous == HGDI_ERROR) return false;
      if (!kept_) kept_ = previous;
      selected_ = strip;
    }
    return true;
  }

  // Copies width x height pixels from `from` in the strip to `to` in
  // target, cut to the part that lies inside the strip.
  void CopyFrom(const Strip& strip, HDC target, PanelPoint to, PanelPoint from, int32_t width,
                int32_t height) {
    if (!Select(strip)) return;
    int32_t left = from.x, top = from.y, right = from.x + width, bottom = from.y + height;
    if (left < 0) left = 0;
    if (top < 0) top = 0;
    if (right > strip.width) right = strip.width;
    if (bottom > strip.height) bottom = strip.height;
    if (left >= right || top >= bottom) return;
    BitBlt(target, to.x + (left - from.x), to.y + (top - from.y), right - left, bottom - top, dc_,
           left, top, SRCCOPY);
  }

 private:
  HDC dc_;
  HGDIOBJ kept_ = nullptr;
  Strip selected_;
};

void DrawTextIn(HDC dc, const char* text, int length, const PanelRect& area, UINT format) {
  RECT rect{area.left, area.top, area.right, area.bottom};
  DrawTextA(dc, text, length, &rect, format);
}

constexpr UINT kValueFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP;
constexpr UINT kOptionFormat = DT_SINGLELINE | DT_NOCLIP;
constexpr UINT kCreditsFormat = DT_RIGHT | DT_WORDBREAK;

struct Skin {
  Strip sheet, knobs, slider, switches, icons;
};

// Page 0: the shown slot's name, icon, keyswitch, modwheel and UACC.
void DrawArticulationPage(HDC target, SourceContext& source, const Skin& skin,
                          const EditorResources& resources, const DataModel& model,
                          HFONT valueFont) {
  const int32_t slot = ShownSlot(model.selectedSlot);
  source.CopyFrom(skin.sheet, target, panel::kPageOverlayOrigin, panel::kPage0OverlaySource,
                  panel::kPageOverlayWidth, panel::kPageOverlayHeight);

  const std::string name = model.bank.name[slot];
  HGDIOBJ keptFont = SelectObject(target, resources.labelFont);
  if (name.empty()) {
    char text[32];
    FormatDefaultName(text, slot);
    DrawTextIn(target, text, -1, panel::kNameText, DT_SINGLELINE);
  } else {
    const size_t length = name.size() < kMaxNameLength ? name.size() : kMaxNameLength;
    DrawTextIn(target, name.data(), static_cast<int>(length), panel::kNameText, DT_SINGLELINE);
  }

  source.CopyFrom(skin.icons, target, panel::kDetailIconOrigin,
                  DetailIconSource(model.bank.iconId[slot]), panel::kDetailIconWidth,
                  panel::kDetailIconHeight);

  SelectObject(target, valueFont);
  SetTextColor(target, kValueColour);
  DrawTextIn(target, KeyswitchText(resources.noteNames, model.bank.keyswitch[slot]), -1,
             panel::kKeyswitchText, kValueFormat);
  char text[16];
  FormatOptionalValue(text, model.bank.modwheel[slot]);
  DrawTextIn(target, text, -1, panel::kModwheelText, kValueFormat);
  FormatOptionalValue(text, model.bank.uacc[slot]);
  DrawTextIn(target, text, -1, panel::kUaccText, kValueFormat);
  if (keptFont && keptFont != HGDI_ERROR) SelectObject(target, keptFont);
}

// Page 1: slider, four knobs and the Hold switch.
void DrawControllerPage(HDC target, SourceContext& source, const Skin& skin,
                        const DataModel& model) {
  const auto& value = model.controllers.value;
  source.CopyFrom(skin.sheet, target, panel::kPageOverlayOrigin, panel::kPage1OverlaySource,
                  panel::kPageOverlayWidth, panel::kPageOverlayHeight);
  source.CopyFrom(skin.slider, target, panel::kSliderOrigin,
                  {0, panel::kSliderHeight * ControllerFrame(value[0])}, panel::kSliderWidth,
                  panel::kSliderHeight);
  for (int32_t knob = 0; knob < 4; ++knob) {
    source.CopyFrom(skin.knobs, target, panel::KnobOrigin(knob),
                    {0, panel::kKnobSize * ControllerFrame(value[knob + 1])}, panel::kKnobSize,
                    panel::kKnobSize);
  }
  source.CopyFrom(skin.switches, target, panel::kSwitchOrigin,
                  {0, panel::kSwitchSize * SwitchFrame(value[5])}, panel::kSwitchSize,
                  panel::kSwitchSize);
  source.Select(skin.sheet);
}

// Page 2: the three options, the title and the credits, in the small font.
void DrawSettingsPage(HDC target, SourceContext& source, const Skin& skin, const DataModel& model) {
  HFONT smallFont = CreateSkinFont(14);
  SetBkMode(target, TRANSPARENT);
  HGDIOBJ keptFont = smallFont ? SelectObject(target, smallFont) : nullptr;

  auto option = [&](const char* label, const PanelRect& area, COLORREF colour, PanelPoint box,
                    int32_t look) {
    SetTextColor(target, colour);
    DrawTextIn(target, label, -1, area, kOptionFormat);
    source.CopyFrom(skin.sheet, target, box, panel::OptionSource(look), panel::kOptionSize,
                    panel::kOptionSize);
  };
  option("CC Ghosting", panel::kGhostingLabel, kLabelColour, panel::kGhostingOption,
         OptionLookFor(model.output.ccGhosting));
  // Nothing on the panel sets it: always the disabled box.
  option("MIDI Extend", panel::kMidiExtendLabel, kDimColour, panel::kMidiExtendOption,
         panel::kOptionDisabled);
  option("Preserve Port/Channel", panel::kPreserveLabel, kLabelColour, panel::kPreserveOption,
         OptionLookFor(model.output.preservePortChannel));

  SetTextColor(target, kLabelColour);
  DrawTextIn(target, kPanelTitle, -1, panel::kTitleText, kCreditsFormat);
  SetTextColor(target, kDimColour);
  DrawTextIn(target, kPanelCredits, -1, panel::kTitleText, kCreditsFormat);

  if (keptFont && keptFont != HGDI_ERROR) SelectObject(target, keptFont);
  if (smallFont) DeleteObject(smallFont);
}

}  // namespace

void ComposePanel(HDC target, const EditorResources& resources, const DataModel& model,
                  PanelPoint pointer) {
  const Skin skin{Measure(resources.background), Measure(resources.knobs),
                  Measure(resources.slider), Measure(resources.switches), Measure(resources.icons)};
  SourceContext source(target);

  // The whole sheet; the sprite half falls outside a 240-pixel back buffer.
  source.CopyFrom(skin.sheet, target, {0, 0}, {0, 0}, skin.sheet.width, skin.sheet.height);

  const int32_t shown = ShownSlot(model.selectedSlot);
  for (int32_t slot = 0; slot < panel::kSlotCount; ++slot) {
    const bool lit = panel::SlotButtonBox(slot).Contains(pointer) || slot == shown;
    source.CopyFrom(skin.icons, target, panel::SlotIconOrigin(slot),
                    SlotIconSource(model.bank.iconId[slot], lit), panel::kSlotIconSize,
                    panel::kSlotIconSize);
  }
  for (int32_t slot = 0; slot < panel::kSlotCount; ++slot) {
    const int32_t row =
        IndicatorRow(panel::SlotButtonBox(slot).Contains(pointer), slot == model.currentSlot);
    source.CopyFrom(skin.sheet, target, panel::SlotIndicatorOrigin(slot),
                    IndicatorSource(slot, row), panel::kIndicatorWidth, panel::kIndicatorHeight);
  }

  const int32_t page = model.pageIndex;
  if (IsPage(page)) {
    source.CopyFrom(skin.sheet, target, panel::TabOrigin(page), panel::LitTabSource(page),
                    panel::kTabSize, panel::kTabSize);
  }

  HFONT valueFont = CreateSkinFont(22);
  SetBkMode(target, TRANSPARENT);
  SetTextColor(target, kLabelColour);

  if (page == kArticulationPage) {
    DrawArticulationPage(target, source, skin, resources, model, valueFont);
  }

  HGDIOBJ keptFont = valueFont ? SelectObject(target, valueFont) : nullptr;
  SetTextColor(target, kValueColour);
  char text[24];
  std::snprintf(text, sizeof text, "%i", static_cast<int>(model.output.port));
  DrawTextIn(target, text, -1, panel::kPortText, kValueFormat);
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(model.output.channel) + 1);
  DrawTextIn(target, text, -1, panel::kChannelText, kValueFormat);
  if (keptFont && keptFont != HGDI_ERROR) SelectObject(target, keptFont);
  if (valueFont) DeleteObject(valueFont);

  if (page == kControllerPage) DrawControllerPage(target, source, skin, model);
  if (page == kSettingsPage) DrawSettingsPage(target, source, skin, model);
}
