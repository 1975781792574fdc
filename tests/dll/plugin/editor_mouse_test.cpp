// The editor's mouse handling through window messages sent to the real
// dialog: clicks, drags with the hidden and confined pointer (moved with the
// system's own cursor calls), prompts and the host's parameter menus.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "editor/editor_resources.h"
#include "plugin/kavo_lumet_plug.h"
#include "tests/gui/panel_test_support.h"
#include "tests/support/recording_host.h"

using namespace panel_test;

namespace {

constexpr POINT kPointerHome{900, 700};  // on the bare desktop, clear of the panel

// Throws away queued input, so moves the tests cause by moving the real
// pointer never reach a later test.
void DropQueuedMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_PAINT) DispatchMessageA(&msg);
  }
}

void SetShift(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = keys[VK_LSHIFT] = down ? 0x80 : 0;
  keys[VK_RSHIFT] = 0;
  SetKeyboardState(keys);
}

class EditorMouse : public ::testing::Test {
 protected:
  void SetUp() override {
    ClipCursor(nullptr);
    SetCursorPos(kPointerHome.x, kPointerHome.y);
    SetShift(false);
    plug = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, 21));
    ASSERT_NE(plug, nullptr);
    ASSERT_NE(editor(), nullptr);
    ASSERT_NE(parent.handle(), nullptr);
    plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(parent.handle()));
    SetForegroundWindow(parent.handle());
    UpdateWindow(editor());
    DropQueuedMessages();
    arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    SetCursor(arrow);
    host.ClearRecords();
  }
  void TearDown() override {
    ClipCursor(nullptr);
    SetShift(false);
    DropQueuedMessages();
    if (plug) plug->Destroy();
  }

  HWND editor() const { return static_cast<HWND>(plug->editorHandle); }
  DataModel& model() { return plug->engine().model; }
  const EditorDragState& drag() { return plug->editor().dragState(); }

  static LPARAM At(int x, int y) {
    return static_cast<LPARAM>(static_cast<uint16_t>(x) |
                               static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16);
  }
  // Through the system, as the window would receive it.
  void Send(UINT message, int x, int y) { SendMessageA(editor(), message, 0, At(x, y)); }
  // Straight to the handler, for its result.
  INT_PTR Handle(UINT message, int x, int y, WPARAM wParam = 0) {
    return plug->editor().HandleMessage(editor(), message, wParam, At(x, y));
  }
  void Click(int x, int y) {
    Send(WM_LBUTTONDOWN, x, y);
    Send(WM_LBUTTONUP, x, y);
  }
  // The user moves the pointer by (dx, dy) from where the drag measures,
  // then the window hears of it.
  void DragBy(int dx, int dy, int clientX, int clientY) {
    SetCursorPos(drag().dragReference.x + dx, drag().dragReference.y + dy);
    Send(WM_MOUSEMOVE, clientX, clientY);
  }
  bool WholePanelMarked() {
    RECT update{}, client{};
    GetClientRect(editor(), &client);
    return GetUpdateRect(editor(), &update, FALSE) && EqualRect(&update, &client);
  }
  static RECT ClipNow() {
    RECT clip{};
    GetClipCursor(&clip);
    return clip;
  }
  static bool Unconfined() {
    const RECT clip = ClipNow();
    return clip.left == 0 && clip.top == 0 && clip.right == GetSystemMetrics(SM_CXSCREEN) &&
           clip.bottom == GetSystemMetrics(SM_CYSCREEN);
  }

  RecordingHost host;
  KAVOLumetPlug* plug = nullptr;
  ParentWindow& parent = SharedParent();
  HCURSOR arrow = nullptr;
};

// ---------------------------------------------------------------------------
// Clicks.

TEST_F(EditorMouse, AClickOnASlotButtonSelectsIt) {
  for (int slot = 15; slot >= 0; --slot) {
    const int x = 9 + 28 * (slot % 8), y = 9 + 44 * (slot / 8);
    ValidateRect(editor(), nullptr);
    Click(x + (slot % 3 == 0 ? 24 : 0), y + (slot % 2 ? 39 : 0));
    EXPECT_EQ(model().selectedSlot, slot);
    EXPECT_TRUE(WholePanelMarked()) << "slot " << slot;
  }
  model().selectedSlot = 5;
  Click(34, 20);  // between the first two columns
  Click(20, 50);  // between the rows
  EXPECT_EQ(model().selectedSlot, 5);
}

TEST_F(EditorMouse, TabsChooseThePageAndSharedEdgesGoToTheLowerTab) {
  Click(51, 200);
  EXPECT_EQ(model().pageIndex, 0);
  Click(52, 230);
  EXPECT_EQ(model().pageIndex, 1);
  Click(96, 185);
  EXPECT_EQ(model().pageIndex, 1);
  Click(141, 200);
  EXPECT_EQ(model().pageIndex, 2);
  Click(6, 200);
  EXPECT_EQ(model().pageIndex, 0);
  Click(142, 200);
  Click(30, 184);
  EXPECT_EQ(model().pageIndex, 0);
}

