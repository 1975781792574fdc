// Shows the editor at a known place on the screen and checks what real
// pointer and key input from outside the program did to it. The input
// comes from pointer_test.sh through xdotool on the same X display.
//
// Handshake through files in the working directory: the program writes
// "ready" holding the panel's screen origin; for each step n the script
// acts and then creates "step-n"; the program checks and creates "ack-n".
// While a popup menu is open the program writes "menu" with the screen
// point of the menu's first entry. Exit status 0 when every check held.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/editor_resources.h"
#include "plugin/kavo_lumet_plug.h"
#include "tests/gui/panel_test_support.h"
#include "tests/support/recording_host.h"

namespace {

constexpr int kPanelX = 100, kPanelY = 100;
constexpr DWORD kStepTimeoutMs = 60000;

RecordingHost g_host;
KAVOLumetPlug* g_plug = nullptr;
int g_failures = 0;
int g_nextStep = 1;
DWORD g_lastProgress = 0;
bool g_menuReported = false;
int g_expressionBeforeShift = 0;

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Touch(const std::string& path, const std::string& text = "") {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fputs(text.c_str(), f);
    std::fclose(f);
  }
}

void Check(bool ok, int step, const std::string& what) {
  std::printf("%s step %d: %s\n", ok ? "ok  " : "FAIL", step, what.c_str());
  std::fflush(stdout);
  if (!ok) ++g_failures;
}

std::string Text(const char* format, long a = 0, long b = 0, long c = 0, long d = 0) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

DataModel& Model() { return g_plug->engine().model; }
const EditorDragState& Drag() { return g_plug->editor().dragState(); }

RECT Clip() {
  RECT clip{};
  GetClipCursor(&clip);
  return clip;
}

bool Unconfined() {
  const RECT clip = Clip();
  return clip.left == 0 && clip.top == 0 && clip.right == GetSystemMetrics(SM_CXSCREEN) &&
         clip.bottom == GetSystemMetrics(SM_CYSCREEN);
}

POINT Cursor() {
  POINT p{};
  GetCursorPos(&p);
  return p;
}

std::string LastMessage() { return g_host.messages.empty() ? "" : g_host.messages.back(); }

// What each step must have done.
void CheckStep(int step) {
  DataModel& m = Model();
  switch (step) {
    case 1: {  // click on slot 3
      Check(m.selectedSlot == 3, step,
            Text("a click on slot 3 selects it (selected %ld)", m.selectedSlot));
      Check(Drag().pointerPoint == PanelPoint{28 * 3 + 21, 30}, step,
            Text("pointer recorded at (%ld,%ld)", Drag().pointerPoint.x, Drag().pointerPoint.y));
      Check(!Drag().Dragging() && Unconfined(), step, "a click starts no drag");
      break;
    }
    case 2: {  // button down on the Expression knob
      const RECT clip = Clip();
      const PanelPoint anchor = Drag().dragAnchor;
      Check(Drag().Dragging() && Drag().dragTarget == 8, step,
            Text("press on the Expression knob drags target %ld", Drag().dragTarget));
      Check(anchor == PanelPoint{kPanelX + 74, kPanelY + 144}, step,
            Text("anchor at the press (%ld,%ld)", anchor.x, anchor.y));
      Check(clip.left == anchor.x - 20 && clip.top == anchor.y - 10 &&
                clip.right == anchor.x + 20 && clip.bottom == anchor.y + 10,
            step,
            Text("pointer confined to (%ld,%ld)-(%ld,%ld)", clip.left, clip.top, clip.right,
                 clip.bottom));
      Check(GetCursor() == nullptr, step, "pointer hidden");
      Check(LastMessage() == "CC 11: 64", step, "message " + LastMessage());
      break;
    }
    case 3: {  // 8 pixels up
      Check(m.controllers.value[2] == 68, step,
            Text("8 pixels up raise Expression from 64 to 68 (now %ld)", m.controllers.value[2]));
      const POINT now = Cursor();
      Check(now.x == Drag().dragReference.x && now.y == Drag().dragReference.y, step,
            Text("pointer sent back to (%ld,%ld), is at (%ld,%ld)", Drag().dragReference.x,
                 Drag().dragReference.y, now.x, now.y));
      Check(LastMessage() == "CC #11 set to 68", step, "message " + LastMessage());
      Check(!g_host.paramChanges.empty() && g_host.paramChanges.back() == std::make_pair(10, 68),
            step, "the host heard of parameter 10 = 68");
      break;
    }
    case 4: {  // 50 pixels up, held at the edge of the box
      const int counted = Drag().dragReference.y - (Drag().dragAnchor.y - 10);
      const int expected = 64 + static_cast<int>(4.0f + counted / 2.0f);
      Check(counted <= 10, step, Text("at most 10 pixels counted (%ld)", counted));
      Check(m.controllers.value[2] == expected, step,
            Text("50 pixels up count as %ld: Expression %ld, expected %ld", counted,
                 m.controllers.value[2], expected));
      break;
    }
    case 5: {  // with Shift, twice 9 pixels up: one step
      const int now = m.controllers.value[2];
      Check(
          now == g_expressionBeforeShift + 1, step,
          Text("with Shift, 18 pixels up add one step: %ld -> %ld", g_expressionBeforeShift, now));
      break;
    }
    case 6: {  // button up
      Check(!Drag().Dragging(), step, "release ends the drag");
      Check(Unconfined(), step, "pointer free again");
      Check(GetCursor() != nullptr, step, "a cursor is shown again");
      break;
    }
    case 7: {  // right click on Hold, first menu entry chosen with the pointer
      bool chosen = false;
      for (const auto& call : g_host.dispatches) {
        chosen |= call.request == 0 && call.index == 63 && call.value == 0;
      }
      Check(g_menuReported, step, "a popup menu opened");
      Check(chosen, step, "the host heard the choice of entry 0 for parameter 63");
      break;
    }
    case 8: {  // click on the first tab
      Check(m.pageIndex == 0, step,
            Text("a click on the first tab shows page 0 (page %ld)", m.pageIndex));
      break;
    }
    default:
      break;
  }
}

