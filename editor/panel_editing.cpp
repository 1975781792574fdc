#include "editor/panel_editing.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "editor/additions_text.h"

namespace {

constexpr int32_t Clamp(int32_t value, int32_t low, int32_t high) {
  return value < low ? low : value > high ? high : value;
}

// Slot field of the shown slot for targets and prompts 0..3.
Relaxed<int32_t>* SlotField(DataModel& model, int32_t field) {
  const int32_t slot = ShownSlot(model.selectedSlot);
  switch (field) {
    case kDragIcon:
      return &model.bank.iconId[slot];
    case kDragKeyswitch:
      return &model.bank.keyswitch[slot];
    case kDragModwheel:
      return &model.bank.modwheel[slot];
    case kDragUacc:
      return &model.bank.uacc[slot];
    default:
      return nullptr;
  }
}

const Relaxed<int32_t>* SlotField(const DataModel& model, int32_t field) {
  return SlotField(const_cast<DataModel&>(model), field);
}

}  // namespace

// ---------------------------------------------------------------------------
// Press and drag.

int32_t PressTargetAt(int32_t pageIndex, PanelPoint p) {
  // Tested in this order, a later match overwriting an earlier one.
  int32_t target = kDragNone;
  if (pageIndex == kArticulationPage) {
    if (panel::kIconBox.Contains(p)) target = kDragIcon;
    if (panel::kKeyswitchBox.Contains(p)) target = kDragKeyswitch;
    if (panel::kModwheelBox.Contains(p)) target = kDragModwheel;
    if (panel::kUaccBox.Contains(p)) target = kDragUacc;
  }
  if (panel::kPortBox.Contains(p)) target = kDragPort;
  if (panel::kChannelBox.Contains(p)) target = kDragChannel;
  if (pageIndex == kControllerPage) {
    if (panel::kDynamicsBox.Contains(p)) target = kDragDynamics;
    for (int32_t knob = 0; knob < 4; ++knob) {
      if (panel::KnobBox(knob).Contains(p)) target = kDragFirstKnob + knob;
    }
  }
  return target;
}

bool IsControllerTarget(int32_t target) {
  return target >= kDragDynamics && target <= kDragLastKnob;
}

int32_t ControllerOfTarget(int32_t target) { return target - kDragDynamics; }

ValueRange DragRange(int32_t target) {
  switch (target) {
    case kDragIcon:
      return {0, kIconLimit};
    case kDragKeyswitch:
    case kDragModwheel:
    case kDragUacc:
      return {kUnset, 127};
    case kDragPort:
      return {0, 255};
    case kDragChannel:
      return {0, 15};
    default:
      return {0, 127};
  }
}

int32_t TargetValue(const DataModel& model, int32_t target) {
  if (const Relaxed<int32_t>* field = SlotField(model, target)) return *field;
  if (target == kDragPort) return model.output.port;
  if (target == kDragChannel) return model.output.channel;
  if (IsControllerTarget(target)) return model.controllers.value[ControllerOfTarget(target)];
  return 0;
}

bool StoreTargetValue(DataModel& model, int32_t target, int32_t value) {
  Relaxed<int32_t>* field = SlotField(model, target);
  if (target == kDragPort) field = &model.output.port;
  if (target == kDragChannel) field = &model.output.channel;
  if (!field || *field == value) return false;
  *field = value;
  // A new output address: the next note re-sends its slot's messages there.
  if (target == kDragPort || target == kDragChannel) {
    model.ForgetSentArticulation();
  } else {
    model.PublishSlots();
  }
  return true;
}

float DragDivisor(bool shiftDown) { return shiftDown ? 18.0f : 2.0f; }

void AccumulateDrag(EditorDragState& drag, int32_t dx, int32_t dy, float divisor) {
  drag.horizontalAccumulator += static_cast<float>(dx) / divisor;
  drag.verticalAccumulator -= static_cast<float>(dy) / divisor;
}

