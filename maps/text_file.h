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

// The text of a file of any map format, as UTF-8 for its readers: a UTF-8
// byte order mark is dropped; UTF-16 of either byte order, with a mark or
// recognisably without one (its first characters ASCII or Latin-1, so one
// byte of each is zero), becomes UTF-8. Other bytes are passed on as they
// are: each reader judges its own text. Fails, saying why, on UTF-32 and on
// UTF-16 that does not decode.
bool TextInUtf8(const std::vector<uint8_t>& bytes, std::string& text, std::string& error);

// The text with every byte that is not printable UTF-8 shown as \xNN: raw
// bytes of a file quoted in a message must not reach the terminal as they
// are. Newlines and tabs stay; applying it twice changes nothing more.
std::string ReadableText(const std::string& text);
