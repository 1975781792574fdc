// The host's top-level window, into which the plug-in's editor is shown as
// a child (Dispatch request 0 with this window as the parent).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "tools/plughost/plugin_library.h"

class HostWindow {
 public:
  HostWindow() = default;
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // A captioned window to work in, or a bare one at the screen's top-left
  // corner for pictures. Created hidden.
  bool Create(const std::string& title, bool decorated, std::string& error);
  HWND handle() const { return window_; }

  // Shows the plug-in's editor inside and fits the window around it.
  // Returns the editor window, or null when the plug-in has none.
  HWND ShowEditor(const RawPlugin& plugin);
  // Hands the editor back to the plug-in (hidden, no parent).
  void HideEditor(const RawPlugin& plugin);

  // Called on a close request (the close box, or CloseAfter); the window is
  // destroyed after it returns.
  std::function<void()> onClose;
  // Posts a close request after the given time.
  void CloseAfter(double seconds);
  // Runs the message loop until the window is destroyed.
  void RunUntilClosed();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  bool quitOnDestroy_ = false;
};

// Handles whatever messages are waiting, for about the given time.
void PumpMessages(DWORD milliseconds);
