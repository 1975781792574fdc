// Reads back what a window shows: the pixels of its client area.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // three bytes per pixel, rows top to bottom
};

// Repaints the window and copies its client area. False when the window
// has no area or the copy fails.
bool CaptureClientArea(HWND window, Picture& picture);
