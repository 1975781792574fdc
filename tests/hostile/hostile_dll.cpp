// The hostile host against the real DLL, through the raw slots of its
// operation table, with the editor shown in a window, clicked and hidden.
// Runs under wine on a virtual display. --allocation-failures and
// --unload-with-dialog-open run the cases of dll_cases.h instead.
#include <objidl.h>
#include <windows.h>

#include <cstring>
#include <vector>

#include "maps/map_saving.h"
#include "tests/hostile/dll_cases.h"
#include "tests/hostile/map_loads.h"
#include "tests/hostile/seeded_runs.h"
#include "tests/support/com_streams.h"
#include "tools/plughost/plugin_library.h"

namespace {

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

class DllTarget {
 public:
  explicit DllTarget(PluginLibrary& library) : library_(library) {
    parent_ = CreateWindowExA(0, "STATIC", "hostile host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 300,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~DllTarget() {
    Close();
    if (parent_) DestroyWindow(parent_);
  }

  void Reset(HostileHost& host) {
    Close();
    plugin_ = RawPlugin(library_.Create(&host, 0x5EED));
  }
  void Close() {
    if (plugin_.object()) plugin_.Destroy();
    plugin_ = RawPlugin(nullptr);
    PumpMessages();
  }

  intptr_t Trigger(const void* params, int32_t tag) { return plugin_.TriggerVoice(params, tag); }
  void Release(intptr_t handle) { plugin_.ReleaseVoice(handle); }
  void Kill(intptr_t handle) { plugin_.KillVoice(handle); }
  int32_t Render(intptr_t handle, float* buffer, int32_t* length) {
    return plugin_.RenderVoice(handle, buffer, length);
  }
  int32_t VoiceEvent(intptr_t handle, int32_t event, int32_t value, int32_t flags) {
    return plugin_.VoiceEvent(handle, event, value, flags);
  }
  int32_t Param(int32_t index, int32_t value, int32_t flags) { return plugin_.ProcessParam(index, value, flags); }
  int32_t Event(int32_t event, int32_t value, int32_t flags) { return plugin_.ProcessEvent(event, value, flags); }
  void GetName(int32_t section, int32_t index, int32_t value, char* text) {
    plugin_.GetName(section, index, value, text);
  }
  std::vector<uint8_t> Save() {
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    plugin_.SaveOrLoadState(stream, 1);
    std::vector<uint8_t> bytes = StreamBytes(stream);
    stream->Release();
    return bytes;
  }
  void Load(const std::vector<uint8_t>& bytes) {
    IStream* stream = StreamOver(bytes);
    plugin_.SaveOrLoadState(stream, 0);
    stream->Release();
  }
  void Dispatch(int32_t request, int32_t index, intptr_t value) {
    // Request 0 shows the editor in a window of the host's, or hides it.
    if (request == 0) value = value ? reinterpret_cast<intptr_t>(parent_) : 0;
    plugin_.Dispatch(request, index, value);
  }
  // The idle call and the operations the plug-in leaves as they are, then
  // the window messages a host's loop would deliver.
  void Idle() {
    plugin_.Idle();
    float buffer[2 * 32] = {};
    plugin_.RenderVoices(buffer, 32);
    plugin_.RenderEffect(buffer, buffer, 32);
    plugin_.NoArgument(14);
    plugin_.NoArgument(15);
    plugin_.OneArgument(16, 1);
    plugin_.OneArgument(17, 0);
    PumpMessages();
  }
  // A click somewhere on the panel, shown or not: tabs, slots, switches.
  void Edit(uint32_t kind, uint32_t a, uint32_t b) {
    HWND editor = plugin_.editorWindow();
    if (!editor) return;
    const LPARAM at = MAKELPARAM(a % 240, b % 240);
    if (kind % 4 == 0) {
      SendMessageA(editor, WM_RBUTTONDOWN, MK_RBUTTON, at);
      SendMessageA(editor, WM_RBUTTONUP, 0, at);
    } else {
      SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageA(editor, WM_LBUTTONUP, 0, at);
    }
    PumpMessages();
  }
  // A load or paste as the panel's loader makes it: the state built from
  // the instance's own (map_loading.h) and applied through SaveOrLoadState,
  // the loader's path into the engine. Undo and save act on the loader
  // inside the DLL, which only its panel reaches.
  std::string MapLoad(uint32_t a, uint32_t b, uint32_t c) {
    const std::vector<uint8_t> before = Save();
    MapLoadReport report;
    MapOffer offer;
    MapPick pick;
    const hostile::MapAction action = hostile::DrawMapAction(a);
    if (action == hostile::MapAction::kPaste) {
      std::string json;
      if (!MapJsonText(before, json, report)) return {};
      if (!InspectMapFile("the clipboard", {json.begin(), json.end()}, offer, report))
        return "the instance's own map does not read back: " + report.summary;
    } else if (action == hostile::MapAction::kLoad) {
      const hostile::MapFileDraw file = hostile::DrawMapFile(b, c);
      if (!InspectMapFile(file.name, file.bytes, offer, report) ||
          !hostile::NthChoice(offer, file.choice, pick))
        return {};
    } else {
      return {};
    }
    std::vector<uint8_t> loaded;
    if (!BuildLoadedState(offer, pick, before, loaded, report)) return {};
    Load(loaded);
    if (action == hostile::MapAction::kPaste && Save() != before)
      return "the instance's own map pasted back changed the state";
    return {};
  }

  int LiveCount() const { return -1; }

 private:
  PluginLibrary& library_;
  RawPlugin plugin_{nullptr};
  HWND parent_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--allocation-failures") == 0)
      return hostile::AllocationFailureSweep(argc, argv);
    if (std::strcmp(argv[i], "--unload-with-dialog-open") == 0)
      return hostile::UnloadWithDialogOpen();
  }
  PluginLibrary library("QuindleVelmora.dll");
  if (!library.hasFactory()) {
    std::printf("hostile host (DLL): QuindleVelmora.dll could not be loaded\n0 passed, 1 failed\n");
    return 1;
  }
  DllTarget target(library);
  return hostile::SeededRuns(target, hostile::ParseRunOptions(argc, argv), "DLL");
}
