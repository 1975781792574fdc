#include "tools/plughost/plugin_instance.h"

#include <objbase.h>
#include <windows.h>

#include "editor/wide_text.h"
#include "tools/plughost/file_io.h"

std::unique_ptr<PluginLibrary> OpenPluginLibrary(const std::string& path, std::string& error) {
  if (!FileExists(path)) {
    error = "the plug-in DLL " + path +
            " does not exist (build it with scripts/build win32, "
            "or name another with --dll)";
    return nullptr;
  }
  // By full path, so the loader's search order cannot substitute another file.
  auto library = std::make_unique<PluginLibrary>(FullPath(path));
  if (!library->loaded()) {
    error = "cannot load the plug-in DLL " + path + " (" + WindowsErrorText(GetLastError()) + ")";
    return nullptr;
  }
  if (!library->hasFactory()) {
    error = path + " is not this plug-in: it has no CreatePlugInstance export";
    return nullptr;
  }
  return library;
}

PluginInstance::PluginInstance(const PluginLibrary& library, PluginHost* host, int32_t tag)
    : object_(nullptr), plugin_(nullptr) {
  std::wstring previous(GetCurrentDirectoryW(0, nullptr), L'\0');
  const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(previous.size()), previous.data());
  const std::string folder = FolderOf(library.path());
  if (!folder.empty()) SetCurrentDirectoryW(panel_text::Wide(folder).c_str());
  object_ = library.Create(host, tag);
  plugin_ = RawPlugin(object_);
  if (length > 0 && length < previous.size()) SetCurrentDirectoryW(previous.c_str());
}

bool PluginInstance::LoadState(const std::vector<uint8_t>& bytes, std::string& error) const {
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
    error = "cannot create a memory stream";
    return false;
  }
  ULONG written = 0;
  const HRESULT wrote = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  if (FAILED(wrote) || written != bytes.size()) {
    stream->Release();
    error = "cannot fill a memory stream";
    return false;
  }
  plugin_.SaveOrLoadState(stream, 0);
  stream->Release();
  return true;
}

bool PluginInstance::SaveState(std::vector<uint8_t>& bytes, std::string& error) const {
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
    error = "cannot create a memory stream";
    return false;
  }
  plugin_.SaveOrLoadState(stream, 1);
  // The stream's size is what was written; the memory block may be larger.
  STATSTG stat = {};
  HGLOBAL memory = nullptr;
  bool ok = SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
            SUCCEEDED(GetHGlobalFromStream(stream, &memory));
  if (ok) {
    const auto size = static_cast<size_t>(stat.cbSize.QuadPart);
    const auto* data = static_cast<const uint8_t*>(GlobalLock(memory));
    ok = data != nullptr || size == 0;
    if (data) {
      bytes.assign(data, data + size);
      GlobalUnlock(memory);
    } else if (ok) {
      bytes.clear();
    }
  }
  stream->Release();
  if (!ok) error = "cannot read back the saved state from its memory stream";
  return ok;
}
