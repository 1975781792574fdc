// Helpers for the map tests in a real window: popup menus read back as
// text, file lists built as the shell builds them (an HDROP, and a data
// object carrying one), and the windows another thread shows.
#pragma once

#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/gui/panel_test_support.h"

namespace panel_test {

inline std::string Utf8Of(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

inline std::wstring WideOf(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

// One line of a popup menu: its text with those of the submenus leading to
// it (" > " between), its command (0 for a submenu or a greyed line), and
// whether it is greyed; "-" for a separator.
struct MenuLine {
  std::string path;
  UINT command = 0;
  bool greyed = false;
};

inline void DescribeMenuInto(HMENU menu, const std::string& prefix, std::vector<MenuLine>& lines) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[512] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 511;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (info.fType & MFT_SEPARATOR) {
      lines.push_back({prefix + "-", 0, false});
      continue;
    }
    const std::string path = prefix + Utf8Of(text);
    if (info.hSubMenu) {
      DescribeMenuInto(info.hSubMenu, path + " > ", lines);
      continue;
    }
    lines.push_back({path, info.wID, (info.fState & MFS_GRAYED) != 0});
  }
}

inline std::vector<MenuLine> DescribeMenu(HMENU menu) {
  std::vector<MenuLine> lines;
  DescribeMenuInto(menu, "", lines);
  return lines;
}

// The file list the shell hands over: DROPFILES, then wide paths, each
// ended by a NUL, the list by a second NUL. `point` is in the client
// coordinates of the window dropped on.
inline HGLOBAL BuildFileList(const std::vector<std::wstring>& paths, POINT point) {
  size_t chars = 1;
  for (const std::wstring& path : paths) chars += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  if (!memory) return nullptr;
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->pt = point;
  header->fNC = FALSE;
  header->fWide = TRUE;
  auto* text = reinterpret_cast<wchar_t*>(header + 1);
  for (const std::wstring& path : paths) {
    std::memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    text += path.size() + 1;
  }
  *text = L'\0';
  GlobalUnlock(memory);
  return memory;
}

// A data object holding one file list (CF_HDROP), as a file manager's drag
// carries it; every GetData hands out a copy the receiver releases.
class FileListObject final : public IDataObject {
 public:
  explicit FileListObject(std::vector<std::wstring> paths) : paths_(std::move(paths)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }  // lives on the stack

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = BuildFileList(paths_, {0, 0});
    medium->pUnkForRelease = nullptr;
    ++handedOut;
    return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL)
               ? S_OK
               : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

  int handedOut = 0;

 private:
  std::vector<std::wstring> paths_;
  ULONG references_ = 1;
};

struct ThreadWindowSearch {
  HWND found = nullptr;
};

inline BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM argument) {
  if (!IsWindowVisible(window)) return TRUE;
  reinterpret_cast<ThreadWindowSearch*>(argument)->found = window;
  return FALSE;
}

// The first visible top-level window of a thread, waited for while this
// thread's messages are handled; null when none comes in time.
inline HWND WaitForThreadWindow(DWORD thread, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    ThreadWindowSearch search;
    EnumThreadWindows(thread, FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    PumpMessages(20);
  }
  return nullptr;
}

}  // namespace panel_test
