#include "editor/panel_scene.h"

#include <cstdio>
#include <cstring>

#include "editor/additions_text.h"
#include "editor/panel_editing.h"

const char kPanelTitle[] = "KAVO Velmora v0.3";
const char kPanelCredits[] =
    "\nArticulations by note colour\n"
    "Skin and code: KAVO\n"
    "Font: Cuprum (OFL)";

namespace {

template <size_t N>
int32_t CopyText(char (&to)[N], const char* from, size_t length) {
  if (length > N - 1) length = N - 1;
  std::memcpy(to, from, length);
  to[length] = '\0';
  return static_cast<int32_t>(length);
}

class SceneBuilder {
 public:
  explicit SceneBuilder(PanelScene& scene) : scene_(scene) { scene_.count = 0; }

  void Copy(SkinStrip strip, PanelPoint to, PanelPoint from, int32_t width, int32_t height) {
    Add({.kind = PanelStep::kCopy,
         .strip = strip,
         .from = from,
         .to = to,
         .width = width,
         .height = height});
  }

  void Text(const char* text, const PanelRect& rect, PanelFont font, TextColour colour,
            TextLayout layout) {
    Text(text, static_cast<int32_t>(std::strlen(text)), rect, font, colour, layout);
  }
  void Text(const char* text, int32_t length, const PanelRect& rect, PanelFont font,
            TextColour colour, TextLayout layout) {
    Add({.kind = PanelStep::kText,
         .from = {},
         .to = {},
         .font = font,
         .colour = colour,
         .layout = layout,
         .rect = rect,
         .text = text,
         .length = length});
  }

 private:
  void Add(const PanelStep& step) {
    // The panel has fewer steps than the array holds; a last step is
    // overwritten rather than written past the end.
    if (scene_.count < kMaxPanelSteps) ++scene_.count;
    scene_.steps[scene_.count - 1] = step;
  }

  PanelScene& scene_;
};

void BuildArticulationPage(const PanelView& view, SceneBuilder& scene) {
  scene.Copy(SkinStrip::kSheet, panel::kPageOverlayOrigin, panel::kPage0OverlaySource,
             panel::kPageOverlayWidth, panel::kPageOverlayHeight);
  scene.Text(view.name, view.nameLength, panel::kNameText, PanelFont::kLabel, TextColour::kLabel,
             TextLayout::kLine);
  scene.Copy(SkinStrip::kIcons, panel::kDetailIconOrigin,
             DetailIconSource(view.iconId[view.litSlot]), panel::kDetailIconWidth,
             panel::kDetailIconHeight);
  scene.Text(view.keyswitch, panel::kKeyswitchText, PanelFont::kValue, TextColour::kValue,
             TextLayout::kCentred);
  scene.Text(view.modwheel, panel::kModwheelText, PanelFont::kValue, TextColour::kValue,
             TextLayout::kCentred);
  scene.Text(view.uacc, panel::kUaccText, PanelFont::kValue, TextColour::kValue,
             TextLayout::kCentred);
  if (view.additions[0] != '\0') {
    scene.Text(view.additions, panel::kAdditionsText, PanelFont::kSmall, TextColour::kDim,
               TextLayout::kLine);
  }
}

void BuildControllerPage(const PanelView& view, SceneBuilder& scene) {
  const auto& value = view.controller;
  scene.Copy(SkinStrip::kSheet, panel::kPageOverlayOrigin, panel::kPage1OverlaySource,
             panel::kPageOverlayWidth, panel::kPageOverlayHeight);
  scene.Copy(SkinStrip::kSlider, panel::kSliderOrigin,
             {0, panel::kSliderHeight * ControllerFrame(value[0])}, panel::kSliderWidth,
             panel::kSliderHeight);
  for (int32_t knob = 0; knob < 4; ++knob) {
    scene.Copy(SkinStrip::kKnobs, panel::KnobOrigin(knob),
               {0, panel::kKnobSize * ControllerFrame(value[knob + 1])}, panel::kKnobSize,
               panel::kKnobSize);
  }
  scene.Copy(SkinStrip::kSwitches, panel::kSwitchOrigin,
             {0, panel::kSwitchSize * SwitchFrame(value[5])}, panel::kSwitchSize,
             panel::kSwitchSize);
}

void BuildSettingsPage(const PanelView& view, SceneBuilder& scene) {
  auto option = [&](const char* label, const PanelRect& area, TextColour colour, PanelPoint box,
                    int32_t look) {
    scene.Text(label, area, PanelFont::kSmall, colour, TextLayout::kLineUnclipped);
    scene.Copy(SkinStrip::kSheet, box, panel::OptionSource(look), panel::kOptionSize,
               panel::kOptionSize);
  };
  option("CC Ghosting", panel::kGhostingLabel, TextColour::kLabel, panel::kGhostingOption,
         OptionLookFor(view.ccGhosting));
  // Nothing on the panel sets it: always the disabled box.
  option("MIDI Extend", panel::kMidiExtendLabel, TextColour::kDim, panel::kMidiExtendOption,
         panel::kOptionDisabled);
  option("Preserve Port/Channel", panel::kPreserveLabel, TextColour::kLabel, panel::kPreserveOption,
         OptionLookFor(view.preservePortChannel));
  scene.Text(kPanelTitle, panel::kTitleText, PanelFont::kSmall, TextColour::kLabel,
             TextLayout::kRightWrapped);
  scene.Text(kPanelCredits, panel::kTitleText, PanelFont::kSmall, TextColour::kDim,
             TextLayout::kRightWrapped);
}

}  // namespace

