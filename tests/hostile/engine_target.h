// The plug-in's platform-neutral core as a hostile-host target: the engine,
// the state stream over memory and the editor's edits, exactly as the
// plug-in object forwards the table's operations to them.
#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "editor/panel_editing.h"
#include "engine/engine.h"
#include "maps/map_loader.h"
#include "state/state_stream.h"
#include "tests/hostile/map_loads.h"
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
    loader_.reset();
    engine_ = std::make_unique<ArticulationEngine>(&host, 0x5EED);
    engine_->InitState();
    loader_ = std::make_unique<MapLoader>(engine_->model, nullptr);
  }
  void Close() {
    if (engine_) engine_->EndAllVoices();
    loader_.reset();
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
  // The host's state operations go through the loader, as the plug-in's do.
  std::vector<uint8_t> Save() {
    MemoryStream out;
    loader_->SaveHostState(out);
    return out.bytes;
  }
  void Load(const std::vector<uint8_t>& bytes) {
    MemoryStream in(bytes);
    loader_->LoadHostState(in);
  }

  std::string MapLoad(uint32_t a, uint32_t b, uint32_t c) {
    const std::vector<uint8_t> before = Save();
    const auto unchanged = [&](const char* what) {
      return Save() == before ? std::string() : std::string(what) + " changed the state";
    };
    MapLoadReport report;
    switch (DrawMapAction(a)) {
      case MapAction::kLoad: {
        const MapFileDraw file = DrawMapFile(b, c);
        MapOffer offer;
        MapPick pick;
        if (!MapLoader::Inspect(file.name, file.bytes, offer, report) ||
            !NthChoice(offer, file.choice, pick))
          return unchanged("a map file refused");
        if (!loader_->Load(offer, pick, report)) return unchanged("a map load refused");
        beforeLoad_ = before;
        return {};
      }
      case MapAction::kPaste: {
        std::string json;
        if (!loader_->CurrentMapJson(json, report)) return unchanged("a copy refused");
        if (!loader_->LoadFile("the clipboard", {json.begin(), json.end()}, report))
          return "the instance's own map does not paste back: " + report.summary;
        beforeLoad_ = before;
        return unchanged("the instance's own map pasted back");
      }
      case MapAction::kUndo: {
        const bool could = loader_->CanUndo();
        if (loader_->UndoLoad(report) != could) return "undo did other than CanUndo said";
        if (could && Save() != beforeLoad_)
          return "undo did not bring back the state before the load";
        return could ? std::string() : unchanged("an undo without a load");
      }
      case MapAction::kSaveAs: {
        std::string text;
        loader_->CurrentMapText(std::string("map") + DrawSaveExtension(b), text, report);
        return unchanged("a save as a file");
      }
    }
    return {};
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
  std::unique_ptr<MapLoader> loader_;
  std::vector<uint8_t> beforeLoad_;
};

}  // namespace hostile