constexpr int kLastStep = 8;

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
  // A popup menu is open: tell the script where its first entry is.
  if (!g_menuReported) {
    if (HWND menuWindow = FindWindowA("#32768", nullptr)) {
      HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
      RECT item{};
      if (menu && GetMenuItemRect(nullptr, menu, 0, &item) && IsWindowVisible(menuWindow)) {
        g_menuReported = true;
        Touch("menu",
              Text("%ld %ld\n", (item.left + item.right) / 2, (item.top + item.bottom) / 2));
      }
    }
  }
  const std::string stepFile = "step-" + std::to_string(g_nextStep);
  if (Exists(stepFile)) {
    CheckStep(g_nextStep);
    if (g_nextStep == 4) g_expressionBeforeShift = Model().controllers.value[2];
    Touch("ack-" + std::to_string(g_nextStep));
    g_lastProgress = GetTickCount();
    if (g_nextStep++ == kLastStep) PostQuitMessage(0);
    return;
  }
  if (GetTickCount() - g_lastProgress > kStepTimeoutMs) {
    Check(false, g_nextStep, "no input arrived in time");
    EndMenu();
    PostQuitMessage(0);
  }
}

}  // namespace

int main() {
  g_host.menu = {{"First entry", 0}, {"Second entry", 0}};
  g_plug = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&g_host, 12));
  if (!g_plug || !g_plug->editorHandle) {
    std::printf("FAIL: no editor\n");
    return 1;
  }
  panel_test::ParentWindow parent(kPanelX, kPanelY);
  g_plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(parent.handle()));
  g_plug->ProcessParam(10, 64, kParamUpdateValue);  // Expression mid-way
  SetForegroundWindow(parent.handle());
  UpdateWindow(parent.handle());

  POINT origin{0, 0};
  ClientToScreen(static_cast<HWND>(g_plug->editorHandle), &origin);
  Touch("ready", Text("%ld %ld\n", origin.x, origin.y));
  std::printf("panel at %ld,%ld on a %dx%d screen\n", origin.x, origin.y,
              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  std::fflush(stdout);

  g_lastProgress = GetTickCount();
  SetTimer(nullptr, 0, 20, Poll);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  ClipCursor(nullptr);
  g_plug->Destroy();
  std::printf("%s: %d failed checks\n", g_failures ? "FAILED" : "PASSED", g_failures);
  return g_failures ? 1 : 0;
}
