// Helpers for the editor tests that run in a real window system: a skin
// whose every pixel names where it came from, pixel read-back, a parent
// window for the panel, and honest counts of the GDI and USER objects a
// process holds (GetGuiResources answers 0 under wine).
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "editor/editor_resources.h"

namespace panel_test {

using Pixels = std::vector<uint32_t>;  // 0x00RRGGBB, top row first

// ---------------------------------------------------------------------------
// A coded skin: bitmaps of the real sizes and depths in which the pixel at
// (x, y) of strip `tag` holds tag << 21 | x << yBits | y. A composed panel
// can then be decoded pixel by pixel into the strip and position it was
// copied from, which checks every copy whatever the artwork looks like.
enum Tag : uint32_t { kSheet = 1, kKnobs = 2, kSlider = 3, kSwitch = 4, kIcons = 5 };

struct CodedStrip {
  Tag tag;
  int width, height, depth, yBits;
};
constexpr CodedStrip kCodedStrips[] = {
    {kSheet, 480, 240, 24, 8}, {kKnobs, 34, 2176, 32, 12}, {kSlider, 56, 1536, 32, 11},
    {kSwitch, 34, 68, 32, 7},  {kIcons, 4800, 56, 24, 6},
};

inline const CodedStrip& StripOf(uint32_t tag) { return kCodedStrips[tag - 1]; }

inline uint32_t Code(uint32_t tag, int x, int y) {
  return tag << 21 | static_cast<uint32_t>(x) << StripOf(tag).yBits | static_cast<uint32_t>(y);
}

struct Source {
  uint32_t tag = 0;
  int x = -1, y = -1;
  bool operator==(const Source& o) const { return tag == o.tag && x == o.x && y == o.y; }
};

// Where a panel pixel came from; tag 0 when it is no coded pixel.
inline Source Decode(uint32_t pixel) {
  const uint32_t tag = pixel >> 21;
  if (tag < kSheet || tag > kIcons) return {};
  const CodedStrip& strip = StripOf(tag);
  const int x = static_cast<int>((pixel & 0x1FFFFF) >> strip.yBits);
  const int y = static_cast<int>(pixel & ((1u << strip.yBits) - 1));
  if (x >= strip.width || y >= strip.height) return {};
  return {tag, x, y};
}

inline std::string Describe(const Source& s) {
  static const char* const kNames[] = {"none", "sheet", "knobs", "slider", "switch", "icons"};
  char text[64];
  std::snprintf(text, sizeof text, "%s(%d,%d)", kNames[s.tag <= 5 ? s.tag : 0], s.x, s.y);
  return text;
}

inline HBITMAP CreateCodedBitmap(const CodedStrip& strip) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = strip.width;
  info.bmiHeader.biHeight = -strip.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(strip.depth);
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  const int bytes = strip.depth / 8;
  const int stride = (strip.width * bytes + 3) & ~3;
  for (int y = 0; y < strip.height; ++y) {
    auto* row = static_cast<uint8_t*>(bits) + static_cast<size_t>(y) * stride;
    for (int x = 0; x < strip.width; ++x) {
      const uint32_t code = Code(strip.tag, x, y);
      uint8_t* pixel = row + x * bytes;
      pixel[0] = static_cast<uint8_t>(code);        // blue
      pixel[1] = static_cast<uint8_t>(code >> 8);   // green
      pixel[2] = static_cast<uint8_t>(code >> 16);  // red
      if (bytes == 4) pixel[3] = 0;
    }
  }
  GdiFlush();
  return bitmap;
}

class CodedSkin {
 public:
  CodedSkin() {
    HBITMAP* slots[] = {&resources.background, &resources.knobs, &resources.slider,
                        &resources.switches, &resources.icons};
    for (int i = 0; i < 5; ++i) *slots[i] = CreateCodedBitmap(kCodedStrips[i]);
    resources.labelFont = CreateSkinFont(16);
    resources.noteNames = BuildNoteNameTable();
  }
  ~CodedSkin() {
    HGDIOBJ handles[] = {resources.background, resources.knobs, resources.slider,
                         resources.switches,   resources.icons, resources.labelFont};
    for (HGDIOBJ handle : handles) {
      if (handle) DeleteObject(handle);
    }
  }
  CodedSkin(const CodedSkin&) = delete;
  CodedSkin& operator=(const CodedSkin&) = delete;

  bool complete() const {
    return resources.background && resources.knobs && resources.slider && resources.switches &&
           resources.icons && resources.labelFont;
  }

  EditorResources resources;
};

// ---------------------------------------------------------------------------
// Pixels of bitmaps and windows.

