#include "tools/plughost/version_info.h"

#include <windows.h>

#include <cstring>
#include <vector>

std::string FileVersionText(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
  char* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\ProductVersion",
                      reinterpret_cast<void**>(&text), &length) ||
      !text || length == 0)
    return {};
  return std::string(text, strnlen(text, length));
}
