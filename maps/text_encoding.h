// Articulation names are byte strings typed into the plug-in's panel, which
// uses the Windows ANSI code page (1252 on Western systems). Map files are
// JSON, so UTF-8. The conversion is one-to-one over all 256 byte values: the
// five bytes 1252 leaves undefined map to the control characters of the same
// value, as Windows itself maps them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The well-formed UTF-8 sequence at `s` (no overlong forms, no surrogates,
// nothing above U+10FFFF): its length and code point; 0 when there is none.
size_t Utf8Character(const unsigned char* s, size_t size, uint32_t& codePoint);
void AppendUtf8(std::string& out, uint32_t codePoint);

std::string Windows1252ToUtf8(const std::string& bytes);

// False (and the offending character in `bad`, as U+XXXX) when the text
// holds a character 1252 cannot store, or is not valid UTF-8.
bool Utf8ToWindows1252(const std::string& text, std::string& bytes, std::string& bad);

bool IsValidUtf8(const std::string& text);

// For names read from other programs' files: each character 1252 cannot
// store, each invalid UTF-8 sequence and each NUL becomes '?', and what it
// was ("U+4E2D", "an invalid UTF-8 byte") is added to `replaced`.
std::string Utf8ToWindows1252Lossy(const std::string& text, std::vector<std::string>& replaced);
