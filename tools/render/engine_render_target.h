// The render's view of the plug-in's own engine, linked in: the same
// operations the DLL's table leads to, without Windows. Lets the native
// tests and fuzz targets render exactly as plughost does through the DLL.
// The engine's types stay behind this file (the host side keeps its own
// model of the settings, maps/).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/render/render_target.h"

class EngineRenderTarget final : public RenderTarget {
 public:
  // A new instance (with its controller broadcast at construction, heard by
  // nobody) that then loads `state`, as a host restores a project.
  explicit EngineRenderTarget(const std::vector<uint8_t>& state);
  ~EngineRenderTarget() override;

  void Attach(RenderListener* listener) override;
  void Playback(bool playing) override;
  void ProcessParam(int32_t index, int32_t value, int32_t flags) override;
  void ProcessEvent(int32_t event, int32_t value, int32_t flags) override;
  intptr_t TriggerVoice(const void* params, int32_t tag) override;
  void ReleaseVoice(intptr_t handle) override;
  void KillVoice(intptr_t handle) override;
  std::string Name() const override { return "Quindle Velmora"; }

 private:
  class Instance;
  std::unique_ptr<Instance> instance_;
};
