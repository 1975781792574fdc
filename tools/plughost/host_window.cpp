#include "tools/plughost/host_window.h"

namespace {

const char kClassName[] = "PlughostHostWindow";
constexpr UINT_PTR kCloseTimer = 1;
constexpr int32_t kDispatchEditor = 0;

bool RegisterHostClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA existing;
  if (GetClassInfoA(instance, kClassName, &existing)) return true;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  return RegisterClassA(&windowClass) != 0;
}

}  // namespace

HostWindow::~HostWindow() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

bool HostWindow::Create(const std::string& title, bool decorated, std::string& error) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterHostClass(instance, WindowProc)) {
    error = "cannot register the host window class";
    return false;
  }
  const DWORD style =
      decorated ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX : WS_POPUP;
  const int at = decorated ? CW_USEDEFAULT : 0;
  window_ = CreateWindowExA(0, kClassName, title.c_str(), style | WS_CLIPCHILDREN, at, at, 320, 320,
                            nullptr, nullptr, instance, this);
  if (!window_) {
    error = "cannot create the host window";
    return false;
  }
  return true;
}

HWND HostWindow::ShowEditor(const RawPlugin& plugin) {
  plugin.Dispatch(kDispatchEditor, 0, reinterpret_cast<intptr_t>(window_));
  HWND editor = plugin.editorWindow();
  RECT client = {0, 0, 240, 240};
  if (editor) {
    // The editor's place within our client area decides how big we are.
    RECT frame;
    GetWindowRect(editor, &frame);
    MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&frame), 2);
    client = {0, 0, frame.right > 0 ? frame.right : 240, frame.bottom > 0 ? frame.bottom : 240};
  }
  RECT outer = client;
  AdjustWindowRect(&outer, static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)), FALSE);
  SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  return editor;
}

void HostWindow::HideEditor(const RawPlugin& plugin) { plugin.Dispatch(kDispatchEditor, 0, 0); }

void HostWindow::CloseAfter(double seconds) {
  SetTimer(window_, kCloseTimer, static_cast<UINT>(seconds * 1000), nullptr);
}

void HostWindow::RunUntilClosed() {
  quitOnDestroy_ = true;
  MSG message;
  while (window_ && GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    if (self->quitOnDestroy_) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT HostWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kCloseTimer) {
        KillTimer(window_, kCloseTimer);
        PostMessageA(window_, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (onClose) onClose();
      DestroyWindow(window_);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

void PumpMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}
