// The host's top-level window, into which the plug-in's editor is shown as
// a child (Dispatch request 0 with this window as the parent). A working
// window has a status line under the editor for what the host is asked to
// show (ShowStatus); the editor keeps its own size above it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "tools/plughost/plugin_library.h"
#include "tools/plughost/status_line.h"

class HostWindow {
 public:
  enum class Kind {
    kWorking,  // captioned, with a status line, where the system places it
    kPicture,  // bare, at the screen's top-left corner: the editor alone
  };

  HostWindow() = default;
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // Created hidden; `title` is UTF-8.
  bool Create(const std::string& title, Kind kind, std::string& error);
  HWND handle() const { return window_; }

  // Shows the plug-in's editor inside and fits the window around it.
  // Returns the editor window, or null when the plug-in has none.
  HWND ShowEditor(const RawPlugin& plugin);
  // Hands the editor back to the plug-in (hidden, no parent).
  void HideEditor(const RawPlugin& plugin);

  // Shows the UTF-8 text on the status line, whole: the window grows when
  // the text needs more lines than the line has (within the screen).
  void ShowStatus(const std::string& text);
  std::string StatusText() const { return status_.Text(); }

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
  // Sizes the window to the content and the status line under it.
  void Fit();

  HWND window_ = nullptr;
  bool quitOnDestroy_ = false;
  bool hasStatus_ = false;
  SIZE content_ = {240, 240};  // the editor's extent in the client area
  StatusLine status_;
};

// Handles whatever messages are waiting, for about the given time.
void PumpMessages(DWORD milliseconds);
