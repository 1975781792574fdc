#include "tools/render/engine_render_target.h"

#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "state/state_stream.h"

namespace {

class ReadOnlyBytes final : public ByteStream {
 public:
  explicit ReadOnlyBytes(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  uint32_t Read(void* buffer, uint32_t count) override {
    const size_t n = std::min<size_t>(count, bytes_.size() - at_);
    if (n) std::memcpy(buffer, bytes_.data() + at_, n);
    at_ += n;
    return static_cast<uint32_t>(n);
  }
  void Write(const void*, uint32_t) override {}

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

}  // namespace

// The engine and the host it calls: what the render hears is passed on,
// everything else is answered quietly.
class EngineRenderTarget::Instance final : public PluginHost {
 public:
  Instance() : engine(this, 1) {}

  intptr_t PLUG_CALL HostDispatch(int32_t, int32_t, int32_t, intptr_t) override { return 0; }
  void PLUG_CALL NotifyParamChanged(int32_t, int32_t, int32_t) override {}
  void PLUG_CALL ShowHint(int32_t, const char*) override {}
  void PLUG_CALL EndVoice(int32_t tag, int32_t) override {
    if (listener) listener->OnVoiceEnded(tag);
  }
  int32_t PLUG_CALL QueryVoice(int32_t tag, int32_t, int32_t, int32_t) override {
    return listener ? listener->OnColour(tag) : 0;
  }
  void PLUG_CALL SendMidi(int32_t, uint32_t message) override {
    if (listener) listener->OnMidi(message);
  }
  int32_t PLUG_CALL PromptText(int32_t, int32_t, const char*, char*, int32_t*) override {
    return 0;
  }

  RenderListener* listener = nullptr;
  ArticulationEngine engine;
};

EngineRenderTarget::EngineRenderTarget(const std::vector<uint8_t>& state)
    : instance_(std::make_unique<Instance>()) {
  instance_->engine.InitState();
  ReadOnlyBytes stream(state);
  LoadState(instance_->engine.model, stream, nullptr);
}

EngineRenderTarget::~EngineRenderTarget() = default;

void EngineRenderTarget::Attach(RenderListener* listener) { instance_->listener = listener; }
void EngineRenderTarget::Playback(bool playing) { instance_->engine.PlaybackChanged(playing); }
void EngineRenderTarget::ProcessParam(int32_t index, int32_t value, int32_t flags) {
  instance_->engine.ProcessParam(index, value, flags);
}
void EngineRenderTarget::ProcessEvent(int32_t event, int32_t value, int32_t flags) {
  instance_->engine.ProcessEvent(event, value, flags);
}
intptr_t EngineRenderTarget::TriggerVoice(const void* params, int32_t tag) {
  return instance_->engine.TriggerVoice(params, tag);
}
void EngineRenderTarget::ReleaseVoice(intptr_t handle) { instance_->engine.ReleaseVoice(handle); }
void EngineRenderTarget::KillVoice(intptr_t handle) { instance_->engine.KillVoice(handle); }