TEST_F(EditorMouse, AReleaseMoreThanFivePixelsAwayIsNoClick) {
  Send(WM_LBUTTONDOWN, 70, 20);
  Send(WM_MOUSEMOVE, 76, 20);
  Send(WM_LBUTTONUP, 76, 20);
  EXPECT_EQ(model().selectedSlot, 0) << "press on slot 2, moved 6 pixels";

  // Within 5 pixels the click goes where the button came up.
  Send(WM_LBUTTONDOWN, 33, 20);
  Send(WM_MOUSEMOVE, 38, 25);
  Send(WM_LBUTTONUP, 38, 25);
  EXPECT_EQ(model().selectedSlot, 1);
}

TEST_F(EditorMouse, OptionsToggleOnTheSettingsPageOnly) {
  Click(20, 130);
  EXPECT_EQ(model().output.ccGhosting, 0) << "not on the controller page";
  model().pageIndex = 2;
  Click(10, 126);
  EXPECT_EQ(model().output.ccGhosting, 1);
  Click(110, 136);
  EXPECT_EQ(model().output.ccGhosting, 0);
  Click(50, 160);
  EXPECT_EQ(model().output.preservePortChannel, 1);
  Click(50, 170);
  EXPECT_EQ(model().output.preservePortChannel, 0);
  Click(50, 147);  // MIDI Extend: no region
  EXPECT_EQ(model().output.midiExtend, 0);
  EXPECT_EQ(model().output.ccGhosting, 0);
  EXPECT_EQ(model().output.preservePortChannel, 0);
  // A stored flag other than 0 or 1 still turns off with one click.
  model().output.ccGhosting = 5;
  Click(50, 130);
  EXPECT_EQ(model().output.ccGhosting, 0);
}

TEST_F(EditorMouse, TheHoldSwitchTogglesThroughTheParameter) {
  ASSERT_EQ(model().pageIndex, 1);
  Click(209, 144);
  EXPECT_EQ(model().controllers.value[5], 127);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], "CC 64: 127");
  ASSERT_FALSE(host.midi.empty());
  EXPECT_EQ(host.midi.back(), 0xB0u | 64u << 8 | 127u << 16) << DescribeMidi(host.midi.back());
  EXPECT_TRUE(WholePanelMarked()) << "the controller page repaints";
  Click(192, 161);
  EXPECT_EQ(model().controllers.value[5], 0);
  EXPECT_EQ(host.messages.back(), "CC 64: 0");
  model().controllers.value[5] = 63;
  Click(226, 127);
  EXPECT_EQ(model().controllers.value[5], 127) << "below 64 goes to 127";
  model().pageIndex = 0;
  Click(209, 144);
  EXPECT_EQ(model().controllers.value[5], 127) << "no switch on the articulation page";
}

// The click and press regions of every page, written out again from the
// panel's tables, checked point by point through messages to the window.
struct Box {
  int l, t, r, b;
  bool Has(int x, int y) const { return x >= l && x <= r && y >= t && y <= b; }
};

// What a click at (x, y) on a page must do: slot s gives s, tab t gives
// 100 + t, an option 200 + n, Hold 300; -1 nothing.
int ExpectedClick(int page, int x, int y) {
  for (int s = 0; s < 16; ++s) {
    const int m = s % 8, r = s / 8;
    if (Box{9 + 28 * m, 9 + 44 * r, 33 + 28 * m, 48 + 44 * r}.Has(x, y)) return s;
  }
  if (page == 2 && Box{10, 126, 110, 136}.Has(x, y)) return 200;
  if (page == 2 && Box{10, 158, 110, 170}.Has(x, y)) return 201;
  if (page == 1 && Box{192, 127, 226, 161}.Has(x, y)) return 300;
  for (int t = 0; t < 3; ++t) {
    if (Box{6 + 45 * t, 185, 51 + 45 * t, 230}.Has(x, y)) return 100 + t;
  }
  return -1;
}

int ExpectedPress(int page, int x, int y) {
  int target = -1;
  if (page == 0) {
    const Box boxes[] = {
        {15, 130, 45, 160}, {110, 130, 152, 160}, {158, 130, 190, 160}, {194, 130, 226, 160}};
    for (int i = 0; i < 4; ++i) {
      if (boxes[i].Has(x, y)) target = i;
    }
  }
  if (Box{156, 190, 190, 215}.Has(x, y)) target = 4;
  if (Box{198, 190, 224, 215}.Has(x, y)) target = 5;
  if (page == 1) {
    if (Box{174, 105, 230, 125}.Has(x, y)) target = 6;
    for (int k = 0; k < 4; ++k) {
      if (Box{12 + 45 * k, 127, 46 + 45 * k, 161}.Has(x, y)) target = 7 + k;
    }
  }
  return target;
}

TEST_F(EditorMouse, ClickRegionsOfEveryPageThroughMessages) {
  int checked = 0;
  for (int page = 0; page < 3; ++page) {
    for (int y = 0; y < 240; y += 3) {
      for (int x = (y / 3) % 2; x < 240; x += 2) {
        DataModel& m = model();
        m.pageIndex = page;
        m.selectedSlot = -1;  // so that choosing slot 0 shows too
        m.output.ccGhosting = 0;
        m.output.preservePortChannel = 0;
        m.controllers.value[5] = 0;
        ValidateRect(editor(), nullptr);
        Click(x, y);
        const int want = ExpectedClick(page, x, y);
        int got = -1;
        if (m.selectedSlot != -1) got = m.selectedSlot;
        if (m.output.ccGhosting) got = 200;
        if (m.output.preservePortChannel) got = 201;
        if (m.controllers.value[5]) got = 300;
        // Choosing the page already shown changes nothing but the repaint.
        if (m.pageIndex != page || (got == -1 && WholePanelMarked())) got = 100 + m.pageIndex;
        ASSERT_EQ(got, want) << "click at " << x << "," << y << " on page " << page;
        ++checked;
      }
      host.ClearRecords();
    }
  }
  EXPECT_EQ(checked, 3 * 80 * 120);
}

