#include "tools/plughost/file_io.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

std::string WindowsErrorText(unsigned long code) {
  char text[256] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  std::string message = text;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return "Windows error " + std::to_string(code) + (message.empty() ? "" : ": " + message);
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> content;
  uint8_t chunk[65536];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
    content.insert(content.end(), chunk, chunk + got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    error = "read error";
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
  const HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = "cannot write " + path + ": cannot create " + temporary + ": " +
            WindowsErrorText(GetLastError());
    return false;
  }
  DWORD code = WriteAndFlush(file, bytes);
  if (!CloseHandle(file) && code == 0) code = GetLastError();
  if (code == 0 && !MoveFileExA(temporary.c_str(), path.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    code = GetLastError();
  if (code != 0) {
    error = "cannot write " + path + ": " + WindowsErrorText(code);
    DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string& error) {
  return WriteFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()), error);
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH * 4] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full) : path;
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
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EnsureFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  std::string parent = FolderOf(path);
  while (!parent.empty() && (parent.back() == '\\' || parent.back() == '/')) parent.pop_back();
  if (!parent.empty() && parent.back() != ':' && !EnsureFolder(parent)) return false;
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
