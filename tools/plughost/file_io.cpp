#include "tools/plughost/file_io.h"

#include <windows.h>

#include "editor/wide_text.h"
#include "plugin/whole_file.h"

using panel_text::Wide;

std::string WindowsErrorText(unsigned long code) {
  const std::string message = SystemErrorText(code);
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

std::string TemporaryPathFor(const std::string& path) { return path + ".partial"; }

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string& error) {
  const std::string temporary = TemporaryPathFor(path);
  const WholeFileWrite written =
      WriteWholeFile(Wide(path), Wide(temporary), bytes.data(), bytes.size());
  if (written.error == 0) return true;
  error = "cannot write " + path + ": " +
          (written.created ? "" : "cannot create " + temporary + ": ") +
          WindowsErrorText(written.error);
  return false;
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