struct Image {
  int width = 0, height = 0;
  Pixels pixels;
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The pixels of a bitmap (not selected into any context), alpha dropped.
inline Image BitmapImage(HBITMAP bitmap) {
  Image image;
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return image;
  image.width = info.bmWidth;
  image.height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
  BITMAPINFO request{};
  request.bmiHeader.biSize = sizeof request.bmiHeader;
  request.bmiHeader.biWidth = image.width;
  request.bmiHeader.biHeight = -image.height;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, image.height, image.pixels.data(), &request, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  for (uint32_t& p : image.pixels) p &= 0x00FFFFFF;
  return image;
}

// What a window shows now, read back from its own device context.
inline Image WindowImage(HWND window, int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height, 0);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ kept = SelectObject(memory, dib);
  BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* source = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = source[i] & 0x00FFFFFF;
  SelectObject(memory, kept);
  DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  return image;
}

// A 24-bit bottom-up BMP file of the pixels.
inline bool WriteBmp(const std::string& path, const Pixels& pixels, int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t dataSize = static_cast<uint32_t>(stride) * height;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + dataSize;
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = dataSize;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&header, sizeof header, 1, out);
  std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      row[x * 3] = static_cast<uint8_t>(p);
      row[x * 3 + 1] = static_cast<uint8_t>(p >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(p >> 16);
    }
    std::fwrite(row.data(), 1, row.size(), out);
  }
  return std::fclose(out) == 0;
}

// ---------------------------------------------------------------------------
// A visible top-level window standing in for the host's window.

inline LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class ParentWindow {
 public:
  ParentWindow(int x, int y, int width = 240, int height = 240) {
    static const char* const kClass = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = ParentProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // arrow
      wc.lpszClassName = "PanelTestParent";
      RegisterClassA(&wc);
      return "PanelTestParent";
    }();
    handle_ = CreateWindowExA(0, kClass, "", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, width,
                              height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (handle_) SetForegroundWindow(handle_);
  }
  ~ParentWindow() {
    if (handle_) DestroyWindow(handle_);
  }
  ParentWindow(const ParentWindow&) = delete;
  ParentWindow& operator=(const ParentWindow&) = delete;
  HWND handle() const { return handle_; }

 private:
  HWND handle_ = nullptr;
};

// One host window for a whole test program at (20, 20). Never destroyed:
// hiding or destroying a shown top-level window makes wine wait two
// seconds for a window manager, which Xvfb does not have; the process's end
// takes it away.
inline ParentWindow& SharedParent() {
  static ParentWindow* parent = new ParentWindow(20, 20);
  return *parent;
}

// Handles queued messages for a while (paints, pointer moves, timers).
inline void PumpMessages(DWORD milliseconds = 0) {
  const DWORD end = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (milliseconds) Sleep(5);
  } while (static_cast<int32_t>(end - GetTickCount()) > 0);
}

// Handles the next timer message of window and nothing else (paints stay
// queued), waiting up to a second for it. False when none came.
inline bool HandleNextTimerMessage(HWND window) {
  const DWORD end = GetTickCount() + 1000;
  do {
    MSG msg;
    if (PeekMessageA(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
      DispatchMessageA(&msg);
      return true;
    }
    Sleep(1);
  } while (static_cast<int32_t>(end - GetTickCount()) > 0);
  return false;
}

// ---------------------------------------------------------------------------
// Object counts.

// How many more GDI objects this process can create now: GDI handles are a
// per-process table, so the room left changes exactly with the objects the
// process holds.
inline int GdiObjectsLeft() {
  std::vector<HRGN> made;
  made.reserve(70000);
  while (made.size() < 200000) {
    HRGN region = CreateRectRgn(0, 0, 1, 1);
    if (!region) break;
    made.push_back(region);
  }
  for (HRGN region : made) DeleteObject(region);
  return static_cast<int>(made.size());
}

// Windows of this process: top-level, children at any depth, hidden ones
// and message-only ones.
inline int ProcessWindowCount() {
  struct Census {
    int count = 0;
    static BOOL CALLBACK Child(HWND window, LPARAM self) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == GetCurrentProcessId()) ++reinterpret_cast<Census*>(self)->count;
      return TRUE;
    }
    static BOOL CALLBACK Top(HWND window, LPARAM self) {
      Child(window, self);
      EnumChildWindows(window, Child, self);
      return TRUE;
    }
  } census;
  EnumWindows(Census::Top, reinterpret_cast<LPARAM>(&census));
  for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
       window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr)) {
    Census::Top(window, reinterpret_cast<LPARAM>(&census));
  }
  return census.count;
}

// How many more USER objects (windows, menus, ...) can be created now. Under
// wine this table is shared by every process of the wine server, so other
// programs running at the same time move it too.
inline int UserObjectsLeft() {
  std::vector<HMENU> made;
  made.reserve(40000);
  while (made.size() < 200000) {
    HMENU menu = CreatePopupMenu();
    if (!menu) break;
    made.push_back(menu);
  }
  for (HMENU menu : made) DestroyMenu(menu);
  return static_cast<int>(made.size());
}

}  // namespace panel_test