int32_t DragValue(int32_t target, int32_t start, float vertical, float horizontal) {
  double steps;
  if (target == kDragDynamics) {
    steps = std::trunc(static_cast<double>(horizontal));
  } else if (IsControllerTarget(target)) {
    steps = std::trunc(static_cast<double>(vertical));
  } else {
    steps = std::trunc(static_cast<double>(vertical) / 4.0);
  }
  if (std::isnan(steps)) steps = 0.0;
  // In double, so a long drag cannot overflow before it is held in range.
  const ValueRange range = DragRange(target);
  const double value = static_cast<double>(start) + steps;
  if (value < range.low) return range.low;
  if (value > range.high) return range.high;
  return static_cast<int32_t>(value);
}

int32_t AbsoluteInputCoordinate(int32_t position, int32_t screenSize) {
  if (screenSize <= 0) return 0;
  const double value = std::trunc(65534.0 / screenSize * position);
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

bool IsClick(PanelPoint press, PanelPoint release) {
  const int64_t dx = static_cast<int64_t>(release.x) - press.x;
  const int64_t dy = static_cast<int64_t>(release.y) - press.y;
  return dx >= -5 && dx <= 5 && dy >= -5 && dy <= 5;
}

// ---------------------------------------------------------------------------
// Click and right-button release.

ClickAction ClickActionAt(int32_t pageIndex, PanelPoint p) {
  const int32_t slot = SlotButtonAt(p);
  if (slot >= 0) return {ClickAction::kSelectSlot, slot};
  if (pageIndex == kSettingsPage) {
    if (panel::kGhostingBox.Contains(p)) return {ClickAction::kToggleGhosting, -1};
    if (panel::kPreserveBox.Contains(p)) return {ClickAction::kTogglePreserve, -1};
  }
  if (pageIndex == kControllerPage && panel::kHoldBox.Contains(p)) {
    return {ClickAction::kToggleHold, -1};
  }
  const int32_t tab = TabAt(p);
  if (tab >= 0) return {ClickAction::kSelectPage, tab};
  return {};
}

RightClickAction RightClickActionAt(int32_t pageIndex, PanelPoint p) {
  if (pageIndex == kControllerPage) {
    if (panel::kDynamicsBox.Contains(p)) {
      return {RightClickAction::kParameterMenu, controllerCcNumbers[0] - 1};
    }
    // Four knobs, then the Hold switch in the fifth position.
    for (int32_t position = 0; position < 5; ++position) {
      if (panel::KnobBox(position).Contains(p)) {
        return {RightClickAction::kParameterMenu, controllerCcNumbers[position + 1] - 1};
      }
    }
  }
  if (pageIndex != kArticulationPage) return {};
  struct Region {
    HitBox box;
    PromptField field;
  };
  static constexpr Region kPromptRegions[] = {
      {panel::kIconBox, kPromptIcon},         {panel::kKeyswitchBox, kPromptKeyswitch},
      {panel::kModwheelBox, kPromptModwheel}, {panel::kUaccBox, kPromptUacc},
      {panel::kPortBox, kPromptPort},         {panel::kChannelBox, kPromptChannel},
      {panel::kNameBox, kPromptName},         {panel::kAdditionsBox, kPromptAdditions},
  };
  for (const Region& region : kPromptRegions) {
    if (region.box.Contains(p)) return {RightClickAction::kPrompt, region.field};
  }
  return {};
}

// ---------------------------------------------------------------------------
// Prompts.

std::string AdditionsHintAt(const DataModel& model, PanelPoint p) {
  if (model.pageIndex != kArticulationPage || !panel::kAdditionsBox.Contains(p)) return {};
  std::string text = FormatAdditionsText(model.additions.Get(ShownSlot(model.selectedSlot)));
  if (text.size() >= kHintSize) text = text.substr(0, kHintSize - 4) + "...";
  return text;
}

const char* PromptCaption(int32_t field) {
  switch (field) {
    case kPromptIcon:
      return "Icon ID";
    case kPromptKeyswitch:
      return "Keyswitch";
    case kPromptModwheel:
      return "Modwheel";
    case kPromptUacc:
      return "UACC";
    case kPromptPort:
      return "Port";
    case kPromptChannel:
      return "Channel";
    case kPromptName:
      return "Articulation name";
    case kPromptAdditions:
      return "Slot outputs: key velocity, channels, transpose, latency, actions";
    default:
      return "";
  }
}

int32_t PromptFieldValue(const DataModel& model, int32_t field) {
  switch (field) {
    case kPromptIcon:
      return TargetValue(model, kDragIcon);
    case kPromptKeyswitch:
      return TargetValue(model, kDragKeyswitch);
    case kPromptModwheel:
      return TargetValue(model, kDragModwheel);
    case kPromptUacc:
      return TargetValue(model, kDragUacc);
    case kPromptPort:
      return model.output.port;
    case kPromptChannel:
      return model.output.channel;
    default:
      return 0;
  }
}

int32_t ParsePromptNumber(const char* text, size_t size) {
  if (!text) return 0;
  size_t i = 0;
  auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < size && blank(text[i])) ++i;
  bool negative = false;
  if (i < size && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr int64_t kLimit = int64_t{1} << 31;
  int64_t magnitude = 0;
  for (; i < size && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

void StorePromptNumber(DataModel& model, int32_t field, int32_t value) {
  switch (field) {
    case kPromptIcon:
      *SlotField(model, kDragIcon) = Clamp(value, 0, kIconLimit);
      model.PublishSlots();
      break;
    case kPromptKeyswitch:
    case kPromptModwheel:
    case kPromptUacc:
      *SlotField(model, field) = Clamp(value, kUnset, 127);
      model.PublishSlots();
      break;
    case kPromptPort:
      model.output.port = value > 255 || value < 0 ? 255 : value;
      model.ForgetSentArticulation();
      break;
    case kPromptChannel:
      model.output.channel = value > 15 || value < 0 ? 15 : value;
      model.ForgetSentArticulation();
      break;
    default:
      break;
  }
}

std::string PromptName(const char* text, size_t size) {
  if (!text) return {};
  size_t length = 0;
  const size_t limit = size < static_cast<size_t>(kMaxNameLength) ? size : kMaxNameLength;
  while (length < limit && text[length] != '\0') ++length;
  return std::string(text, length);
}

void FillNumberPrompt(char (&buffer)[kPromptBufferSize], int32_t value) {
  std::memset(buffer, 0, sizeof buffer);
  std::snprintf(buffer, sizeof buffer, "%i", static_cast<int>(value));
}

void FillNamePrompt(char (&buffer)[kPromptBufferSize], const std::string& name) {
  std::memset(buffer, 0, sizeof buffer);
  const size_t length =
      name.size() < static_cast<size_t>(kMaxNameLength) ? name.size() : kMaxNameLength;
  std::memcpy(buffer, name.data(), length);
}

// ---------------------------------------------------------------------------
// Texts.

void FormatControllerMessage(char (&text)[kMessageSize], int32_t cc, int32_t value) {
  std::snprintf(text, sizeof text, "CC %i: %i", static_cast<int>(cc), static_cast<int>(value));
}

void FormatControllerSetMessage(char (&text)[kMessageSize], int32_t cc, int32_t value) {
  std::snprintf(text, sizeof text, "CC #%i set to %i", static_cast<int>(cc),
                static_cast<int>(value));
}

void FormatOptionalValue(char (&text)[16], int32_t value) {
  if (value < 0) {
    std::snprintf(text, sizeof text, "---");
  } else {
    std::snprintf(text, sizeof text, "%i", static_cast<int>(value));
  }
}

void FormatDefaultName(char (&text)[32], int32_t slot) {
  std::snprintf(text, sizeof text, "Articulation %i", static_cast<int>(slot) + 1);
}
