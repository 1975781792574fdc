// The plug-in object: the host's operations, checked and forwarded to the
// platform-neutral engine, the state stream and the editor. The host's
// slots are the guarded trampolines of TCPPFruityPlug; this class gives
// their operations.
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

  ArticulationEngine& engine() { return engine_; }
  EditorWindow& editor() { return editor_; }
  // The instance's map loads, saves and step back (maps/map_loader.h); the
  // host's state operations go through it as well.
  MapLoader& mapLoader() { return mapLoader_; }

  // Live plug-in objects in this process.
  static int LiveInstances();

 protected:
  void OnDestroy() override;
  intptr_t OnDispatch(int32_t request, int32_t index, intptr_t value) override;
  void OnSaveOrLoadState(IStream* stream, int32_t save) override;
  void StateRefused(bool save, host_boundary::Refusal why) noexcept override;
  void OnGetName(int32_t section, int32_t index, int32_t value, char* text) override;
  int32_t OnProcessEvent(int32_t event, int32_t value, int32_t flags) override;
  int32_t OnProcessParam(int32_t index, int32_t value, int32_t flags) override;
  intptr_t OnTriggerVoice(const void* voiceParams, int32_t hostVoiceTag) override;
  void OnReleaseVoice(intptr_t handle) override;
  void OnKillVoice(intptr_t handle) override;
  int32_t OnRenderVoice(intptr_t handle, float* buffer, int32_t* length) override;

 private:
  // This object's count among the live instances: the first creates the
  // shared editor resources, the last releases them. A member, so that a
  // construction that throws half-way gives its count back.
  class LiveInstance {
   public:
    explicit LiveInstance(HINSTANCE module);
    ~LiveInstance();
    LiveInstance(const LiveInstance&) = delete;
    LiveInstance& operator=(const LiveInstance&) = delete;
  };

  HINSTANCE module_;
  LiveInstance live_;
  ArticulationEngine engine_;
  EditorWindow editor_;
  MapLoader mapLoader_;
  // What the panel's map menu, drops and pastes go to.
  PanelMapLoading panelMaps_;
};

// Dispatch requests.
enum DispatchRequest : int32_t { kDispatchShowEditor = 0, kDispatchPlayback = 12 };
