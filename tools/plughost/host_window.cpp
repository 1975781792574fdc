#include "tools/plughost/host_window.h"

#include <algorithm>

#include "editor/wide_text.h"

namespace {

const wchar_t kClassName[] = L"PlughostHostWindow";
constexpr UINT_PTR kCloseTimer = 1;
constexpr int32_t kDispatchEditor = 0;

bool RegisterHostClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSW existing;
  if (GetClassInfoW(instance, kClassName, &existing)) return true;
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  return RegisterClassW(&windowClass) != 0;
}

}  // namespace

HostWindow::~HostWindow() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

bool HostWindow::Create(const std::string& title, Kind kind, std::string& error) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterHostClass(instance, WindowProc)) {
    error = "cannot register the host window class";
    return false;
  }
  const bool working = kind == Kind::kWorking;
  const DWORD style = working ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX : WS_POPUP;
  const int at = working ? CW_USEDEFAULT : 0;
  window_ = CreateWindowExW(0, kClassName, panel_text::Wide(title).c_str(), style | WS_CLIPCHILDREN,
                            at, at, 320, 320, nullptr, nullptr, instance, this);
  if (!window_) {
    error = "cannot create the host window";
    return false;
  }
  if (working && !(hasStatus_ = status_.Create(window_))) {
    error = "cannot create the host window's status line";
    return false;
  }
  return true;
}

HWND HostWindow::ShowEditor(const RawPlugin& plugin) {
  plugin.Dispatch(kDispatchEditor, 0, reinterpret_cast<intptr_t>(window_));
  HWND editor = plugin.editorWindow();
  content_ = {240, 240};
  if (editor) {
    // The editor's place within our client area decides how big we are.
    RECT frame;
    GetWindowRect(editor, &frame);
    MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&frame), 2);
    content_ = {frame.right > 0 ? frame.right : 240, frame.bottom > 0 ? frame.bottom : 240};
  }
  Fit();
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  return editor;
}

void HostWindow::HideEditor(const RawPlugin& plugin) { plugin.Dispatch(kDispatchEditor, 0, 0); }

void HostWindow::ShowStatus(const std::string& text) {
  if (!hasStatus_) return;
  status_.Show(text);
  Fit();
}

void HostWindow::Fit() {
  const DWORD style = static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE));
  int statusHeight = 0;
  if (hasStatus_) {
    status_.Place(content_.cy, content_.cx);
    // Within the screen's work area: the console has every text whole.
    RECT frame{0, 0, 0, 0}, work{0, 0, 0, 0};
    AdjustWindowRect(&frame, style, FALSE);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int room = (work.bottom - work.top) - (frame.bottom - frame.top) - content_.cy;
    statusHeight = std::max(std::min(status_.WantedHeight(), room), 0);
  }
  RECT outer{0, 0, content_.cx, content_.cy + statusHeight};
  AdjustWindowRect(&outer, style, FALSE);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  RECT now{};
  GetWindowRect(window_, &now);
  if (now.right - now.left != width || now.bottom - now.top != height)
    SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void HostWindow::CloseAfter(double seconds) {
  SetTimer(window_, kCloseTimer, static_cast<UINT>(seconds * 1000), nullptr);
}

void HostWindow::RunUntilClosed() {
  quitOnDestroy_ = true;
  MSG message;
  while (window_ && GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    if (self->quitOnDestroy_) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT HostWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kCloseTimer) {
        KillTimer(window_, kCloseTimer);
        PostMessageW(window_, WM_CLOSE, 0, 0);
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
  return DefWindowProcW(window_, message, wParam, lParam);
}

void PumpMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}
