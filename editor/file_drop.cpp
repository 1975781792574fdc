#include "editor/file_drop.h"

#include <shellapi.h>

#include "editor/system_callbacks.h"

namespace {

std::vector<std::wstring> PathsOf(HDROP drop) {
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring path(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(copied);
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return paths;
}

FORMATETC FileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

}  // namespace

DroppedFiles FilesOfDrop(HDROP drop, HWND window) {
  DroppedFiles files;
  if (!drop) return files;
  files.paths = PathsOf(drop);
  POINT point{0, 0};
  // False when the point lies outside the client area: it is still where
  // the drop happened.
  DragQueryPoint(drop, &point);
  ClientToScreen(window, &point);
  files.screen = point;
  return files;
}

// The panel's OLE drop target: accepts whatever carries a file list. OLE
// calls it from the window's message loop; every method is guarded, and a
// drop refused for lack of memory drops nothing and says so on the panel.
class FileDropRegistration::Target final : public IDropTarget {
 public:
  Target(FileDropSink* sink, HWND window) : sink_(sink), window_(window) {}

  // The registration ends before the editor does; a drop that reaches a
  // target still held by OLE afterwards finds no sink.
  void Detach() { sink_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    return host_boundary::Call(
        [&]() -> HRESULT {
          if (!object) return E_POINTER;
          if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
          }
          *object = nullptr;
          return E_NOINTERFACE;
        },
        [&](host_boundary::Refusal why) noexcept {
          if (object) *object = nullptr;
          return system_callbacks::ComRefusal(why);
        });
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return host_boundary::Call(
        [&] { return static_cast<ULONG>(InterlockedIncrement(&references_)); },
        host_boundary::Answer(ULONG{0}));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    return host_boundary::Call(
        [&] {
          const LONG left = InterlockedDecrement(&references_);
          if (left == 0) delete this;
          return static_cast<ULONG>(left);
        },
        host_boundary::Answer(ULONG{0}));
  }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    return Guarded(effect, [&] {
      FORMATETC format = FileListFormat();
      accepting_ = data && sink_ && data->QueryGetData(&format) == S_OK;
      return Answer(effect);
    });
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    return Guarded(effect, [&] { return Answer(effect); });
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    return Guarded(nullptr, [&] {
      accepting_ = false;
      return HRESULT{S_OK};
    });
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL at, DWORD* effect) override {
    accepting_ = false;
    return Guarded(effect, [&] { return TakeDrop(data, at, effect); });
  }

 private:
  // A drag method's body, with its refusal: no effect, and the COM error.
  template <typename Body>
  HRESULT Guarded(DWORD* effect, Body&& body) {
    return host_boundary::Call(body, [&](host_boundary::Refusal why) noexcept {
      if (effect) *effect = DROPEFFECT_NONE;
      if (why == host_boundary::Refusal::kOutOfMemory)
        system_callbacks::TellLater(window_, "Nothing dropped: not enough memory");
      return system_callbacks::ComRefusal(why);
    });
  }

  HRESULT TakeDrop(IDataObject* data, POINTL at, DWORD* effect) {
    if (effect) *effect = DROPEFFECT_NONE;
    if (!data || !sink_) return S_OK;
    FORMATETC format = FileListFormat();
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK) return S_OK;
    // Released whatever the reading of it does.
    struct Medium {
      STGMEDIUM& medium;
      ~Medium() { ReleaseStgMedium(&medium); }
    } held{medium};
    DroppedFiles files;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
      if (auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
        struct Lock {
          HGLOBAL memory;
          ~Lock() { GlobalUnlock(memory); }
        } lock{medium.hGlobal};
        files.paths = PathsOf(drop);
      }
    }
    if (files.paths.empty()) return S_OK;
    files.screen = {at.x, at.y};
    sink_->FilesDropped(std::move(files));
    if (effect) *effect = DROPEFFECT_COPY;
    return S_OK;
  }

  HRESULT Answer(DWORD* effect) const {
    if (effect) *effect = accepting_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }

  LONG references_ = 1;
  FileDropSink* sink_;
  HWND window_;
  bool accepting_ = false;
};

void FileDropRegistration::Register(HWND window, FileDropSink* sink) {
  Revoke();
  if (!window || !sink) return;
  window_ = window;
  const HRESULT ole = OleInitialize(nullptr);
  oleInitialized_ = SUCCEEDED(ole);
  if (oleInitialized_) {
    target_ = new Target(sink, window);
    if (RegisterDragDrop(window, target_) == S_OK) {
      path_ = Path::kOle;
      return;
    }
    target_->Release();
    target_ = nullptr;
  }
  DragAcceptFiles(window, TRUE);
  path_ = Path::kDropFiles;
}

void FileDropRegistration::Revoke() {
  if (path_ == Path::kOle) RevokeDragDrop(window_);
  if (path_ == Path::kDropFiles && IsWindow(window_)) DragAcceptFiles(window_, FALSE);
  if (target_) {
    target_->Detach();
    target_->Release();
    target_ = nullptr;
  }
  if (oleInitialized_) OleUninitialize();
  oleInitialized_ = false;
  path_ = Path::kNone;
  window_ = nullptr;
}

IDropTarget* FileDropRegistration::oleTarget() const {
  return path_ == Path::kOle ? target_ : nullptr;
}