TEST_F(EditorMouse, PressRegionsOfEveryPageThroughMessages) {
  for (int page = 0; page < 3; ++page) {
    model().pageIndex = page;
    for (int y = 1; y < 240; y += 3) {
      for (int x = 2; x < 240; x += 3) {
        Send(WM_LBUTTONDOWN, x, y);
        const int want = ExpectedPress(page, x, y);
        ASSERT_EQ(drag().dragTarget, want) << "press at " << x << "," << y << " on page " << page;
        ASSERT_EQ(drag().Dragging(), want >= 0);
        // Away from every click region before the release.
        Send(WM_MOUSEMOVE, x + 100, y + 100);
        Send(WM_LBUTTONUP, x + 100, y + 100);
        ASSERT_EQ(model().pageIndex, page);
      }
      DropQueuedMessages();
      SetCursorPos(kPointerHome.x, kPointerHome.y);
      host.ClearRecords();
    }
  }
  EXPECT_TRUE(Unconfined());
}

// ---------------------------------------------------------------------------
// Drags.

TEST_F(EditorMouse, APressOnAKnobHidesAndConfinesThePointerUntilRelease) {
  Send(WM_LBUTTONDOWN, 30, 140);
  EXPECT_TRUE(drag().Dragging());
  EXPECT_EQ(drag().dragTarget, 7);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], "CC 2: 127");
  EXPECT_EQ(GetCursor(), nullptr) << "pointer hidden";
  const PanelPoint anchor = drag().dragAnchor;
  EXPECT_EQ(anchor, (PanelPoint{kPointerHome.x, kPointerHome.y}));
  const RECT clip = ClipNow();
  EXPECT_EQ(clip.left, anchor.x - 20);
  EXPECT_EQ(clip.top, anchor.y - 10);
  EXPECT_EQ(clip.right, anchor.x + 20);
  EXPECT_EQ(clip.bottom, anchor.y + 10);
  // The pointer was sent to the anchor; the reference is where it landed.
  POINT now{};
  GetCursorPos(&now);
  EXPECT_EQ(now.x, drag().dragReference.x);
  EXPECT_EQ(now.y, drag().dragReference.y);
  EXPECT_LE(std::abs(drag().dragReference.x - anchor.x), 1);
  EXPECT_LE(std::abs(drag().dragReference.y - anchor.y), 1);

  // The system asks for a cursor: the handler answers for it, so none comes back.
  EXPECT_EQ(Handle(WM_SETCURSOR, 0, 0), 1);
  SendMessageA(editor(), WM_SETCURSOR, reinterpret_cast<WPARAM>(editor()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), nullptr);

  Send(WM_LBUTTONUP, 30, 140);
  EXPECT_FALSE(drag().Dragging());
  EXPECT_TRUE(Unconfined());
  EXPECT_EQ(GetCursor(), arrow) << "the cursor in force before the press";
  EXPECT_EQ(Handle(WM_SETCURSOR, 0, 0), 0);
  SetCursor(nullptr);
  SendMessageA(editor(), WM_SETCURSOR, reinterpret_cast<WPARAM>(editor()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(GetCursor(), nullptr) << "outside a drag the system sets the class cursor";
}

TEST_F(EditorMouse, DraggingAKnobUpTenPixelsRaisesItsControllerByFive) {
  plug->ProcessParam(1, 64, kParamUpdateValue);
  host.ClearRecords();
  Send(WM_LBUTTONDOWN, 30, 140);
  ASSERT_TRUE(drag().Dragging());
  DragBy(0, -5, 30, 140);
  EXPECT_EQ(model().controllers.value[1], 66);
  DragBy(0, -5, 30, 140);
  EXPECT_EQ(model().controllers.value[1], 69);
  ASSERT_EQ(host.paramChanges.size(), 2u);
  EXPECT_EQ(host.paramChanges[1], std::make_pair(1, 69));
  ASSERT_EQ(host.messages.size(), 3u);
  EXPECT_EQ(host.messages[1], "CC #2 set to 66");
  EXPECT_EQ(host.messages[2], "CC #2 set to 69");
  EXPECT_EQ(host.midi.back(), 0xB0u | 2u << 8 | 69u << 16) << DescribeMidi(host.midi.back());
  // Sent back to where the drag measures from.
  POINT now{};
  GetCursorPos(&now);
  EXPECT_EQ(now.y, drag().dragReference.y);
  // A move that changes nothing sends nothing.
  DragBy(0, 0, 30, 140);
  EXPECT_EQ(host.paramChanges.size(), 2u);
  // Far up, but the pointer cannot leave its box 10 pixels above the anchor.
  DragBy(0, -200, 30, 140);
  const int counted = drag().dragReference.y - (drag().dragAnchor.y - 10);
  EXPECT_LE(counted, 10);
  EXPECT_EQ(model().controllers.value[1], 64 + static_cast<int>(5.0f + counted / 2.0f))
      << counted << " pixels counted";
  Send(WM_LBUTTONUP, 30, 140);
  EXPECT_TRUE(Unconfined());
}

TEST_F(EditorMouse, KnobsStopAt0And127) {
  Send(WM_LBUTTONDOWN, 120, 140);  // Speed, CC 16
  ASSERT_EQ(drag().dragTarget, 9);
  DragBy(0, -8, 120, 140);
  EXPECT_EQ(model().controllers.value[3], 127);
  EXPECT_TRUE(host.paramChanges.empty()) << "already at the top";
  for (int i = 0; i < 40; ++i) DragBy(0, 8, 120, 140);
  EXPECT_EQ(model().controllers.value[3], 0);
  EXPECT_EQ(host.paramChanges.back(), std::make_pair(15, 0));
  EXPECT_EQ(host.messages.back(), "CC #16 set to 0");
  Send(WM_LBUTTONUP, 120, 140);
}

TEST_F(EditorMouse, DraggingTheSliderRightTenPixelsRaisesDynamicsByFive) {
  plug->ProcessParam(0, 20, kParamUpdateValue);
  host.ClearRecords();
  Send(WM_LBUTTONDOWN, 200, 115);
  ASSERT_EQ(drag().dragTarget, kDragDynamics);
  EXPECT_EQ(host.messages[0], "CC 1: 20");
  DragBy(0, -10, 200, 115);
  EXPECT_EQ(model().controllers.value[0], 20) << "vertical travel does not move the slider";
  DragBy(10, 0, 200, 115);
  EXPECT_EQ(model().controllers.value[0], 25);
  EXPECT_EQ(host.paramChanges.back(), std::make_pair(0, 25));
  EXPECT_EQ(host.messages.back(), "CC #1 set to 25");
  Send(WM_LBUTTONUP, 200, 115);
}

TEST_F(EditorMouse, KeyswitchStepsEveryEightPixelsOrSeventyTwoWithShift) {
  model().pageIndex = 0;
  model().selectedSlot = 2;
  model().bank.keyswitch[2] = 60;
  Send(WM_LBUTTONDOWN, 130, 145);
  ASSERT_EQ(drag().dragTarget, kDragKeyswitch);
  EXPECT_TRUE(host.messages.empty()) << "only controllers show a message";
  ValidateRect(editor(), nullptr);
  DragBy(0, -8, 130, 145);
  EXPECT_EQ(model().bank.keyswitch[2], 61);
  EXPECT_TRUE(WholePanelMarked());
  Send(WM_LBUTTONUP, 130, 145);

  SetShift(true);
  Send(WM_LBUTTONDOWN, 130, 145);
  for (int i = 0; i < 7; ++i) DragBy(0, -9, 130, 145);
  EXPECT_EQ(model().bank.keyswitch[2], 61) << "63 pixels with Shift";
  DragBy(0, -9, 130, 145);
  EXPECT_EQ(model().bank.keyswitch[2], 62) << "72 pixels with Shift";
  Send(WM_LBUTTONUP, 130, 145);
  SetShift(false);

  model().bank.keyswitch[2] = 0;
  Send(WM_LBUTTONDOWN, 130, 145);
  for (int i = 0; i < 10; ++i) DragBy(0, 8, 130, 145);
  EXPECT_EQ(model().bank.keyswitch[2], -1) << "stops at -1";
  Send(WM_LBUTTONUP, 130, 145);
  EXPECT_EQ(model().bank.keyswitch[3], -1) << "only the selected slot";
}

TEST_F(EditorMouse, SlotFieldDragsStopAtTheirRanges) {
  model().pageIndex = 0;
  model().bank.iconId[0] = 125;
  Send(WM_LBUTTONDOWN, 30, 145);
  ASSERT_EQ(drag().dragTarget, kDragIcon);
  for (int i = 0; i < 10; ++i) DragBy(0, -8, 30, 145);
  EXPECT_EQ(model().bank.iconId[0], 127);
  // The value follows the travel since the press, overshoot included.
  for (int i = 0; i < 80; ++i) DragBy(0, 8, 30, 145);
  EXPECT_EQ(model().bank.iconId[0], 125 + 10 - 80);
  for (int i = 0; i < 80; ++i) DragBy(0, 8, 30, 145);
  EXPECT_EQ(model().bank.iconId[0], 0);
  Send(WM_LBUTTONUP, 30, 145);
  for (int x : {170, 210}) {
    Send(WM_LBUTTONDOWN, x, 145);
    for (int i = 0; i < 140; ++i) DragBy(0, -8, x, 145);
    Send(WM_LBUTTONUP, x, 145);
  }
  EXPECT_EQ(model().bank.modwheel[0], 127);
  EXPECT_EQ(model().bank.uacc[0], 127);
}

TEST_F(EditorMouse, PortAndChannelDragsForgetWhatWasSent) {
  for (int page = 0; page < 3; ++page) {
    model().pageIndex = page;
    model().output.port = 0;
    model().currentSlot = 7;
    model().sent = {40, 41, 42};
    Send(WM_LBUTTONDOWN, 170, 200);
    ASSERT_EQ(drag().dragTarget, kDragPort) << page;
    DragBy(0, -4, 170, 200);
    EXPECT_EQ(model().output.port, 0) << "half a step";
    EXPECT_EQ(model().currentSlot, 7) << "nothing changed yet";
    DragBy(0, -4, 170, 200);
    EXPECT_EQ(model().output.port, 1);
    EXPECT_EQ(model().currentSlot, 0);
    EXPECT_EQ(model().sent.lastKeyswitch, 255);
    EXPECT_EQ(model().sent.lastUacc, 255);
    EXPECT_EQ(model().sent.lastModwheel, 255);
    Send(WM_LBUTTONUP, 170, 200);
  }
  Send(WM_LBUTTONDOWN, 210, 200);
  ASSERT_EQ(drag().dragTarget, kDragChannel);
  for (int i = 0; i < 30; ++i) DragBy(0, -8, 210, 200);
  EXPECT_EQ(model().output.channel, 15);
  for (int i = 0; i < 30; ++i) DragBy(0, 8, 210, 200);
  EXPECT_EQ(model().output.channel, 0);
  Send(WM_LBUTTONUP, 210, 200);
  model().output.port = 250;
  Send(WM_LBUTTONDOWN, 170, 200);
  for (int i = 0; i < 10; ++i) DragBy(0, -8, 170, 200);
  EXPECT_EQ(model().output.port, 255);
  Send(WM_LBUTTONUP, 170, 200);
}

TEST_F(EditorMouse, ActivationAndFocusLossEndADrag) {
  for (UINT message : {static_cast<UINT>(WM_ACTIVATE), static_cast<UINT>(WM_KILLFOCUS)}) {
    SetCursorPos(kPointerHome.x, kPointerHome.y);
    SetCursor(arrow);
    Send(WM_LBUTTONDOWN, 30, 140);
    ASSERT_TRUE(drag().Dragging());
    ASSERT_FALSE(Unconfined());
    EXPECT_EQ(Handle(message, 0, 0), 0);
    EXPECT_FALSE(drag().Dragging());
    EXPECT_TRUE(Unconfined());
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(drag().dragTarget, 7) << "kept, without effect";
    const int32_t before = model().controllers.value[1];
    SetCursorPos(kPointerHome.x, kPointerHome.y - 8);
    Send(WM_MOUSEMOVE, 30, 140);
    EXPECT_EQ(model().controllers.value[1], before) << "no drag: moves change nothing";
    Send(WM_LBUTTONUP, 30, 140);
  }
}

TEST_F(EditorMouse, HidingThePanelEndsADrag) {
  Send(WM_LBUTTONDOWN, 30, 140);
  ASSERT_FALSE(Unconfined());
  plug->Dispatch(kDispatchShowEditor, 0, 0);
  EXPECT_FALSE(drag().Dragging());
  EXPECT_TRUE(Unconfined());
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_FALSE(IsWindowVisible(editor()));
  EXPECT_EQ(GetParent(editor()), nullptr);
}

TEST_F(EditorMouse, MessageResults) {
  EXPECT_EQ(Handle(WM_MOUSEMOVE, 150, 150), 1);
  EXPECT_EQ(Handle(WM_LBUTTONDOWN, 150, 100), 0);
  EXPECT_EQ(Handle(WM_LBUTTONUP, 150, 100), 0);
  EXPECT_EQ(Handle(WM_SETCURSOR, 0, 0), 0);
  EXPECT_EQ(Handle(WM_ACTIVATE, 0, 0), 0);
  EXPECT_EQ(Handle(WM_KEYDOWN, 0, 0, VK_UP), 0);
  EXPECT_EQ(Handle(WM_MOUSEWHEEL, 0, 0), 0);
  // The dialog procedure takes the paint as handled, so the dialog manager
  // does not paint again; what the message itself answers stays 0.
  EXPECT_EQ(Handle(WM_PAINT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(editor(), WM_PAINT, 0, 0), 0);
  // Coordinates are signed 16-bit halves.
  Send(WM_MOUSEMOVE, -3, -4);
  EXPECT_EQ(drag().pointerPoint, (PanelPoint{-3, -4}));
}

// ---------------------------------------------------------------------------
// Prompts.

// Records what each prompt started with, and can answer with a buffer full
// of bytes and no terminator.
class PromptHost : public RecordingHost {
 public:
  std::vector<std::string> startingTexts;
  std::vector<int32_t> colours;
  std::vector<std::pair<int32_t, int32_t>> places;
  char fill = 0;  // non-zero: answer with 256 of these, unterminated

  int32_t PLUG_CALL PromptText(int32_t x, int32_t y, const char* caption, char* buffer,
                               int32_t* colour) override {
    startingTexts.emplace_back(buffer, strnlen(buffer, 256));
    colours.push_back(colour ? *colour : 0);
    places.emplace_back(x, y);
    if (fill) {
      promptCaptions.emplace_back(caption);
      std::memset(buffer, fill, 256);
      return 1;
    }
    return RecordingHost::PromptText(x, y, caption, buffer, colour);
  }
};

class EditorPrompts : public ::testing::Test {
 protected:
  void SetUp() override {
    plug = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, 33));
    ASSERT_NE(plug, nullptr);
    plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(SharedParent().handle()));
    plug->engine().model.pageIndex = 0;
    plug->engine().model.selectedSlot = 3;
    host.ClearRecords();
  }
  void TearDown() override {
    DropQueuedMessages();
    plug->Destroy();
  }

  HWND editor() const { return static_cast<HWND>(plug->editorHandle); }
  DataModel& model() { return plug->engine().model; }
  // Right button released with the pointer last seen at (x, y).
  INT_PTR RightAt(int x, int y) {
    SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    return plug->editor().HandleMessage(editor(), WM_RBUTTONUP, 0, MAKELPARAM(1, 1));
  }
  void Answer(const char* text) { host.prompts.emplace_back(true, text); }

  PromptHost host;
  KAVOLumetPlug* plug = nullptr;
};

