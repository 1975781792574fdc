#include "tools/plughost/version_info.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "editor/wide_text.h"

std::string FileVersionText(const std::string& path) {
  const std::wstring file = panel_text::Wide(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
  wchar_t* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                      reinterpret_cast<void**>(&text), &length) ||
      !text || length == 0)
    return {};
  return panel_text::Utf8(std::wstring(text, wcsnlen(text, length)));
}
