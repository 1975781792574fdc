// A status line under a window's content: a plain line of text for what the
// host is asked to show (the plug-in's hint and messages), whoever asks. It
// knows nothing of the panel or any other window the plug-in shows.
//
// Nothing in it is cut: a long text wraps, and the line is as tall as its
// text needs, at least two lines. It grows for a longer text and does not
// shrink back for a shorter one, so the window does not jump with every
// hint; the owner gives it the room it asks for (HostWindow).
#pragma once

#include <windows.h>

#include <string>

class StatusLine {
 public:
  // A static control in `parent`, shown once placed.
  bool Create(HWND parent);
  // Across the parent's client area, `width` pixels wide, from `top` down.
  void Place(int top, int width);
  // Shows the UTF-8 text in place of the one before.
  void Show(const std::string& text);
  // The height the line asks for: its text's, at least two lines, never
  // less than it asked for before.
  int WantedHeight();
  std::string Text() const;
  HWND handle() const { return control_; }

 private:
  int TextHeight(int width) const;

  HWND control_ = nullptr;
  std::wstring text_;
  int width_ = 0;
  int wanted_ = 0;
};