TEST_F(EditorPrompts, EachBoxPromptsWithItsCaptionAndCurrentValue) {
  model().bank.keyswitch[3] = 61;
  model().bank.modwheel[3] = -1;
  model().bank.uacc[3] = 12;
  model().output.port = 7;
  model().output.channel = 2;
  model().bank.name.Set(3, "Tremolo");
  const struct {
    int x, y;
    const char* caption;
    const char* start;
  } cases[] = {{30, 145, "Icon ID", "55"},
               {130, 145, "Keyswitch", "61"},
               {170, 145, "Modwheel", "-1"},
               {210, 145, "UACC", "12"},
               {170, 200, "Port", "7"},
               {210, 200, "Channel", "2"},
               {50, 110, "Articulation name", "Tremolo"}};
  for (const auto& c : cases) {
    host.promptCaptions.clear();
    host.startingTexts.clear();
    EXPECT_EQ(RightAt(c.x, c.y), 1) << c.caption;
    ASSERT_EQ(host.promptCaptions.size(), 1u) << c.caption;
    EXPECT_EQ(host.promptCaptions[0], c.caption);
    EXPECT_EQ(host.startingTexts[0], c.start);
  }
  for (int32_t colour : host.colours) EXPECT_EQ(colour, -1);
  for (auto place : host.places) EXPECT_EQ(place, std::make_pair(-1, -1));
  EXPECT_EQ(model().bank.keyswitch[3], 61) << "cancelled prompts change nothing";
  EXPECT_EQ(model().bank.name[3], "Tremolo");
}

