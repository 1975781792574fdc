// A host that frees the plug-in's DLL while the panel's file dialog is
// still on its way: Load map... is chosen, and the dialog's thread is held
// (by a window hook of this program) as it creates the dialog, so the
// instance's Destroy gives up waiting for it and returns. The host then
// frees the DLL and lets the thread go on: the dialog is cancelled, the
// thread returns into the plug-in's code and ends. With the thread holding
// the module, that code is still there; the DLL goes with the thread's end.
#include <windows.h>

#include <atomic>
#include <cstdio>

#include "tests/hostile/dll_cases.h"
#include "tests/hostile/panel_driving.h"

namespace hostile {
namespace {

std::atomic<DWORD> g_mainThread{0};
std::atomic<bool> g_held{false};
std::atomic<bool> g_letGo{false};
std::atomic<DWORD> g_workerId{0};
HANDLE g_release = nullptr;

// The first window another thread of this program creates: that thread is
// held here until released.
LRESULT CALLBACK HoldWorker(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_mainThread.load() != 0 &&
      GetCurrentThreadId() != g_mainThread.load() && !g_held.exchange(true)) {
    g_workerId = GetCurrentThreadId();
    WaitForSingleObject(g_release, 60000);
    g_letGo = true;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Loaded() { return GetModuleHandleW(L"QuindleVelmora.dll") != nullptr; }

}  // namespace

int UnloadWithDialogOpen() {
  // A crash ends the program at once, with no debugger waiting for a user.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  int failures = 0;
  const auto expect = [&](bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    failures += ok ? 0 : 1;
  };
  POINT place{};
  if (!MapMenuPlace(place)) return 1;
  HWND parent = panel_test::SharedParent().handle();
  HHOOK hook = SetWindowsHookExW(WH_CBT, HoldWorker, GetModuleHandleW(nullptr), 0);
  expect(hook != nullptr, "the window hook is in place");
  HANDLE worker = nullptr;
  DWORD destroyMilliseconds = 0;
  {
    PluginLibrary library("QuindleVelmora.dll");
    TellingHost host(0x5EED);
    const RawPlugin plugin(library.Create(&host, 0x5EED));
    if (!plugin.object()) {
      std::printf("no instance\n");
      return 1;
    }
    plugin.Dispatch(0, 0, reinterpret_cast<intptr_t>(parent));
    panel_test::PumpMessages();
    g_mainThread = GetCurrentThreadId();
    const MenuChoice choice = ChooseFromMapMenu(plugin.editorWindow(), place, map_menu::kLoad, {});
    expect(choice.found, "Load map... was chosen from the map menu");
    for (int i = 0; i < 500 && !g_held; ++i) panel_test::PumpMessages(20);
    expect(g_held, "the dialog's thread was held as it made its first window");
    if (g_workerId) worker = OpenThread(SYNCHRONIZE, FALSE, g_workerId);
    const DWORD start = GetTickCount();
    plugin.Destroy();
    destroyMilliseconds = GetTickCount() - start;
  }  // the library frees the DLL here
  std::printf("Destroy returned after %lu ms, the dialog's thread still held\n",
              static_cast<unsigned long>(destroyMilliseconds));
  expect(!g_letGo, "the thread outlived Destroy and the host's FreeLibrary");
  expect(Loaded(), "the DLL stays loaded while its thread runs");
  if (!Loaded()) {
    // Let go, the thread would return into code that is gone.
    std::printf("0 passed, 1 failed\n");
    std::fflush(stdout);
    ExitProcess(1);
  }

  SetEvent(g_release);
  // The dialog comes up once the thread goes on; it is cancelled if the
  // panel's cancel requests did not reach it.
  const DWORD start = GetTickCount();
  bool ended = false;
  while (GetTickCount() - start < 20000) {
    if (HWND dialog = OtherThreadsWindow())
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (worker && WaitForSingleObject(worker, 0) == WAIT_OBJECT_0) {
      ended = true;
      break;
    }
    panel_test::PumpMessages(20);
  }
  panel_test::PumpMessages(2000);  // a few seconds more with messages handled
  expect(ended, "the dialog's thread ended");
  expect(!Loaded(), "the DLL went with the thread's end");
  if (hook) UnhookWindowsHookEx(hook);
  if (worker) CloseHandle(worker);
  std::printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
  return failures == 0 ? 0 : 1;
}

}  // namespace hostile