bool PanelStep::SameAs(const PanelStep& other) const {
  if (kind != other.kind) return false;
  if (kind == kCopy) {
    return strip == other.strip && from == other.from && to == other.to && width == other.width &&
           height == other.height;
  }
  return font == other.font && colour == other.colour && layout == other.layout &&
         rect.left == other.rect.left && rect.top == other.rect.top &&
         rect.right == other.rect.right && rect.bottom == other.rect.bottom &&
         length == other.length && std::memcmp(text, other.text, static_cast<size_t>(length)) == 0;
}

PanelRect StepBounds(const PanelStep& step) {
  if (step.kind == PanelStep::kCopy) {
    return {step.to.x, step.to.y, step.to.x + step.width, step.to.y + step.height};
  }
  const PanelRect& r = step.rect;
  if (step.layout == TextLayout::kLine || step.layout == TextLayout::kRightWrapped) return r;
  const int32_t cell = FontCellHeight(step.font);
  // Lengths are at most a name's, so this cannot overflow.
  const int32_t width = step.length * cell * 3 / 2;
  if (step.layout == TextLayout::kLineUnclipped) {
    return {r.left - cell, r.top - cell, r.left + width + cell, r.top + 2 * cell};
  }
  const int32_t centreX = (r.left + r.right) / 2, centreY = (r.top + r.bottom) / 2;
  return {centreX - width / 2 - cell, centreY - cell, centreX + width / 2 + cell + 1,
          centreY + cell + 1};
}

PanelView ViewOf(const DataModel& model, PanelPoint pointer, const NoteNameTable& noteNames) {
  PanelView view;
  view.page = model.pageIndex;
  view.litSlot = ShownSlot(model.selectedSlot);
  view.currentSlot = model.currentSlot;
  view.hoveredSlot = SlotButtonAt(pointer);
  view.iconId = Plain(model.bank.iconId);
  view.controller = Plain(model.controllers.value);
  view.ccGhosting = model.output.ccGhosting;
  view.preservePortChannel = model.output.preservePortChannel;

  const int32_t slot = view.litSlot;
  const std::string name = model.bank.name[slot];
  if (name.empty()) {
    char text[32];
    FormatDefaultName(text, slot);
    view.nameLength = CopyText(view.name, text, std::strlen(text));
  } else {
    view.nameLength = CopyText(view.name, name.data(), name.size());
  }
  const char* keyswitch = KeyswitchText(noteNames, model.bank.keyswitch[slot]);
  CopyText(view.keyswitch, keyswitch, strnlen(keyswitch, kNoteNameSize));
  FormatOptionalValue(view.modwheel, model.bank.modwheel[slot]);
  FormatOptionalValue(view.uacc, model.bank.uacc[slot]);
  const std::string additions = FormatAdditionsSummary(model.additions.Get(slot));
  CopyText(view.additions, additions.data(), additions.size());
  std::snprintf(view.port, sizeof view.port, "%i", static_cast<int>(model.output.port));
  std::snprintf(view.channel, sizeof view.channel, "%lld",
                static_cast<long long>(model.output.channel) + 1);
  return view;
}

