// The conversions between the UTF-8 the map code speaks and the UTF-16 of
// the window system's menus, paths and clipboard, and the system's code
// page of the host interface's texts. Invalid sequences become U+FFFD.
#pragma once

#include <string>

namespace panel_text {
std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& text);
// UTF-8 text in the system's code page; what it cannot hold becomes '?'.
std::string SystemCodePage(const std::string& text);
// The same, but false when a character has no exact form there: no '?' and
// no look-alike ("O" for "Ω") stands in for it.
bool ExactlyInSystemCodePage(const std::string& text, std::string& out);
// Text in the system's code page as UTF-8.
std::string Utf8FromSystemCodePage(const std::string& text);
}  // namespace panel_text
