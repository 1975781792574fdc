// What the window system calls into the plug-in: window and dialog
// procedures, COM methods and thread procedures. Each is a trampoline that
// finds its object, forwards, and lets nothing thrown reach the system
// (engine/host_boundary.h). A window of ours uses them so:
//
//   class TableWindow {
//    public:
//     LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM);        // may throw
//     void MessageRefused(HWND, UINT, host_boundary::Refusal) noexcept;  // optional
//   };
//   wc.lpfnWndProc = system_callbacks::WindowProcedure<TableWindow, &TableWindow::HandleMessage>;
//   CreateWindowExW(..., this);   // the object, as the creation parameter
//
// and a dialog likewise with DialogProcedure and CreateDialogParamW.
#pragma once

#include <windows.h>

#include "engine/host_boundary.h"

namespace system_callbacks {

// ---------------------------------------------------------------------------
// Window and dialog procedures.

// Posted to a window of ours by code that cannot tell the composer itself (a
// COM method, a worker thread, a host's operation): lParam is a text with
// static storage, which the window procedure shows through the host. Safe
// from any thread but the audio thread; lost when the window is gone.
constexpr UINT kTellMessage = WM_APP + 0x2B0;
inline void TellLater(HWND window, const char* staticText) noexcept {
  if (window) PostMessageW(window, kTellMessage, 0, reinterpret_cast<LPARAM>(staticText));
}

template <typename Window>
Window* ObjectOf(HWND window) noexcept {
  return reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Tells the object, when it wants to know, that a message's handling threw
// and the system got the refusal.
template <typename Window>
void Refused(Window& object, HWND window, UINT message, host_boundary::Refusal why) noexcept {
  if constexpr (requires { object.MessageRefused(window, message, why); })
    object.MessageRefused(window, message, why);
}

// The dialog procedure of Window. The object arrives as WM_INITDIALOG's
// lParam (CreateDialogParam's last argument) and is kept in the window's
// user data; every message from WM_INITDIALOG on goes to Handle. Messages
// before it, and any whose handling threw, get FALSE: the dialog manager's
// own handling.
template <typename Window, INT_PTR (Window::*Handle)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
  Window* object = ObjectOf<Window>(window);
  if (!object) return FALSE;
  return host_boundary::Call([&] { return (object->*Handle)(window, message, wParam, lParam); },
                             [&](host_boundary::Refusal why) noexcept -> INT_PTR {
                               Refused(*object, window, message, why);
                               return FALSE;
                             });
}

// The window procedure of Window. The object arrives as CreateWindowEx's
// last argument and is kept in the window's user data from WM_NCCREATE on;
// every message from then goes to Handle. Messages before it, and any whose
// handling threw, get the default window procedure.
template <typename Window, LRESULT (Window::*Handle)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(create ? create->lpCreateParams : nullptr));
  }
  Window* object = ObjectOf<Window>(window);
  if (!object) return DefWindowProcW(window, message, wParam, lParam);
  return host_boundary::Call([&] { return (object->*Handle)(window, message, wParam, lParam); },
                             [&](host_boundary::Refusal why) noexcept {
                               Refused(*object, window, message, why);
                               return DefWindowProcW(window, message, wParam, lParam);
                             });
}

// ---------------------------------------------------------------------------
// COM methods.

// What a COM method answers when its body threw.
inline HRESULT ComRefusal(host_boundary::Refusal why) noexcept {
  return why == host_boundary::Refusal::kOutOfMemory ? E_OUTOFMEMORY : E_UNEXPECTED;
}

// ---------------------------------------------------------------------------
// Threads.

// The module this code is linked into (the plug-in's DLL, or a test program
// that links its code), without taking a reference.
inline HMODULE ThisModule() noexcept {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The procedure of a thread started by StartModuleThread: Body with
// everything thrown caught, then the thread gives up its reference to the
// module and ends in one call, so it never returns into a module the host
// has freed meanwhile.
template <void (*Body)(void*)>
DWORD WINAPI ModuleThreadProcedure(void* argument) {
  host_boundary::Call([&] { Body(argument); });
  FreeLibraryAndExitThread(ThisModule(), 0);
  return 0;  // not reached
}

// Starts Body(argument) on a thread of its own that holds a reference to
// this module until its last instruction in it: a thread that may outlive
// the object that started it (one left to end alone) keeps the code it
// runs loaded. The thread's handle, or null when it could not be started.
template <void (*Body)(void*)>
HANDLE StartModuleThread(void* argument, DWORD* threadId) noexcept {
  HMODULE held = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&ModuleThreadProcedure<Body>), &held))
    return nullptr;
  HANDLE thread = CreateThread(nullptr, 0, ModuleThreadProcedure<Body>, argument, 0, threadId);
  if (!thread) FreeLibrary(held);
  return thread;
}

}  // namespace system_callbacks
