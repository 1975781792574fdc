// The render's view of a plug-in instance loaded from the DLL: each
// operation goes through the raw slots of its table, and the plug-in's calls
// to our host are handed on to the render.
#pragma once

#include <string>

#include "tools/plughost/plug_host.h"
#include "tools/plughost/plugin_instance.h"
#include "tools/render/render_session.h"
#include "tools/render/render_target.h"

class DllRenderTarget final : public RenderTarget, private HostListener {
 public:
  // `host` must be the host the instance was created with.
  DllRenderTarget(const PluginInstance& instance, PlugHost& host)
      : plugin_(instance.plugin()), host_(host) {}

  void Attach(RenderListener* listener) override {
    listener_ = listener;
    host_.SetListener(listener ? this : nullptr);
  }
  void Playback(bool playing) override { plugin_.Dispatch(kDispatchPlayback, 0, playing ? 1 : 0); }
  void ProcessParam(int32_t index, int32_t value, int32_t flags) override {
    plugin_.ProcessParam(index, value, flags);
  }
  void ProcessEvent(int32_t event, int32_t value, int32_t flags) override {
    plugin_.ProcessEvent(event, value, flags);
  }
  intptr_t TriggerVoice(const void* params, int32_t tag) override {
    return plugin_.TriggerVoice(params, tag);
  }
  void ReleaseVoice(intptr_t handle) override { plugin_.ReleaseVoice(handle); }
  void KillVoice(intptr_t handle) override { plugin_.KillVoice(handle); }
  std::string Name() const override {
    const int32_t* words = plugin_.descriptorWords();
    const char* name = words ? reinterpret_cast<const char*>(words[1]) : nullptr;
    return name ? name : "plug-in";
  }

 private:
  static constexpr int32_t kDispatchPlayback = 12;

  void OnMidi(uint32_t message) override { listener_->OnMidi(message); }
  void OnVoiceEnded(int32_t tag) override { listener_->OnVoiceEnded(tag); }
  int32_t OnColour(int32_t tag) override { return listener_->OnColour(tag); }

  const RawPlugin& plugin_;
  PlugHost& host_;
  RenderListener* listener_ = nullptr;
};

// Renders through a loaded instance; a long render shows its progress on
// the terminal, headed `doing` ("rendering").
void RenderThroughDll(const PluginInstance& instance, PlugHost& host, const VelocityLevels& levels,
                      RenderRequest request, const char* doing, std::vector<uint8_t>& output,
                      RenderSummary& summary);