TEST_F(EditorPrompts, TypedSlotValuesAreHeldInTheirRanges) {
  ValidateRect(editor(), nullptr);
  Answer("200");
  RightAt(30, 145);
  EXPECT_EQ(model().bank.iconId[3], 127);
  Answer("-5");
  RightAt(30, 145);
  EXPECT_EQ(model().bank.iconId[3], 0);
  Answer(" 64 ");
  RightAt(130, 145);
  EXPECT_EQ(model().bank.keyswitch[3], 64);
  Answer("500");
  RightAt(130, 145);
  EXPECT_EQ(model().bank.keyswitch[3], 127);
  Answer("-7");
  RightAt(170, 145);
  EXPECT_EQ(model().bank.modwheel[3], -1);
  Answer("abc");
  RightAt(210, 145);
  EXPECT_EQ(model().bank.uacc[3], 0) << "letters give 0";
  Answer("99999999999");
  RightAt(210, 145);
  EXPECT_EQ(model().bank.uacc[3], 127);
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(editor(), &update, FALSE)) << "repainted";
  EXPECT_EQ(model().bank.keyswitch[2], -1) << "other slots untouched";
}

TEST_F(EditorPrompts, PortAndChannelOutsideTheirRangesBecome255And15) {
  model().currentSlot = 5;
  model().sent = {1, 2, 3};
  Answer("300");
  RightAt(170, 200);
  EXPECT_EQ(model().output.port, 255);
  EXPECT_EQ(model().currentSlot, 0);
  EXPECT_EQ(model().sent.lastUacc, 255);
  Answer("-3");
  RightAt(210, 200);
  EXPECT_EQ(model().output.channel, 15);
  Answer("4");
  RightAt(210, 200);
  EXPECT_EQ(model().output.channel, 4) << "the stored channel is 0-based";
  Answer("x12");
  RightAt(170, 200);
  EXPECT_EQ(model().output.port, 0);
}

