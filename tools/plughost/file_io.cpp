#include "tools/plughost/file_io.h"

#include <windows.h>

#include <algorithm>

#include "editor/wide_text.h"

using panel_text::Wide;

std::string WindowsErrorText(unsigned long code) {
  wchar_t text[256] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 static_cast<DWORD>(std::size(text)), nullptr);
  std::string message = panel_text::Utf8(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return "Windows error " + std::to_string(code) + (message.empty() ? "" : ": " + message);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = WindowsErrorText(GetLastError());
    return false;
  }
  std::vector<uint8_t> content;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 30))
    content.reserve(static_cast<size_t>(size.QuadPart));
  uint8_t chunk[65536];
  DWORD code = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
      code = GetLastError();
      break;
    }
    if (got == 0) break;
    content.insert(content.end(), chunk, chunk + got);
  }
  CloseHandle(file);
  if (code != 0) {
    error = "read error: " + WindowsErrorText(code);
    return false;
  }
  bytes = std::move(content);
  return true;
}

namespace {

// Writes all bytes and flushes them to the disk; 0 or the Windows error.
// The system's own calls, each checked: a C runtime's fclose may report
// success although its last write failed (wine's does on a full disk).
DWORD WriteAndFlush(HANDLE file, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return FlushFileBuffers(file) ? 0 : GetLastError();
}

}  // namespace

std::string TemporaryPathFor(const std::string& path) { return path + ".partial"; }

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string& error) {
  const std::string temporary = TemporaryPathFor(path);
  const std::wstring wideTemporary = Wide(temporary);
  const HANDLE file = CreateFileW(wideTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = "cannot write " + path + ": cannot create " + temporary + ": " +
            WindowsErrorText(GetLastError());
    return false;
  }
  DWORD code = WriteAndFlush(file, bytes);
  if (!CloseHandle(file) && code == 0) code = GetLastError();
  if (code == 0 && !MoveFileExW(wideTemporary.c_str(), Wide(path).c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    code = GetLastError();
  if (code != 0) {
    error = "cannot write " + path + ": " + WindowsErrorText(code);
    DeleteFileW(wideTemporary.c_str());
    return false;
  }
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error) {
  return WriteFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()), error);
}

std::string FullPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return path;
  full.resize(length);
  return panel_text::Utf8(full);
}

bool HasExtension(const std::string& path, const std::string& extension) {
  return path.size() >= extension.size() &&
         _stricmp(path.c_str() + path.size() - extension.size(), extension.c_str()) == 0;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const std::string& path) {
  return DeleteFileW(Wide(path).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool EnsureFolder(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  std::string parent = FolderOf(path);
  while (!parent.empty() && (parent.back() == '\\' || parent.back() == '/')) parent.pop_back();
  if (!parent.empty() && parent.back() != ':' && !EnsureFolder(parent)) return false;
  return CreateDirectoryW(wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
