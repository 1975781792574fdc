// The host's own small modal dialog for a line of text: a caption, an edit
// box with the current text, OK and Cancel. Built in memory, so plughost
// needs no resource file.
#pragma once

#include <windows.h>

#include <string>

// `text` holds the current value and, when the user confirms, the new one;
// texts are UTF-8, `maxLength` counts UTF-16 units. Returns true on OK.
bool AskForText(HWND owner, const std::string& title, const std::string& caption, std::string& text,
                size_t maxLength);
