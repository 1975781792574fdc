#include "engine/engine.h"

ArticulationEngine::ArticulationEngine(PluginHost* host, int32_t hostTag)
    : host_(host), hostTag_(hostTag), output_(host, hostTag, model) {}

void ArticulationEngine::InitState() {
  model.ResetToDefaults();
  voices_.Clear();
  model.selectedSlot = 0;
  model.pageIndex = kControllerPage;
  model.output.preservePortChannel = 0;
  output_.BroadcastControllers(kBroadcastAll, -1);
}

void ArticulationEngine::PlaybackChanged(bool playing) {
  if (playing) {
    output_.BroadcastControllers(kBroadcastAll, -1);
  } else {
    // The notes slot actions held are up now, so the next note of any slot
    // sends its actions again.
    ReleaseHeldActionNotes();
    model.sent.lastActionSlot = kNothingSent;
    output_.LiftStaleSustain();
    EndAllVoices();
  }
}

void ArticulationEngine::EndAllVoices() {
  voices_.ForEachLive(
      [this](const VoiceRecord& record) { host_->EndVoice(record.hostVoiceTag, 1); });
}
