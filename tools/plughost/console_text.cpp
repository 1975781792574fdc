#include "tools/plughost/console_text.h"

#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <vector>

#include "editor/wide_text.h"
#include "maps/text_encoding.h"

namespace {

// Whole UTF-8 sequences as they are, any other byte as \xNN.
std::string WellFormed(const std::string& text) {
  if (IsValidUtf8(text)) return text;
  std::string out;
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    uint32_t c = 0;
    const size_t length = Utf8Character(s + i, text.size() - i, c);
    if (length > 0) {
      out.append(text, i, length);
      i += length;
      continue;
    }
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", s[i++]);
    out += hex;
  }
  return out;
}

// The console the stream shows in, or null when it is redirected.
HANDLE ConsoleOf(Stream stream) {
  const HANDLE handle = GetStdHandle(stream == Stream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle && GetConsoleMode(handle, &mode) ? handle
                                                                                   : nullptr;
}

std::string Formatted(const char* format, va_list arguments) {
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
  va_end(again);
  return text;
}

}  // namespace

void FlushOutput() { std::fflush(stdout); }

void WriteText(Stream stream, const std::string& text) {
  if (stream == Stream::kErr) FlushOutput();
  std::FILE* file = stream == Stream::kOut ? stdout : stderr;
  const std::string utf8 = WellFormed(text);
  if (const HANDLE console = ConsoleOf(stream)) {
    std::fflush(file);
    const std::wstring wide = panel_text::Wide(utf8);
    for (size_t done = 0; done < wide.size();) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 8192));
      if (!WriteConsoleW(console, wide.data() + done, chunk, &written, nullptr) || written == 0)
        break;
      done += written;
    }
    return;
  }
  std::fwrite(utf8.data(), 1, utf8.size(), file);
}

void Print(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::string text = Formatted(format, arguments);
  va_end(arguments);
  WriteText(Stream::kOut, text);
}

void PrintError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const std::string text = Formatted(format, arguments);
  va_end(arguments);
  WriteText(Stream::kErr, text);
}