TEST_F(EditorPrompts, NamesAreTakenAsTyped) {
  Answer("Legato");
  RightAt(6, 102);
  EXPECT_EQ(model().bank.name[3], "Legato");
  Answer("");
  RightAt(103, 124);
  EXPECT_EQ(model().bank.name[3], "");
}

TEST_F(EditorPrompts, AnUnterminatedAnswerIsReadNoFurtherThanTheBuffer) {
  host.fill = 'q';
  RightAt(50, 110);
  EXPECT_EQ(model().bank.name[3], std::string(255, 'q'));
  host.fill = '9';
  RightAt(30, 145);
  EXPECT_EQ(model().bank.iconId[3], 127);
  RightAt(170, 200);
  EXPECT_EQ(model().output.port, 255);
}

TEST_F(EditorPrompts, ALongNameStartsThePromptCutTo255) {
  model().bank.name.Set(3, std::string(400, 'L'));  // longer than any load allows
  RightAt(50, 110);
  ASSERT_EQ(host.startingTexts.size(), 1u);
  EXPECT_EQ(host.startingTexts[0], std::string(255, 'L'));
}

TEST_F(EditorPrompts, TheReleaseUsesThePointerNotTheMessagePosition) {
  SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(130, 145));
  EXPECT_EQ(plug->editor().HandleMessage(editor(), WM_RBUTTONUP, 0, MAKELPARAM(30, 145)), 1);
  ASSERT_EQ(host.promptCaptions.size(), 1u);
  EXPECT_EQ(host.promptCaptions[0], "Keyswitch");
}

