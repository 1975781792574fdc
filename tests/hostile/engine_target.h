// The plug-in's platform-neutral core as a hostile-host target: the engine,
// the state stream over memory and the editor's edits, exactly as the
// plug-in object forwards the table's operations to them.
#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "editor/panel_editing.h"
#include "engine/engine.h"
#include "state/state_stream.h"
#include "tests/hostile/hostile_driver.h"
#include "tests/hostile/hostile_host.h"
#include "tests/support/memory_stream.h"

namespace hostile {

// What the user can do on the panel, drawn from three random words: drags,
// typed numbers and names, slot and page choices, the option switches and
// the controllers. Every value goes through the editing functions the
// window uses, so it stays within what a user can enter.
inline void ApplyEditorEdit(ArticulationEngine& engine, uint32_t kind, uint32_t a, uint32_t b) {
  DataModel& model = engine.model;
  if (kind % 10 >= 8) {
    // A slot's additions, as the editor's text prompt sets them.
    model.additions.Set(static_cast<int>(a % kSlotCount),
                        detail::RandomAdditions(uint64_t(a) << 32 | b));
    return;
  }
  switch (kind % 8) {
    case 0: {
      const int32_t target = static_cast<int32_t>(a % 6);  // slot fields, port, channel
      const float vertical = static_cast<float>(static_cast<int32_t>(b % 2000) - 1000);
      StoreTargetValue(model, target,
                       DragValue(target, TargetValue(model, target), vertical, 0.0f));
      break;
    }
    case 1: {
      char text[32];
      std::snprintf(text, sizeof text, "%d", static_cast<int>(b % 3 == 0 ? b : b % 300) - 20);
      StorePromptNumber(model, static_cast<int32_t>(a % 6), ParsePromptNumber(text, sizeof text));
      break;
    }
    case 2: {
      char typed[kPromptBufferSize];
      for (size_t i = 0; i < sizeof typed; ++i) {
        typed[i] = static_cast<char>(i < b % 300 ? 'A' + (a + i) % 60 : 0);
      }
      model.bank.name.Set(ShownSlot(model.selectedSlot), PromptName(typed, sizeof typed));
      break;
    }
    case 3:
      model.selectedSlot = static_cast<int32_t>(a % kSlotCount);
      break;
    case 4:
      model.pageIndex = static_cast<int32_t>(a % 3);
      break;
    case 5:
      if (a & 1) {
        model.output.ccGhosting = model.output.ccGhosting == 0 ? 1 : 0;
      } else {
        model.output.preservePortChannel = model.output.preservePortChannel == 0 ? 1 : 0;
      }
      break;
    case 6:
      engine.ProcessParam(controllerCcNumbers[a % kControllerCount] - 1,
                          static_cast<int32_t>(b % 128), kParamUpdateValue | kParamUpdateControl);
      break;
    default: {
      // What a paint and a prompt read.
      char buffer[kPromptBufferSize];
      FillNamePrompt(buffer, model.bank.name[ShownSlot(model.selectedSlot)]);
      FillNumberPrompt(buffer, PromptFieldValue(model, static_cast<int32_t>(a % 6)));
      break;
    }
  }
}

class EngineTarget {
 public:
  void Reset(HostileHost& host) {
    engine_ = std::make_unique<ArticulationEngine>(&host, 0x5EED);
    engine_->InitState();
  }
  void Close() {
    if (engine_) engine_->EndAllVoices();
    engine_.reset();
  }

  intptr_t Trigger(const void* params, int32_t tag) { return engine_->TriggerVoice(params, tag); }
  void Release(intptr_t handle) { engine_->ReleaseVoice(handle); }
  void Kill(intptr_t handle) { engine_->KillVoice(handle); }
  int32_t Render(intptr_t handle, float* buffer, int32_t* length) {
    return engine_->RenderVoice(handle, buffer, length);
  }
  int32_t VoiceEvent(intptr_t, int32_t, int32_t, int32_t) { return 0; }
  int32_t Param(int32_t index, int32_t value, int32_t flags) {
    return engine_->ProcessParam(index, value, flags);
  }
  int32_t Event(int32_t event, int32_t value, int32_t flags) {
    return engine_->ProcessEvent(event, value, flags);
  }
  void GetName(int32_t section, int32_t index, int32_t value, char* text) {
    engine_->GetName(section, index, value, text);
  }
  std::vector<uint8_t> Save() {
    MemoryStream out;
    SaveState(engine_->model, out);
    return out.bytes;
  }
  void Load(const std::vector<uint8_t>& bytes) {
    MemoryStream in(bytes);
    LoadState(engine_->model, in, nullptr);
  }
  void Dispatch(int32_t request, int32_t, intptr_t value) {
    if (request == 12) engine_->PlaybackChanged(value != 0);
  }
  void Idle() {}
  void Edit(uint32_t kind, uint32_t a, uint32_t b) { ApplyEditorEdit(*engine_, kind, a, b); }
  int LiveCount() const { return engine_->voices().LiveCount(); }

  size_t channelChecks = 0;  // notes whose channels the driver checked

  // What the channel checks read; the DLL's target has none of this.
  OutputView Output() const {
    const DataModel& m = engine_->model;
    OutputView view;
    view.port = static_cast<uint8_t>(m.output.port);
    view.channel = static_cast<uint8_t>(m.output.channel & 0x0F);
    view.ghosting = m.output.ccGhosting != 0;
    view.hold = m.controllers.value[kControllerCount - 1];
    // CCs a slot's fields or actions send: those are articulation, not the
    // performance controllers the channels must agree on.
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (m.bank.modwheel[slot] != kUnset) view.articulation.set(1);
      const SlotAdditions a = m.additions.Get(slot);
      for (int i = 0; i < a.actionCount; ++i) {
        if (a.actions[i].kind == ActionKind::kControlChange)
          view.articulation.set(a.actions[i].number & 127);
      }
    }
    return view;
  }
  uint16_t NoteChannels(intptr_t handle) const {
    const VoiceRecord* record = engine_->voices().Find(handle);
    return record ? record->channels : 0;
  }

  ArticulationEngine& engine() { return *engine_; }

 private:
  std::unique_ptr<ArticulationEngine> engine_;
};

}  // namespace hostile