void BuildScene(const PanelView& view, PanelScene& out) {
  SceneBuilder scene(out);
  // The whole sheet; its sprite half falls outside the panel.
  scene.Copy(SkinStrip::kSheet, {0, 0}, {0, 0}, panel::kSheetWidth, panel::kSheetHeight);
  for (int32_t slot = 0; slot < panel::kSlotCount; ++slot) {
    const bool lit = slot == view.hoveredSlot || slot == view.litSlot;
    scene.Copy(SkinStrip::kIcons, panel::SlotIconOrigin(slot),
               SlotIconSource(view.iconId[slot], lit), panel::kSlotIconSize, panel::kSlotIconSize);
  }
  for (int32_t slot = 0; slot < panel::kSlotCount; ++slot) {
    const int32_t row = IndicatorRow(slot == view.hoveredSlot, slot == view.currentSlot);
    scene.Copy(SkinStrip::kSheet, panel::SlotIndicatorOrigin(slot), IndicatorSource(slot, row),
               panel::kIndicatorWidth, panel::kIndicatorHeight);
  }
  if (IsPage(view.page)) {
    scene.Copy(SkinStrip::kSheet, panel::TabOrigin(view.page), panel::LitTabSource(view.page),
               panel::kTabSize, panel::kTabSize);
  }
  if (view.page == kArticulationPage) BuildArticulationPage(view, scene);
  scene.Text(view.port, panel::kPortText, PanelFont::kValue, TextColour::kValue,
             TextLayout::kCentred);
  scene.Text(view.channel, panel::kChannelText, PanelFont::kValue, TextColour::kValue,
             TextLayout::kCentred);
  if (view.page == kControllerPage) BuildControllerPage(view, scene);
  if (view.page == kSettingsPage) BuildSettingsPage(view, scene);
}

void PanelAreas::Add(const PanelRect& rect) {
  if (IsEmpty(rect)) return;
  PanelRect merged = rect;
  // Fold in every area it meets; what is left is disjoint from it.
  for (int32_t i = 0; i < count;) {
    if (Intersects(area[i], merged)) {
      merged = Union(merged, area[i]);
      area[i] = area[--count];
      i = 0;
    } else {
      ++i;
    }
  }
  if (count == kMax) {
    for (int32_t i = 0; i < count; ++i) merged = Union(merged, area[i]);
    count = 0;
  }
  area[count++] = merged;
}

PanelAreas ChangedAreas(const PanelScene& before, const PanelScene& after) {
  PanelAreas areas;
  const int32_t count = before.count > after.count ? before.count : after.count;
  for (int32_t i = 0; i < count; ++i) {
    const bool inBefore = i < before.count, inAfter = i < after.count;
    if (inBefore && inAfter && before.steps[i].SameAs(after.steps[i])) continue;
    if (inBefore) areas.Add(StepBounds(before.steps[i]));
    if (inAfter) areas.Add(StepBounds(after.steps[i]));
  }
  return areas;
}

bool IsEmpty(const PanelRect& rect) { return rect.left >= rect.right || rect.top >= rect.bottom; }

bool Intersects(const PanelRect& a, const PanelRect& b) {
  return !IsEmpty(a) && !IsEmpty(b) && a.left < b.right && b.left < a.right && a.top < b.bottom &&
         b.top < a.bottom;
}

bool Contains(const PanelRect& outer, const PanelRect& inner) {
  return IsEmpty(inner) || (inner.left >= outer.left && inner.top >= outer.top &&
                            inner.right <= outer.right && inner.bottom <= outer.bottom);
}

PanelRect Intersection(const PanelRect& a, const PanelRect& b) {
  const PanelRect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                    a.right < b.right ? a.right : b.right,
                    a.bottom < b.bottom ? a.bottom : b.bottom};
  return IsEmpty(r) ? PanelRect{0, 0, 0, 0} : r;
}

PanelRect Union(const PanelRect& a, const PanelRect& b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
          a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}
