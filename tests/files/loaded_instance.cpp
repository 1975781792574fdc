#include "tests/files/loaded_instance.h"

#include "engine/engine.h"
#include "maps/map_loader.h"
#include "state/memory_byte_stream.h"
#include "tests/support/engine_under_test.h"

struct LoadedInstance::Core {
  RecordingHost host;
  ArticulationEngine engine{&host, 7};
  MapLoader loader{engine.model, nullptr};
  Core() { engine.InitState(); }
};

LoadedInstance::LoadedInstance() : core_(std::make_unique<Core>()) { core_->host.ClearRecords(); }
LoadedInstance::~LoadedInstance() = default;

bool LoadedInstance::Load(const MapOffer& offer, MapPick pick, MapLoadReport& report) {
  return core_->loader.Load(offer, pick, report);
}
bool LoadedInstance::LoadFile(const std::string& name, const std::vector<uint8_t>& bytes,
                              MapLoadReport& report) {
  return core_->loader.LoadFile(name, bytes, report);
}
bool LoadedInstance::CanUndo() const { return core_->loader.CanUndo(); }
bool LoadedInstance::Undo(MapLoadReport& report) { return core_->loader.UndoLoad(report); }
bool LoadedInstance::MapJson(std::string& text, MapLoadReport& report) {
  return core_->loader.CurrentMapJson(text, report);
}
bool LoadedInstance::MapText(const std::string& outName, std::string& text, MapLoadReport& report) {
  return core_->loader.CurrentMapText(outName, text, report);
}

std::vector<uint8_t> LoadedInstance::Save() {
  MemoryByteStream out;
  core_->loader.SaveHostState(out);
  return out.bytes;
}
void LoadedInstance::HostLoad(const std::vector<uint8_t>& bytes) {
  MemoryByteStream in(bytes);
  core_->loader.LoadHostState(in);
}
bool LoadedInstance::Fresh() const { return core_->engine.model.freshInstance != 0; }

intptr_t LoadedInstance::NoteOn(int key, int colour) {
  core_->host.colourQueue.push_back(colour);
  return core_->engine.TriggerVoice(VoiceParams(key).bytes, 1);
}
void LoadedInstance::Release(intptr_t voice) { core_->engine.ReleaseVoice(voice); }
void LoadedInstance::Kill(intptr_t voice) { core_->engine.KillVoice(voice); }
std::vector<uint32_t> LoadedInstance::TakeMidi() {
  std::vector<uint32_t> midi = std::move(core_->host.midi);
  core_->host.ClearRecords();
  return midi;
}
