// Loads the plug-in DLL and drives an instance only through the raw slots of
// its operation table, as a music host does: no C++ declarations of the
// plug-in's classes are used on this side. A program that includes it links
// artsw_wide_text (the DLL is loaded by its wide name).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "editor/wide_text.h"
#include "plugin/fruity_interface.h"
#include "tools/render/host_voice_params.h"

// One plug-in object seen from the host: the table pointer and the three
// data words after it.
class RawPlugin {
 public:
  explicit RawPlugin(void* object) : object_(object) {}

  void* object() const { return object_; }
  void** table() const { return *static_cast<void***>(object_); }
  int32_t hostTagWord() const { return Word(1); }
  const int32_t* descriptorWords() const { return reinterpret_cast<const int32_t*>(Word(2)); }
  HWND editorWindow() const { return reinterpret_cast<HWND>(Word(3)); }

  void Destroy() const { Call<void>(0); }
  intptr_t Dispatch(int32_t request, int32_t index, intptr_t value) const {
    return Call<intptr_t, int32_t, int32_t, intptr_t>(1, request, index, value);
  }
  void Idle() const { Call<void>(2); }
  void SaveOrLoadState(IStream* stream, int32_t save) const {
    Call<void, IStream*, int32_t>(3, stream, save);
  }
  void GetName(int32_t section, int32_t index, int32_t value, char* text) const {
    Call<void, int32_t, int32_t, int32_t, char*>(4, section, index, value, text);
  }
  int32_t ProcessEvent(int32_t event, int32_t value, int32_t flags) const {
    return Call<int32_t, int32_t, int32_t, int32_t>(5, event, value, flags);
  }
  int32_t ProcessParam(int32_t index, int32_t value, int32_t flags) const {
    return Call<int32_t, int32_t, int32_t, int32_t>(6, index, value, flags);
  }
  void RenderEffect(void* source, void* destination, int32_t length) const {
    Call<void, void*, void*, int32_t>(7, source, destination, length);
  }
  void RenderVoices(void* destination, int32_t length) const {
    Call<void, void*, int32_t>(8, destination, length);
  }
  intptr_t TriggerVoice(const void* params, int32_t tag) const {
    return Call<intptr_t, const void*, int32_t>(9, params, tag);
  }
  void ReleaseVoice(intptr_t handle) const { Call<void, intptr_t>(10, handle); }
  void KillVoice(intptr_t handle) const { Call<void, intptr_t>(11, handle); }
  int32_t VoiceEvent(intptr_t handle, int32_t event, int32_t value, int32_t flags) const {
    return Call<int32_t, intptr_t, int32_t, int32_t, int32_t>(12, handle, event, value, flags);
  }
  int32_t RenderVoice(intptr_t handle, float* buffer, int32_t* length) const {
    return Call<int32_t, intptr_t, float*, int32_t*>(13, handle, buffer, length);
  }
  void NoArgument(int slot) const { Call<void>(slot); }
  void OneArgument(int slot, int32_t argument) const { Call<void, int32_t>(slot, argument); }

 private:
  intptr_t Word(int index) const { return static_cast<const intptr_t*>(object_)[index]; }

  template <typename Result, typename... Args>
  Result Call(int slot, Args... args) const {
    using Fn = Result(__stdcall*)(void*, Args...);
    return reinterpret_cast<Fn>(table()[slot])(object_, args...);
  }

  void* object_;
};

class PluginLibrary {
 public:
  using Factory = void*(__stdcall*)(PluginHost*, int32_t);

  // `path` is UTF-8.
  explicit PluginLibrary(const std::string& path) : path_(path) {
    module_ = LoadLibraryW(panel_text::Wide(path).c_str());
    if (module_) {
      factory_ = reinterpret_cast<Factory>(
          reinterpret_cast<void*>(GetProcAddress(module_, "CreatePlugInstance")));
    }
  }
  ~PluginLibrary() {
    if (module_) FreeLibrary(module_);
  }
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  bool loaded() const { return module_ != nullptr; }
  bool hasFactory() const { return factory_ != nullptr; }
  HMODULE module() const { return module_; }
  const std::string& path() const { return path_; }

  // Null when the factory is missing or failed.
  void* Create(PluginHost* host, int32_t tag) const {
    return factory_ ? factory_(host, tag) : nullptr;
  }

 private:
  std::string path_;
  HMODULE module_ = nullptr;
  Factory factory_ = nullptr;
};
