#include "tools/plughost/file_io.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/whole_file.h"

std::string WindowsErrorText(unsigned long code) {
  const std::string message = SystemErrorText(code);
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

// A path as the system's "A" calls read it: in the ANSI code page.
std::wstring WidePath(const std::string& path) {
  const int length =
      MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
  return wide;
}

}  // namespace

std::string TemporaryPathFor(const std::string& path) { return path + ".partial"; }

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes,
                         std::string& error) {
  const std::string temporary = TemporaryPathFor(path);
  const WholeFileWrite written =
      WriteWholeFile(WidePath(path), WidePath(temporary), bytes.data(), bytes.size());
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
