#include "plugin/map_files.h"

#include <windows.h>

#include "editor/wide_text.h"
#include "plugin/whole_file.h"

namespace {

std::string SystemReason(DWORD code) {
  const std::string reason = SystemErrorText(code);
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

 private:
  HANDLE handle_;
};

}  // namespace

bool ReadMapFileBytes(const std::wstring& path, std::vector<uint8_t>& bytes,
                      MapLoadReport& report) noexcept {
  try {
    const std::string name = panel_text::Utf8(path);
    report = {};
    Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
      report = NotLoaded(name, {"", SystemReason(GetLastError())});
      return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
      report = NotLoaded(name, {"", SystemReason(GetLastError())});
      return false;
    }
    // Refused before it is read, in the words of the one reading's refusal.
    if (size.QuadPart > static_cast<LONGLONG>(kMaxMapFileBytes)) {
      report =
          NotLoaded(name, {"", TooLargeProblem(static_cast<unsigned long long>(size.QuadPart))});
      return false;
    }
    std::vector<uint8_t> content(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!content.empty() &&
        (!ReadFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &got, nullptr) ||
         got != content.size())) {
      report = NotLoaded(name, {"", "the file could not be read whole"});
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
    const WholeFileWrite written =
        WriteWholeFile(path, path + L".saving", content.data(), content.size());
    if (written.error == 0) return true;
    error = SystemReason(written.error);
    return false;
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
