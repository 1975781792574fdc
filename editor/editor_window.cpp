#include "editor/editor_window.h"

#include <cstring>

#include "editor/additions_text.h"
#include "editor/editor_resources.h"
#include "editor/map_menu.h"
#include "editor/panel_painter.h"
#include "editor/system_callbacks.h"

namespace {

// Flags of ProcessParam for an edit made on the panel: store and send the
// value, and repaint the controller page.
constexpr int32_t kPanelEditFlags = kParamUpdateValue | kParamUpdateControl;

constexpr int32_t kMenuCommandBase = 1024;
// A host that never ends its entry list must not hang the editor.
constexpr int32_t kMenuEntryLimit = 4096;

constexpr int32_t kHoldController = 5;

// While shown, recorded repaint requests become invalidations at about
// display rate.
constexpr UINT_PTR kRepaintTimer = 1;
constexpr UINT kRepaintMilliseconds = 16;

constexpr RECT kGridRect{panel::kSlotGridRect.left, panel::kSlotGridRect.top,
                         panel::kSlotGridRect.right, panel::kSlotGridRect.bottom};

void MarkInvalid(HWND window, bool gridOnly) {
  if (!window) return;
  InvalidateRect(window, gridOnly ? &kGridRect : nullptr, FALSE);
}

bool Covers(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

PanelPoint PointFromLParam(LPARAM lParam) {
  const auto bits = static_cast<uint32_t>(lParam);
  return {static_cast<int16_t>(bits & 0xFFFF), static_cast<int16_t>(bits >> 16)};
}

PanelPoint CursorPosition() {
  POINT point{-1, -1};
  GetCursorPos(&point);
  return {static_cast<int32_t>(point.x), static_cast<int32_t>(point.y)};
}

bool IsButtonMessage(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

bool ShiftDown() {
  return (GetKeyState(VK_LSHIFT) & 0x8000) != 0 || (GetKeyState(VK_RSHIFT) & 0x8000) != 0;
}

}  // namespace

EditorWindow::EditorWindow(ArticulationEngine& engine, HINSTANCE module, void** handleSlot)
    : engine_(engine),
      module_(module),
      handleSlot_(handleSlot),
      maps_([this](const std::string& text) { showMessage(text.c_str()); }) {}

EditorWindow::~EditorWindow() {
  // A plug-in object whose construction failed after the window was made
  // never reaches Destroy: its window goes with it.
  if (handle()) Destroy();
}

void EditorWindow::Create() {
  HWND window = CreateDialogParamA(
      module_, MAKEINTRESOURCEA(kEditorDialog), nullptr,
      system_callbacks::DialogProcedure<EditorWindow, &EditorWindow::HandleMessage>,
      reinterpret_cast<LPARAM>(this));
  *handleSlot_ = window;
  if (window) maps_.Attach(window);
}

void EditorWindow::Destroy() {
  CancelDrag();
  // An open file dialog closes and its thread ends while the window, its
  // owner's child, still exists.
  maps_.Detach();
  if (HWND window = handle()) DestroyWindow(window);
  *handleSlot_ = nullptr;
  painter_.Release();
}

void EditorWindow::ShowIn(HWND parent) {
  HWND window = handle();
  if (!window) return;
  if (parent) {
    SetParent(window, parent);
    ShowWindow(window, SW_SHOW);
    SetTimer(window, kRepaintTimer, kRepaintMilliseconds, nullptr);
    return;
  }
  KillTimer(window, kRepaintTimer);
  // A file dialog of a closed editor closes with it.
  maps_.CloseDialog();
  // Hidden before it leaves its parent, so it never shows as a window of
  // its own on the desktop in between.
  CancelDrag();
  ShowWindow(window, SW_HIDE);
  SetParent(window, nullptr);
}

void EditorWindow::InvalidateEditor(bool gridOnly) { requests_.Request(gridOnly); }

void EditorWindow::MarkForRepaint(bool gridOnly) {
  Invalidate(gridOnly ? RepaintRequests::kGrid : RepaintRequests::kWhole);
}

void EditorWindow::Invalidate(RepaintRequests::Region region) {
  asked_ |= region;
  MarkInvalid(handle(), region == RepaintRequests::kGrid);
}

void EditorWindow::PaintBegun(const RECT& invalid) {
  const RepaintRequests::Region taken = requests_.TakeForPaint();
  const uint8_t asked = asked_;
  asked_ = RepaintRequests::kNothing;
  if (taken == RepaintRequests::kNothing) return;
  // This paint draws what was recorded, but shows it only inside its
  // invalid region. Whatever the region may leave out gets a paint of its
  // own: a request this thread never marked (the paint came before the
  // tick, for an exposure say) or one outside the region's bounds.
  RECT needed{};
  if (taken == RepaintRequests::kGrid) {
    needed = kGridRect;
  } else {
    GetClientRect(handle(), &needed);
  }
  if ((taken & ~asked) != 0 || !Covers(invalid, needed)) Invalidate(taken);
}

void EditorWindow::PassOnRequests() {
  const RepaintRequests::Region pending = requests_.Pending();
  if (pending == RepaintRequests::kNothing) return;
  ++passedOn_;
  Invalidate(pending);
}

void EditorWindow::PaintEditor(HWND window) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  // Validated now: what is recorded from here on asks for a paint of its
  // own, and what was recorded before is drawn by this one.
  PaintBegun(paint.rcPaint);
  if (dc) {
    RECT client{};
    GetClientRect(window, &client);
    const PanelView view =
        ViewOf(engine_.model, drag_.pointerPoint, SharedEditorResources().noteNames);
    // Composed off-screen and copied in one go; only the invalid part
    // reaches the window.
    if (painter_.Update(dc, client.right - client.left, client.bottom - client.top,
                        SharedEditorResources(), view)) {
      if (composedHook_) composedHook_(composedHookContext_);
      painter_.CopyTo(dc, paint.rcPaint);
    }
  }
  EndPaint(window, &paint);
}

INT_PTR EditorWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsButtonMessage(message)) placeHints_.Seen(engine_.model, PointFromLParam(lParam));
  switch (message) {
    case WM_INITDIALOG:
      *handleSlot_ = window;
      return 1;
    case system_callbacks::kTellMessage:
      showMessage(reinterpret_cast<const char*>(lParam));
      return 0;
    case WM_MOUSEMOVE:
      return PointerMove(PointFromLParam(lParam));
    case WM_LBUTTONDOWN:
      mapMenuPending_ = false;
      Press(PointFromLParam(lParam));
      return 0;
    case WM_LBUTTONUP:
      Release(PointFromLParam(lParam));
      if (mapMenuPending_) OpenMapMenu();
      return 0;
    case WM_RBUTTONUP:
      return RightRelease() ? 1 : 0;
    case WM_ACTIVATE:
    case WM_KILLFOCUS:
      mapMenuPending_ = false;
      CancelDrag();
      return 0;
    case WM_SETCURSOR:
      // Handled while dragging, so the system does not bring a cursor back.
      return drag_.Dragging() ? 1 : 0;
    case WM_PAINT:
      if (SharedEditorResources().background) {
        PaintEditor(handle());
      } else {
        // Without a skin the panel stays undrawn, but the paint still
        // serves the pending requests.
        PAINTSTRUCT paint{};
        BeginPaint(handle(), &paint);
        PaintBegun(paint.rcPaint);
        EndPaint(handle(), &paint);
      }
      // Handled, so the dialog manager does not paint again: its BeginPaint
      // would validate whatever a request marked during this paint, and that
      // request would never be painted. The message's own result stays 0.
      return 1;
    case WM_TIMER:
      if (wParam == kRepaintTimer) PassOnRequests();
      return 0;
    case WM_LBUTTONDBLCLK:
      DoubleClick(PointFromLParam(lParam));
      return 0;
    default:
      maps_.HandleMessage(message, wParam, lParam);
      return 0;
  }
}

