// The plug-in object: the host's operations, checked and forwarded to the
// platform-neutral engine, the state stream and the editor.
#pragma once

#include <windows.h>

#include "editor/editor_window.h"
#include "engine/engine.h"
#include "maps/map_loader.h"
#include "plugin/cpp_fruity_plug.h"
#include "plugin/panel_map_loading.h"

class KAVOLumetPlug final : public TCPPFruityPlug {
 public:
  KAVOLumetPlug(int32_t tag, PluginHost* host, HINSTANCE module);
  ~KAVOLumetPlug() override;

  void PLUG_CALL Destroy() override;
  intptr_t PLUG_CALL Dispatch(int32_t request, int32_t index, intptr_t value) override;
  void PLUG_CALL SaveOrLoadState(IStream* stream, int32_t save) override;
  void PLUG_CALL GetName(int32_t section, int32_t index, int32_t value, char* text) override;
  int32_t PLUG_CALL ProcessEvent(int32_t event, int32_t value, int32_t flags) override;
  int32_t PLUG_CALL ProcessParam(int32_t index, int32_t value, int32_t flags) override;
  intptr_t PLUG_CALL TriggerVoice(const void* voiceParams, int32_t hostVoiceTag) override;
  void PLUG_CALL ReleaseVoice(intptr_t handle) override;
  void PLUG_CALL KillVoice(intptr_t handle) override;
  int32_t PLUG_CALL RenderVoice(intptr_t handle, float* buffer, int32_t* length) override;

  ArticulationEngine& engine() { return engine_; }
  EditorWindow& editor() { return editor_; }
  // The instance's map loads, saves and step back (maps/map_loader.h); the
  // host's state operations go through it as well.
  MapLoader& mapLoader() { return mapLoader_; }

  // Live plug-in objects in this process.
  static int LiveInstances();

 private:
  HINSTANCE module_;
  ArticulationEngine engine_;
  EditorWindow editor_;
  MapLoader mapLoader_;
  // What the panel's map menu, drops and pastes go to.
  PanelMapLoading panelMaps_;
};

// Dispatch requests.
enum DispatchRequest : int32_t { kDispatchShowEditor = 0, kDispatchPlayback = 12 };
