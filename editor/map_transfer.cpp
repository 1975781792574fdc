#include "editor/map_transfer.h"

#include <cstring>

namespace {

// Clipboard data in global memory; null when it cannot be had.
HGLOBAL GlobalCopy(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  void* target = GlobalLock(memory);
  if (!target) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(target, data, size);
  GlobalUnlock(memory);
  return memory;
}

// The clipboard is shared by every program and may be held for a moment
// by another; a few tries cover that.
bool OpenClipboardSoon(HWND owner) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace

bool PutClipboardText(HWND owner, const std::string& text, std::string& error) {
  const std::wstring wide = panel_text::Wide(text);
  const std::string ansi = panel_text::SystemCodePage(text);
  HGLOBAL unicode = GlobalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  HGLOBAL plain = GlobalCopy(ansi.c_str(), ansi.size() + 1);
  bool ok = unicode && plain && OpenClipboardSoon(owner);
  if (!ok) {
    error = "the clipboard cannot be opened";
  } else {
    EmptyClipboard();
    // The clipboard owns what it took; what it refused stays ours.
    if (SetClipboardData(CF_UNICODETEXT, unicode)) unicode = nullptr;
    if (SetClipboardData(CF_TEXT, plain)) plain = nullptr;
    ok = !unicode && !plain;
    if (!ok) error = "the clipboard took no text";
    CloseClipboard();
  }
  if (unicode) GlobalFree(unicode);
  if (plain) GlobalFree(plain);
  return ok;
}

bool TakeClipboardText(HWND owner, std::string& text, std::string& error) {
  if (!OpenClipboardSoon(owner)) {
    error = "the clipboard cannot be opened";
    return false;
  }
  bool ok = false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
      size_t length = 0;
      while (length < capacity && chars[length]) ++length;
      text = panel_text::Utf8(std::wstring(chars, length));
      GlobalUnlock(data);
      ok = true;
    }
  } else if (HANDLE ansi = GetClipboardData(CF_TEXT)) {
    if (const auto* chars = static_cast<const char*>(GlobalLock(ansi))) {
      const size_t capacity = GlobalSize(ansi);
      size_t length = 0;
      while (length < capacity && chars[length]) ++length;
      const int size = MultiByteToWideChar(CP_ACP, 0, chars, static_cast<int>(length), nullptr, 0);
      std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
      if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, chars, static_cast<int>(length), wide.data(), size);
      text = panel_text::Utf8(wide);
      GlobalUnlock(ansi);
      ok = true;
    }
  }
  CloseClipboard();
  if (!ok) error = "the clipboard holds no text";
  return ok;
}
