// Text files as editors save them, and text fit for a terminal.
//
// Windows editors offer UTF-8 with or without a byte order mark and UTF-16
// (either byte order, always with a mark); all of these are read. Anything
// else is refused with a message that says where and what the encoding
// problem is, since a JSON parser would only call it an invalid literal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Decodes a text file to UTF-8 without a byte order mark. Fails, saying why,
// on invalid UTF-8 or UTF-16, on UTF-32 and on a NUL character, which no
// text file holds (a UTF-16 file without a byte order mark is full of them).
bool DecodeTextFile(const std::vector<uint8_t>& bytes, std::string& text, std::string& error);

// True when the bytes begin with a byte order mark this reader knows.
bool StartsWithByteOrderMark(const std::vector<uint8_t>& bytes);

// The text with every byte that is not printable UTF-8 shown as \xNN: raw
// bytes of a file quoted in a message must not reach the terminal as they
// are. Newlines and tabs stay; applying it twice changes nothing more.
std::string ReadableText(const std::string& text);