// ---------------------------------------------------------------------------
// Pointer.

INT_PTR EditorWindow::PointerMove(PanelPoint point) {
  // The move the drag itself just made.
  if (drag_.warpGuard) return 0;
  drag_.pointerPoint = point;
  if (drag_.Dragging()) StepDrag();
  ShowHintAt(point);
  if (panel::kSlotGridBox.Contains(point)) {
    MarkForRepaint(true);
    PaintEditor(handle());
  }
  return 1;
}

// The place's hint when the pointer moves into it (place_hint.h).
void EditorWindow::ShowHintAt(PanelPoint point) {
  const std::string hint = placeHints_.Moved(engine_.model, point, drag_.Dragging());
  PluginHost* host = engine_.host();
  if (host && !hint.empty()) host->ShowHint(engine_.hostTag(), hint.c_str());
}

void EditorWindow::PointerSeenWhereItIs() {
  POINT point{-1, -1};
  if (!GetCursorPos(&point) || !ScreenToClient(handle(), &point)) return;
  placeHints_.Seen(engine_.model, {static_cast<int32_t>(point.x), static_cast<int32_t>(point.y)});
}

void EditorWindow::DoubleClick(PanelPoint point) {
  if (drag_.Dragging() || !IsMapMenuPlace(engine_.model.pageIndex, point)) return;
  mapMenuPoint_ = {point.x, point.y};
  ClientToScreen(handle(), &mapMenuPoint_);
  // Opened once the button is up: a menu opened under a held button would
  // take its release for a choice.
  mapMenuPending_ = (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
  if (!mapMenuPending_) OpenMapMenu();
}

void EditorWindow::OpenMapMenu() {
  mapMenuPending_ = false;
  maps_.OpenMenu(mapMenuPoint_);
  PointerSeenWhereItIs();
}

void EditorWindow::Press(PanelPoint point) {
  drag_.pressPoint = point;
  drag_.pointerPoint = point;
  drag_.dragTarget = PressTargetAt(engine_.model.pageIndex, point);
  if (drag_.dragTarget == kDragNone) return;
  drag_.dragStartValue = TargetValue(engine_.model, drag_.dragTarget);
  if (IsControllerTarget(drag_.dragTarget)) {
    char text[kMessageSize];
    FormatControllerMessage(text, controllerCcNumbers[ControllerOfTarget(drag_.dragTarget)],
                            drag_.dragStartValue);
    showMessage(text);
  }
  StartDrag();
}

void EditorWindow::StartDrag() {
  // Hidden for the drag; a press during a drag keeps the cursor it hid.
  HCURSOR previous = SetCursor(nullptr);
  if (!drag_.Dragging()) savedCursor = previous;
  drag_.verticalAccumulator = 0.0f;
  drag_.horizontalAccumulator = 0.0f;
  drag_.dragAnchor = CursorPosition();
  const RECT confine{drag_.dragAnchor.x - 20, drag_.dragAnchor.y - 10, drag_.dragAnchor.x + 20,
                     drag_.dragAnchor.y + 10};
  ClipCursor(&confine);
  ReturnPointerToAnchor();
  // Measured after the first return, which may land a pixel off the anchor.
  drag_.dragReference = CursorPosition();
}

void EditorWindow::StepDrag() {
  const float divisor = DragDivisor(ShiftDown());
  const PanelPoint now = CursorPosition();
  drag_.warpGuard = 1;
  AccumulateDrag(drag_, now.x - drag_.dragReference.x, now.y - drag_.dragReference.y, divisor);
  ReturnPointerToAnchor();
  drag_.warpGuard = 0;
  ApplyDragValue();
}

void EditorWindow::ApplyDragValue() {
  DataModel& model = engine_.model;
  const int32_t target = drag_.dragTarget;
  if (target < kDragIcon || target > kDragLastKnob) return;
  const int32_t value = DragValue(target, drag_.dragStartValue, drag_.verticalAccumulator,
                                  drag_.horizontalAccumulator);
  if (!IsControllerTarget(target)) {
    if (StoreTargetValue(model, target, value)) MarkForRepaint(false);
    return;
  }
  const int32_t controller = ControllerOfTarget(target);
  if (value == model.controllers.value[controller]) return;
  const int32_t cc = controllerCcNumbers[controller];
  SetControllerFromPanel(cc, value);
  if (PluginHost* host = engine_.host()) host->NotifyParamChanged(engine_.hostTag(), cc - 1, value);
  char text[kMessageSize];
  FormatControllerSetMessage(text, cc, model.controllers.value[controller]);
  showMessage(text);
}

void EditorWindow::SetControllerFromPanel(int32_t cc, int32_t value) {
  engine_.ProcessParam(cc - 1, value, kPanelEditFlags);
  // The parameter's own request waits for the next tick; the panel's own
  // edit is shown at once.
  MarkForRepaint(false);
}

void EditorWindow::ReturnPointerToAnchor() const {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input.mi.dx = AbsoluteInputCoordinate(drag_.dragAnchor.x, GetSystemMetrics(SM_CXSCREEN));
  input.mi.dy = AbsoluteInputCoordinate(drag_.dragAnchor.y, GetSystemMetrics(SM_CYSCREEN));
  SendInput(1, &input, sizeof input);
}

void EditorWindow::Release(PanelPoint point) {
  CancelDrag();
  if (IsClick(drag_.pressPoint, drag_.pointerPoint)) {
    drag_.pointerPoint = point;
    Click();
  }
}

void EditorWindow::CancelDrag() {
  if (!drag_.Dragging()) return;
  drag_.dragReference = kNoPoint;
  if (savedCursor) SetCursor(savedCursor);
  savedCursor = nullptr;
  ClipCursor(nullptr);
}

void EditorWindow::Click() {
  DataModel& model = engine_.model;
  const ClickAction action = ClickActionAt(model.pageIndex, drag_.pointerPoint);
  switch (action.kind) {
    case ClickAction::kSelectSlot:
      model.selectedSlot = action.index;
      MarkForRepaint(false);
      break;
    case ClickAction::kToggleGhosting:
      model.output.ccGhosting = model.output.ccGhosting == 0 ? 1 : 0;
      MarkForRepaint(false);
      break;
    case ClickAction::kTogglePreserve:
      model.output.preservePortChannel = model.output.preservePortChannel == 0 ? 1 : 0;
      MarkForRepaint(false);
      break;
    case ClickAction::kToggleHold: {
      const int32_t hold = model.controllers.value[kHoldController];
      const int32_t cc = controllerCcNumbers[kHoldController];
      SetControllerFromPanel(cc, hold < 64 ? 127 : 0);
      char text[kMessageSize];
      FormatControllerMessage(text, cc, model.controllers.value[kHoldController]);
      showMessage(text);
      break;
    }
    case ClickAction::kSelectPage:
      model.pageIndex = action.index;
      MarkForRepaint(false);
      break;
    case ClickAction::kNone:
      break;
  }
}

// ---------------------------------------------------------------------------
// Right button: prompts and parameter menus.

bool EditorWindow::RightRelease() {
  const RightClickAction action = RightClickActionAt(engine_.model.pageIndex, drag_.pointerPoint);
  switch (action.kind) {
    case RightClickAction::kParameterMenu:
      ShowParameterMenu(action.value);
      PointerSeenWhereItIs();
      return true;
    case RightClickAction::kPrompt:
      PromptForValue(action.value);
      PointerSeenWhereItIs();
      return true;
    case RightClickAction::kNone:
      break;
  }
  return false;
}

void EditorWindow::PromptForValue(int32_t field) {
  DataModel& model = engine_.model;
  if (field == kPromptAdditions) {
    PromptForAdditions();
    return;
  }
  char buffer[kPromptBufferSize];
  if (field == kPromptName) {
    FillNamePrompt(buffer, model.bank.name[ShownSlot(model.selectedSlot)]);
  } else {
    FillNumberPrompt(buffer, PromptFieldValue(model, field));
  }
  PluginHost* host = engine_.host();
  int32_t colour = -1;
  if (!host || !host->PromptText(-1, -1, PromptCaption(field), buffer, &colour)) return;
  // The host may leave the buffer unterminated: never read past its end.
  if (field == kPromptName) {
    model.bank.name.Set(ShownSlot(model.selectedSlot), PromptName(buffer, sizeof buffer));
    model.PublishSlots();
  } else {
    StorePromptNumber(model, field, ParsePromptNumber(buffer, sizeof buffer));
  }
  MarkForRepaint(false);
}

void EditorWindow::PromptForAdditions() {
  DataModel& model = engine_.model;
  PluginHost* host = engine_.host();
  if (!host) return;
  const int32_t slot = ShownSlot(model.selectedSlot);
  const std::string current = FormatAdditionsText(model.additions.Get(slot));
  // The prompt holds 255 bytes; a longer list is never cut by an edit here.
  if (current.size() >= kPromptBufferSize) {
    host->ShowHint(engine_.hostTag(), "Too many outputs to edit here: use a map file");
    return;
  }
  char buffer[kPromptBufferSize] = {};
  std::memcpy(buffer, current.data(), current.size());
  int32_t colour = -1;
  if (!host->PromptText(-1, -1, PromptCaption(kPromptAdditions), buffer, &colour)) return;
  SlotAdditions edited;
  std::string error;
  // The host may leave the buffer unterminated: never read past its end.
  if (!ParseAdditionsText(buffer, sizeof buffer, edited, error)) {
    const std::string hint = "Not understood: " + error;
    host->ShowHint(engine_.hostTag(), hint.c_str());
    return;
  }
  model.additions.Set(slot, edited);
  MarkForRepaint(false);
}

void EditorWindow::ShowParameterMenu(int32_t parameter) {
  PluginHost* host = engine_.host();
  if (!host) return;
  const int32_t sender = engine_.hostTag();
  const PanelPoint at = CursorPosition();
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (int count = GetMenuItemCount(menu); count > 0; --count) DeleteMenu(menu, 0, MF_BYPOSITION);
  for (int32_t entry = 0; entry < kMenuEntryLimit; ++entry) {
    const auto* item = reinterpret_cast<const HostMenuEntry*>(
        host->HostDispatch(sender, kHostMenuEntry, parameter, entry));
    if (!item) break;
    const char* text = item->text ? item->text : "";
    if (std::strcmp(text, "-") == 0) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (item->flags & 1) flags |= MF_GRAYED;
    if (item->flags & 2) flags |= MF_CHECKED;
    AppendMenuA(menu, flags, static_cast<UINT_PTR>(kMenuCommandBase + entry), text);
  }
  const int command = static_cast<int>(
      TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, handle(), nullptr));
  if (command >= kMenuCommandBase) {
    host->HostDispatch(sender, kHostMenuChoice, parameter, command - kMenuCommandBase);
  }
  DestroyMenu(menu);
}

void EditorWindow::MessageRefused(HWND, UINT, host_boundary::Refusal why) noexcept {
  // Whatever the message was doing stopped where it threw; the host hears
  // why. Fixed texts: with no memory left, no other can be made.
  showMessage(why == host_boundary::Refusal::kOutOfMemory
                  ? "Not enough memory to finish the panel's last action"
                  : "The panel's last action failed before its end");
}

void EditorWindow::TellLater(const char* staticText) const noexcept {
  system_callbacks::TellLater(handle(), staticText);
}

void EditorWindow::showMessage(const char* text) const {
  if (PluginHost* host = engine_.host()) {
    host->HostDispatch(engine_.hostTag(), kHostShowMessage, 0, reinterpret_cast<intptr_t>(text));
  }
}