TEST_F(EditorPrompts, NoPromptsOffTheArticulationPage) {
  for (int page : {1, 2}) {
    model().pageIndex = page;
    EXPECT_EQ(RightAt(170, 200), 0) << "port box on page " << page;
    EXPECT_EQ(RightAt(210, 200), 0);
  }
  model().pageIndex = 2;
  for (int y = 0; y < 240; y += 7) {
    for (int x = 0; x < 240; x += 7) EXPECT_EQ(RightAt(x, y), 0) << x << "," << y;
  }
  model().pageIndex = 0;
  EXPECT_EQ(RightAt(150, 100), 0) << "no region";
  EXPECT_TRUE(host.promptCaptions.empty());
  EXPECT_TRUE(host.dispatches.empty()) << "and no menus";
}

// ---------------------------------------------------------------------------
// Parameter menus: the host's entries in a real popup menu, chosen with
// keys posted while the menu runs.

struct MenuItemSeen {
  UINT id, type, state;
  std::string text;
};
std::vector<MenuItemSeen> g_menuSeen;
std::vector<std::pair<UINT, WPARAM>> g_menuKeys;
WNDPROC g_editorProc = nullptr;

LRESULT CALLBACK WatchMenus(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITMENUPOPUP) {
    HMENU menu = reinterpret_cast<HMENU>(wParam);
    g_menuSeen.clear();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      char text[64] = {};
      MENUITEMINFOA info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
      info.dwTypeData = text;
      info.cch = sizeof text;
      GetMenuItemInfoA(menu, i, TRUE, &info);
      g_menuSeen.push_back({info.wID, info.fType, info.fState, text});
    }
    for (auto [msg, key] : g_menuKeys) PostMessageA(window, msg, key, 0);
  }
  return CallWindowProcA(g_editorProc, window, message, wParam, lParam);
}

void CALLBACK EndStuckMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

class EditorMenus : public EditorMouse {
 protected:
  void SetUp() override {
    EditorMouse::SetUp();
    g_editorProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(editor(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchMenus)));
    host.menu = {{"Link to controller", 0},
                 {"-", 0},
                 {"Greyed", 1},
                 {"Checked", 2},
                 {"Both", 3},
                 {"Last", 0}};
    safety = SetTimer(nullptr, 0, 5000, EndStuckMenu);
  }
  void TearDown() override {
    KillTimer(nullptr, safety);
    SetWindowLongPtrA(editor(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_editorProc));
    g_menuKeys.clear();
    EditorMouse::TearDown();
  }

  std::vector<int32_t> ChoicesMade() const {
    std::vector<int32_t> choices;
    for (const auto& call : host.dispatches) {
      if (call.request == 0)
        choices.push_back(call.index * 1000 + static_cast<int32_t>(call.value));
    }
    return choices;
  }

  UINT_PTR safety = 0;
};

TEST_F(EditorMenus, TheHostsEntriesBecomeMenuItems) {
  g_menuKeys = {{WM_KEYDOWN, VK_ESCAPE}};
  SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(80, 140));  // Expression knob
  EXPECT_EQ(Handle(WM_RBUTTONUP, 80, 140), 1);
  // Entries asked for until the host answers null.
  std::vector<intptr_t> asked;
  for (const auto& call : host.dispatches) {
    if (call.request == 18) {
      EXPECT_EQ(call.index, 10);
      EXPECT_EQ(call.sender, 21);
      asked.push_back(call.value);
    }
  }
  EXPECT_EQ(asked, (std::vector<intptr_t>{0, 1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(g_menuSeen.size(), 6u);
  EXPECT_EQ(g_menuSeen[0].id, 1024u);
  EXPECT_EQ(g_menuSeen[0].text, "Link to controller");
  EXPECT_EQ(g_menuSeen[0].state & (MFS_GRAYED | MFS_CHECKED), 0u);
  EXPECT_TRUE(g_menuSeen[1].type & MFT_SEPARATOR);
  EXPECT_EQ(g_menuSeen[2].id, 1026u);
  EXPECT_TRUE(g_menuSeen[2].state & MFS_GRAYED);
  EXPECT_FALSE(g_menuSeen[2].state & MFS_CHECKED);
  EXPECT_TRUE(g_menuSeen[3].state & MFS_CHECKED);
  EXPECT_FALSE(g_menuSeen[3].state & MFS_GRAYED);
  EXPECT_TRUE((g_menuSeen[4].state & MFS_GRAYED) && (g_menuSeen[4].state & MFS_CHECKED));
  EXPECT_EQ(g_menuSeen[5].id, 1029u);
  EXPECT_EQ(g_menuSeen[5].text, "Last");
  EXPECT_TRUE(ChoicesMade().empty()) << "escaped: nothing chosen";
}

TEST_F(EditorMenus, AChosenEntryGoesBackToTheHost) {
  // Down to the first entry, Enter.
  g_menuKeys = {{WM_KEYDOWN, VK_DOWN}, {WM_CHAR, '\r'}};
  SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(200, 115));  // Dynamics
  EXPECT_EQ(Handle(WM_RBUTTONUP, 0, 0), 1);
  EXPECT_EQ(ChoicesMade(), (std::vector<int32_t>{0 * 1000 + 0}));

  host.dispatches.clear();
  // Past the separator to the checked entry (the greyed one cannot run).
  g_menuKeys = {{WM_KEYDOWN, VK_END}, {WM_KEYDOWN, VK_UP}, {WM_KEYDOWN, VK_UP}, {WM_CHAR, '\r'}};
  SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(209, 144));  // Hold
  EXPECT_EQ(Handle(WM_RBUTTONUP, 0, 0), 1);
  EXPECT_EQ(ChoicesMade(), (std::vector<int32_t>{63 * 1000 + 3}));
}

