#include "plugin/whole_file.h"

#include <algorithm>
#include <iterator>

#include "editor/wide_text.h"

namespace {

// Writes all bytes and flushes them to the disk; 0 or the Windows error.
// The system's own calls, each checked: a C runtime's fclose may report
// success although its last write failed (wine's does on a full disk).
DWORD WriteAndFlush(HANDLE file, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes + done, chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return FlushFileBuffers(file) ? 0 : GetLastError();
}

}  // namespace

WholeFileWrite WriteWholeFile(const std::wstring& path, const std::wstring& temporary,
                              const void* data, size_t size) {
  WholeFileWrite result;
  const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    result.error = GetLastError();
    return result;
  }
  result.created = true;
  result.error = WriteAndFlush(file, data, size);
  if (!CloseHandle(file) && result.error == 0) result.error = GetLastError();
  if (result.error == 0 && !MoveFileExW(temporary.c_str(), path.c_str(),
                                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    result.error = GetLastError();
  if (result.error != 0) DeleteFileW(temporary.c_str());
  return result;
}

std::string SystemErrorText(DWORD code) {
  wchar_t text[256] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, static_cast<DWORD>(std::size(text)), nullptr);
  std::string message = panel_text::Utf8(std::wstring(text, length));
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message;
}
