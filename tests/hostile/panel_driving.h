// Driving the panel of a DLL instance from the host's side, as the window
// system would: a host that keeps the messages it is told, the panel shown
// in the host's window, the map menu's commands chosen from the keyboard
// while the menu is tracked, and the windows the file dialog's thread shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editor/map_menu.h"
#include "tests/dll/plugin/map_drop_support.h"
#include "tests/hostile/hostile_host.h"
#include "tests/support/com_streams.h"
#include "tools/plughost/plugin_library.h"

namespace hostile {

// A hostile host that also keeps the texts of its messages (request 22).
class TellingHost : public HostileHost {
 public:
  using HostileHost::HostileHost;
  intptr_t PLUG_CALL HostDispatch(int32_t sender, int32_t request, int32_t index,
                                  intptr_t value) override {
    if (request == kHostShowMessage && value)
      told.emplace_back(reinterpret_cast<const char*>(value));
    return HostileHost::HostDispatch(sender, request, index, value);
  }
  std::vector<std::string> told;
};

// A point of the panel where a double-click opens the map menu on every page.
inline bool MapMenuPlace(POINT& place) {
  for (int y = 0; y < panel::kSize; ++y) {
    for (int x = 0; x < panel::kSize; ++x) {
      bool everywhere = true;
      for (int32_t page = 0; page < panel::kPageCount && everywhere; ++page)
        everywhere = IsMapMenuPlace(page, {x, y});
      if (everywhere) {
        place = {x, y};
        return true;
      }
    }
  }
  return false;
}

// The open popup menu of this thread, or null.
inline HWND OpenMenuWindow() {
  for (HWND window = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); window;
       window = FindWindowExW(nullptr, window, L"#32768", nullptr)) {
    if (IsWindowVisible(window) &&
        GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
      return window;
  }
  return nullptr;
}

// What the menu's loop does once the menu is up: `arm` runs, then the keys
// that choose `command` (Escape when the menu has no such line).
struct MenuChoice {
  UINT command = 0;
  std::function<void()> arm;
  bool opened = false;
  bool found = false;
};

inline MenuChoice*& CurrentChoice() {
  static MenuChoice* choice = nullptr;
  return choice;
}

inline void CALLBACK ChooseWhenOpen(HWND, UINT, UINT_PTR timer, DWORD) {
  MenuChoice* choice = CurrentChoice();
  HWND menuWindow = OpenMenuWindow();
  if (!choice || !menuWindow) return;
  KillTimer(nullptr, timer);
  choice->opened = true;
  auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
  int presses = 0;
  for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
    if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) continue;
    ++presses;
    if (GetMenuItemID(menu, i) == choice->command) {
      choice->found = true;
      break;
    }
  }
  if (choice->arm) choice->arm();
  if (choice->found) {
    for (int i = 0; i < presses; ++i) PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
  }
  PostMessageW(menuWindow, WM_KEYDOWN, choice->found ? VK_RETURN : VK_ESCAPE, 0);
}

// Opens the panel's map menu with a double-click at `place` and chooses
// `command` in it; returns once the command has run (it runs inside the
// double-click's message). `arm` runs while the menu is open, just before
// the choice.
inline MenuChoice ChooseFromMapMenu(HWND panel, POINT place, UINT command,
                                    std::function<void()> arm) {
  MenuChoice choice{command, std::move(arm)};
  CurrentChoice() = &choice;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, ChooseWhenOpen);
  SendMessageW(panel, WM_LBUTTONDBLCLK, 0, MAKELPARAM(place.x, place.y));
  if (!choice.opened) KillTimer(nullptr, timer);
  CurrentChoice() = nullptr;
  return choice;
}

// A visible top-level window of this process that another thread shows
// (the file dialog), or null.
inline HWND OtherThreadsWindow() {
  struct Search {
    HWND found = nullptr;
    static BOOL CALLBACK Visit(HWND window, LPARAM self) {
      DWORD process = 0;
      const DWORD thread = GetWindowThreadProcessId(window, &process);
      if (process != GetCurrentProcessId() || thread == GetCurrentThreadId() ||
          !IsWindowVisible(window))
        return TRUE;
      reinterpret_cast<Search*>(self)->found = window;
      return FALSE;
    }
  } search;
  EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A state the host keeps: saved through the raw table into a COM stream.
inline std::vector<uint8_t> SaveThrough(const RawPlugin& plugin) {
  IStream* stream = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  plugin.SaveOrLoadState(stream, 1);
  std::vector<uint8_t> bytes = StreamBytes(stream);
  stream->Release();
  return bytes;
}

inline void LoadThrough(const RawPlugin& plugin, const std::vector<uint8_t>& bytes) {
  IStream* stream = StreamOver(bytes);
  plugin.SaveOrLoadState(stream, 0);
  stream->Release();
}

}  // namespace hostile
