// Map text on the clipboard.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "editor/wide_text.h"

// The map as text on the clipboard, as Unicode text and as text in the
// system's code page. `text` is UTF-8.
bool PutClipboardText(HWND owner, const std::string& text, std::string& error);
// The clipboard's text as UTF-8: its Unicode text, else its text in the
// system's code page. False with a reason when it holds none.
bool TakeClipboardText(HWND owner, std::string& text, std::string& error);
