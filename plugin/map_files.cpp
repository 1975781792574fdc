#include "plugin/map_files.h"

#include <windows.h>

#include "editor/wide_text.h"
#include "maps/counted.h"

namespace {

std::string SystemReason(DWORD code) {
  char text[256] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  std::string reason(text, length);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.'))
    reason.pop_back();
  return reason.empty() ? "system error " + std::to_string(code) : reason;
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool Close() {
    const BOOL closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != 0;
  }

 private:
  HANDLE handle_;
};

}  // namespace

bool ReadMapFileBytes(const std::wstring& path, std::vector<uint8_t>& bytes,
                      MapLoadReport& report) noexcept {
  try {
    const std::string name = MapDisplayName(panel_text::Utf8(path));
    report = {};
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
      report.summary = "Not loaded: " + name + ": " + SystemReason(GetLastError());
      return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
      report.summary = "Not loaded: " + name + ": " + SystemReason(GetLastError());
      return false;
    }
    if (size.QuadPart > static_cast<LONGLONG>(kMaxMapFileBytes)) {
      report.summary = "Not loaded: " + name + ": " + Counted(size.QuadPart, "byte") +
                       " is larger than any map (at most " + Counted(kMaxMapFileBytes, "byte") +
                       ")";
      return false;
    }
    std::vector<uint8_t> content(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!content.empty() &&
        (!ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &got, nullptr) ||
         got != content.size())) {
      report.summary = "Not loaded: " + name + ": the file could not be read whole";
      return false;
    }
    bytes = std::move(content);
    return true;
  } catch (...) {
    report = {};
    report.summary = "Not loaded: not enough memory to read the file";
    return false;
  }
}

bool LoadMapFromFile(MapLoader& loader, const std::wstring& path, MapLoadReport& report) noexcept {
  std::vector<uint8_t> bytes;
  if (!ReadMapFileBytes(path, bytes, report)) return false;
  try {
    return loader.LoadFile(panel_text::Utf8(path), bytes, report);
  } catch (...) {
    report = {};
    report.summary = "Not loaded: not enough memory";
    return false;
  }
}

bool WriteFileWhole(const std::wstring& path, const std::string& content,
                    std::string& error) noexcept {
  try {
    const std::wstring temporary = path + L".saving";
    DWORD code = 0;
    {
      Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file.get() == INVALID_HANDLE_VALUE) {
        error = SystemReason(GetLastError());
        return false;
      }
      DWORD written = 0;
      if (!content.empty() && (!WriteFile(file.get(), content.data(),
                                          static_cast<DWORD>(content.size()), &written, nullptr) ||
                               written != content.size()))
        code = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
      if (code == 0 && !FlushFileBuffers(file.get())) code = GetLastError();
      if (!file.Close() && code == 0) code = GetLastError();
    }
    if (code == 0 && !MoveFileExW(temporary.c_str(), path.c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      code = GetLastError();
    if (code != 0) {
      DeleteFileW(temporary.c_str());
      error = SystemReason(code);
      return false;
    }
    return true;
  } catch (...) {
    error = "not enough memory";
    return false;
  }
}

bool SaveMapToFile(MapLoader& loader, const std::wstring& path, MapLoadReport& report) noexcept {
  try {
    const std::string name = panel_text::Utf8(path);
    std::string text, error;
    if (!loader.CurrentMapText(name, text, report)) return false;
    if (!WriteFileWhole(path, text, error)) {
      report = {};
      report.summary = "Not saved: " + MapDisplayName(name) + ": " + error;
      return false;
    }
    return true;
  } catch (...) {
    report = {};
    report.summary = "Not saved: not enough memory";
    return false;
  }
}