TEST_F(EditorMenus, EveryControllerOpensTheMenuOfItsParameter) {
  const struct {
    int x, y, parameter;
  } cases[] = {{174, 105, 0},  {12, 127, 1},   {91, 161, 10},
               {102, 150, 15}, {181, 127, 20}, {226, 161, 63}};
  host.menu = {{"Only", 0}};
  g_menuKeys = {{WM_KEYDOWN, VK_DOWN}, {WM_CHAR, '\r'}};
  for (const auto& c : cases) {
    host.dispatches.clear();
    SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(c.x, c.y));
    EXPECT_EQ(Handle(WM_RBUTTONUP, 0, 0), 1);
    EXPECT_EQ(ChoicesMade(), (std::vector<int32_t>{c.parameter * 1000}));
  }
  // Off the controllers there is no menu.
  host.dispatches.clear();
  SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(150, 100));
  EXPECT_EQ(Handle(WM_RBUTTONUP, 0, 0), 0);
  EXPECT_TRUE(host.dispatches.empty());
}

TEST_F(EditorMenus, AHostWithoutEntriesGetsNoChoice) {
  host.menu.clear();
  g_menuKeys = {{WM_KEYDOWN, VK_ESCAPE}};
  SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 140));
  EXPECT_EQ(Handle(WM_RBUTTONUP, 0, 0), 1) << "a menu was asked for";
  EXPECT_TRUE(ChoicesMade().empty());
}

TEST_F(EditorMenus, EveryMenuIsDestroyed) {
  g_menuKeys = {{WM_KEYDOWN, VK_ESCAPE}};
  auto showMenu = [&] {
    SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 140));
    Handle(WM_RBUTTONUP, 0, 0);
  };
  showMenu();  // whatever the system makes for the first menu
  const int before = UserObjectsLeft();
  for (int i = 0; i < 20; ++i) showMenu();
  // The USER table is shared with other wine programs: a leak shows in
  // every reading, another program's activity only in some.
  int after = 0;
  for (int attempt = 0; attempt < 5 && (after = UserObjectsLeft()) != before; ++attempt) {
    Sleep(200);
  }
  EXPECT_EQ(after, before) << "USER objects free before and after 20 menus";
}

}  // namespace

// The line under the values edits what the slot sends besides them.
TEST_F(EditorPrompts, TheAdditionsLineEditsTheSlotsOutputsAsText) {
  SlotAdditions start;
  start.actions[0] = {ActionKind::kControlChange, 2, 58, 20};
  start.actionCount = 1;
  ASSERT_TRUE(model().additions.Set(3, start));
  Answer("channels plug-in+5, D0 v90 held, CC 58 = 21 ch 2");
  EXPECT_EQ(RightAt(170, 168), 1);
  ASSERT_EQ(host.promptCaptions.size(), 1u);
  EXPECT_EQ(host.promptCaptions[0],
            "Slot outputs: key velocity, channels, transpose, latency, actions");
  EXPECT_EQ(host.startingTexts[0], "CC 58 = 20 ch 2");
  const SlotAdditions edited = model().additions.Get(3);
  EXPECT_EQ(edited.noteChannels, kPluginChannelBit | 1u << 4);
  ASSERT_EQ(edited.actionCount, 2);
  EXPECT_EQ(edited.actions[0], (SlotAction{ActionKind::kNoteHeld, 0, 26, 90}));
  EXPECT_EQ(edited.actions[1], (SlotAction{ActionKind::kControlChange, 2, 58, 21}));

  // A text it cannot read changes nothing and says what it could not read.
  host.hints.clear();
  Answer("CC 58 = 200");
  RightAt(170, 168);
  EXPECT_EQ(model().additions.Get(3), edited);
  ASSERT_FALSE(host.hints.empty());
  EXPECT_EQ(host.hints.back(), "Not understood: \"CC 58 = 200\"");

  // Resting on the line shows the whole text, latency included, once.
  SlotAdditions late = edited;
  late.latencyMs = 250;
  ASSERT_TRUE(model().additions.Set(3, late));
  host.hints.clear();
  const auto MoveTo = [this](int x, int y) {
    SendMessageA(editor(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  };
  MoveTo(170, 168);
  MoveTo(172, 168);
  ASSERT_EQ(host.hints.size(), 1u);
  EXPECT_EQ(host.hints[0], "channels plug-in+5, latency 250 ms, D0 v90 held, CC 58 = 21 ch 2");
  MoveTo(20, 20);
  MoveTo(170, 168);
  EXPECT_EQ(host.hints.size(), 2u);
}
