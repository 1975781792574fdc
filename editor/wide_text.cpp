#include "editor/wide_text.h"

#include <windows.h>

namespace panel_text {

namespace {

std::string Narrow(UINT codePage, DWORD flags, const std::wstring& text, BOOL* lossy) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, lossy);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(codePage, flags, text.data(), static_cast<int>(text.size()), out.data(),
                        size, nullptr, lossy);
  return out;
}

std::wstring Widen(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0)
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

}  // namespace

std::string Utf8(const std::wstring& text) { return Narrow(CP_UTF8, 0, text, nullptr); }

std::wstring Wide(const std::string& text) { return Widen(CP_UTF8, text); }

std::string SystemCodePage(const std::string& text) {
  // No best fit: a look-alike ("O" for "Ω") would pass for the real text.
  return Narrow(CP_ACP, GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS, Wide(text), nullptr);
}

bool ExactlyInSystemCodePage(const std::string& text, std::string& out) {
  const std::wstring wide = Wide(text);
  if (GetACP() == CP_UTF8) {
    out = Utf8(wide);
    return true;
  }
  BOOL lossy = FALSE;
  std::string narrow = Narrow(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, &lossy);
  // Coming back the same rules out what `lossy` may not report (a double-
  // byte code page's lead byte alone).
  if (lossy || Widen(CP_ACP, narrow) != wide) return false;
  out = std::move(narrow);
  return true;
}

std::string Utf8FromSystemCodePage(const std::string& text) { return Utf8(Widen(CP_ACP, text)); }

}  // namespace panel_text
