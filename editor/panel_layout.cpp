#include "editor/panel_layout.h"

namespace {
constexpr int32_t Clamp(int32_t value, int32_t low, int32_t high) {
  return value < low ? low : value > high ? high : value;
}
}  // namespace

int32_t IconCell(int32_t iconId) { return Clamp(iconId, 0, panel::kIconCount - 1); }

PanelPoint SlotIconSource(int32_t iconId, bool lit) {
  return {panel::kIconCell * IconCell(iconId) + 2, lit ? 0 : panel::kUnlitIconRow};
}

PanelPoint DetailIconSource(int32_t iconId) { return {panel::kIconCell * IconCell(iconId) + 2, 1}; }

int32_t ControllerFrame(int32_t value) {
  // In double precision, as v / 127 * 63; equal to 63v div 127 for 0..127.
  const int32_t v = Clamp(value, 0, 127);
  return static_cast<int32_t>(static_cast<double>(v) / 127.0 * 63.0);
}

int32_t SwitchFrame(int32_t value) { return value >= 64 ? 1 : 0; }

int32_t IndicatorRow(bool hovered, bool current) {
  return 2 * (hovered ? 1 : 0) + (current ? 1 : 0);
}

PanelPoint IndicatorSource(int32_t slot, int32_t row) {
  return {240 + panel::kIndicatorWidth * Clamp(slot, 0, panel::kSlotCount - 1),
          panel::kIndicatorHeight * Clamp(row, 0, 3)};
}

int32_t ShownSlot(int32_t selectedSlot) { return Clamp(selectedSlot, 0, panel::kSlotCount - 1); }

bool IsPage(int32_t pageIndex) { return pageIndex >= 0 && pageIndex < panel::kPageCount; }

int32_t OptionLookFor(int32_t flag) { return flag != 0 ? panel::kOptionOn : panel::kOptionOff; }

int32_t SlotButtonAt(PanelPoint p) {
  for (int32_t slot = 0; slot < panel::kSlotCount; ++slot) {
    if (panel::SlotButtonBox(slot).Contains(p)) return slot;
  }
  return -1;
}

int32_t TabAt(PanelPoint p) {
  for (int32_t page = 0; page < panel::kPageCount; ++page) {
    if (panel::TabBox(page).Contains(p)) return page;
  }
  return -1;
}
