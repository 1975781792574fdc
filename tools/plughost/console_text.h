// Everything plughost writes for its user, on stdout or stderr, goes
// through WriteText: one rule for the characters beyond ASCII, in one place.
//
// The rule is UTF-8 everywhere. A console window is written through
// WriteConsoleW, which shows every character its font has whatever the
// console's code page, and leaves that code page alone (SetConsoleOutputCP
// would change it for the shell and every later program too, and stay
// changed when plughost is stopped). A redirected stream, a file or a pipe,
// gets UTF-8 bytes, as plughost's map files are written: a script reads the
// same bytes on every system, whatever its code page. Text is UTF-8 inside
// plughost (the command line, file contents, the plug-in's texts once they
// reach the host callbacks); a byte of no UTF-8 sequence is written as \xNN.
#pragma once

#include <cstdio>
#include <string>

enum class Stream { kOut, kErr };

// Writes the UTF-8 text. Before anything goes to stderr, what stdout holds
// is written out, so both keep their order when they meet in one place.
void WriteText(Stream stream, const std::string& text);
// Writes out what stdout holds (redirected, it is buffered).
void FlushOutput();

// printf's formats, then WriteText to stdout or stderr.
void Print(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));
void PrintError(const char* format, ...) __attribute__((format(__MINGW_PRINTF_FORMAT, 1, 2)));
