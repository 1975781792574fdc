// A picture of the panel with its map menu open, as the composer sees it
// after a double-click under the slot buttons, with the factory maps'
// submenu and its first run of makers opened from the keyboard: the panel
// shown in a window at the screen's corner, the menu tracked by the
// system, and the screen read back while it is open. Writes editor-map-menu.bmp in the working
// directory; exit status 0 when it was written.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "plugin/kavo_lumet_plug.h"
#include "tests/gui/panel_test_support.h"
#include "tests/support/recording_host.h"

namespace {

constexpr int kWidth = 720, kHeight = 390;
constexpr POINT kPlace{120, 97};  // under the slot buttons: no region there

// A bank loaded before the picture, so the slots have names and the menu
// can undo the load.
constexpr char kBank[] =
    "//! g=\"Examples\" n=\"Violins\"\n"
    "Bank * * Example Violins\n"
    "//! i=legato o=note:24/cc:32,20\n20 Legato\n"
    "//! i=note-whole o=note:25/cc:32,1\n1 Sustain\n"
    "//! i=staccato o=note:26/cc:32,40\n40 Staccato\n"
    "//! i=spiccato o=note:27/cc:32,42\n42 Spiccato\n"
    "//! i=pizz o=note:28/cc:32,56\n56 Pizzicato\n"
    "//! i=tremolo o=note:29/cc:32,11\n11 Tremolo\n";

struct Capture {
  HWND panel = nullptr;
  bool written = false;
};

void PressKey(WORD key) {
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_KEYBOARD;
  press[0].ki.wVk = press[1].ki.wVk = key;
  press[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, press, sizeof press[0]);
  Sleep(250);
}

// Opens "Factory maps" and its first run of makers once the menu is up,
// reads the screen, then closes the menu.
DWORD WINAPI CaptureWhileOpen(void* argument) {
  auto* capture = static_cast<Capture*>(argument);
  Sleep(1000);
  for (const WORD key : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RIGHT}) PressKey(key);
  Sleep(1000);
  const panel_test::Image image = panel_test::WindowImage(nullptr, kWidth, kHeight);
  capture->written = panel_test::WriteBmp("editor-map-menu.bmp", image.pixels, kWidth, kHeight);
  PostMessageA(capture->panel, WM_CANCELMODE, 0, 0);
  INPUT escape[2] = {};
  escape[0].type = escape[1].type = INPUT_KEYBOARD;
  escape[0].ki.wVk = escape[1].ki.wVk = VK_ESCAPE;
  escape[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, escape, sizeof escape[0]);
  return 0;
}

}  // namespace

int main() {
  RecordingHost host;
  auto* plug = static_cast<KAVOLumetPlug*>(CreatePlugInstance(&host, 1));
  if (!plug) return 1;
  panel_test::ParentWindow parent(0, 0);
  MapLoadReport report;
  const std::string bank = kBank;
  if (!plug->mapLoader().LoadFile("violins.reabank", std::vector<uint8_t>(bank.begin(), bank.end()),
                                  report)) {
    std::printf("%s\n", report.Message().c_str());
    return 1;
  }
  plug->engine().model.pageIndex = 0;
  plug->engine().model.selectedSlot = 0;
  plug->Dispatch(kDispatchShowEditor, 0, reinterpret_cast<intptr_t>(parent.handle()));
  HWND panel = static_cast<HWND>(plug->editorHandle);
  UpdateWindow(panel);
  panel_test::PumpMessages(300);
  SetCursorPos(kPlace.x, kPlace.y);
  SendMessageA(panel, WM_MOUSEMOVE, 0, MAKELPARAM(kPlace.x, kPlace.y));
  panel_test::PumpMessages(100);

  Capture capture{panel, false};
  HANDLE thread = CreateThread(nullptr, 0, CaptureWhileOpen, &capture, 0, nullptr);
  if (!thread) return 1;
  // The menu's own loop runs inside this until the capture closes it.
  SendMessageA(panel, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(kPlace.x, kPlace.y));
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  plug->Destroy();
  if (capture.written) std::printf("wrote editor-map-menu.bmp\n");
  return capture.written ? 0 : 1;
}
