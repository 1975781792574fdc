// Map text on the clipboard, and the conversions between the UTF-8 the map
// code speaks and the UTF-16 of the window system's menus and paths.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The map as text on the clipboard, as Unicode text and as text in the
// system's code page. `text` is UTF-8.
bool PutClipboardText(HWND owner, const std::string& text, std::string& error);
// The clipboard's text as UTF-8: its Unicode text, else its text in the
// system's code page. False with a reason when it holds none.
bool TakeClipboardText(HWND owner, std::string& text, std::string& error);

namespace panel_text {
std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& text);
// UTF-8 text in the system's code page; what it cannot hold becomes '?'.
std::string SystemCodePage(const std::string& text);
}  // namespace panel_text
