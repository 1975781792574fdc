// The window system's trampolines (editor/system_callbacks.h) for a window
// of our own: its object arrives with its creation and gets every message
// from then on; what a message's handling throws ends in the trampoline,
// which answers the default window procedure's result and tells the object.
#include <gtest/gtest.h>

#include <windows.h>

#include <new>

#include "editor/system_callbacks.h"

namespace {

constexpr UINT kAnswer = WM_APP + 1;
constexpr UINT kRunOutOfMemory = WM_APP + 2;
constexpr UINT kFail = WM_APP + 3;

struct ProbeWindow {
  int created = 0, refusals = 0;
  UINT refusedMessage = 0;
  host_boundary::Refusal why = host_boundary::Refusal::kFailure;

  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) ++created;
    if (message == kAnswer) return 42;
    if (message == kRunOutOfMemory) throw std::bad_alloc();
    if (message == kFail) throw 7;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  void MessageRefused(HWND, UINT message, host_boundary::Refusal reason) noexcept {
    ++refusals;
    refusedMessage = message;
    why = reason;
  }
};

TEST(SystemCallbacks, AWindowsObjectGetsItsMessagesAndWhatItThrowsEndsThere) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc =
      system_callbacks::WindowProcedure<ProbeWindow, &ProbeWindow::HandleMessage>;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"SystemCallbacksProbe";
  ASSERT_NE(RegisterClassW(&windowClass), 0);
  ProbeWindow probe;
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, windowClass.hInstance, &probe);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(probe.created, 1);
  EXPECT_EQ(SendMessageW(window, kAnswer, 0, 0), 42);
  EXPECT_EQ(probe.refusals, 0);

  EXPECT_EQ(SendMessageW(window, kRunOutOfMemory, 0, 0), 0);  // the default's answer
  EXPECT_EQ(probe.refusals, 1);
  EXPECT_EQ(probe.refusedMessage, kRunOutOfMemory);
  EXPECT_EQ(probe.why, host_boundary::Refusal::kOutOfMemory);

  EXPECT_EQ(SendMessageW(window, kFail, 0, 0), 0);
  EXPECT_EQ(probe.refusals, 2);
  EXPECT_EQ(probe.why, host_boundary::Refusal::kFailure);
  DestroyWindow(window);
  UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
}

}  // namespace
