// The platform-neutral core of the plug-in: the data model, the MIDI output,
// voices and articulation switching, parameters and host events. It speaks
// to the host only through PluginHost and to the editor only through
// EditorRepaint, so it builds and runs natively without Windows.
#pragma once

#include <cstdint>

#include "engine/data_model.h"
#include "engine/editor_repaint.h"
#include "engine/held_action_notes.h"
#include "engine/midi_output.h"
#include "engine/realtime.h"
#include "engine/voice_table.h"
#include "plugin/fruity_interface.h"

// Flags of ProcessParam.
enum ParamFlags : int32_t {
  kParamUpdateValue = 0x01,
  kParamShowHint = 0x04,
  kParamUpdateControl = 0x10,
  kParamRescale = 0x20,
};

// Events of ProcessEvent.
enum HostEvent : int32_t { kEventPan = 2, kEventVolume = 3 };

// Sections of GetName.
enum NameSection : int32_t { kNameParameter = 0, kNameValueText = 1, kNameColour = 8 };

constexpr int32_t kParameterCount = 127;

class ArticulationEngine {
 public:
  ArticulationEngine(PluginHost* host, int32_t hostTag);
  ArticulationEngine(const ArticulationEngine&) = delete;
  ArticulationEngine& operator=(const ArticulationEngine&) = delete;

  // The editor's repaint requests go here; null until an editor exists.
  void SetRepaint(EditorRepaint* repaint) { repaint_ = repaint; }

  // Construction-time initialisation: defaults, empty voice table, view
  // state, then one full controller broadcast.
  void InitState();

  // Playback started (true): broadcast all controllers; stopped: end voices.
  void PlaybackChanged(bool playing);

  // Reports every voice still in the table to the host as ended.
  void EndAllVoices();

  // [any thread] Sends the note-offs of notes that slot actions hold down
  // (at a playback stop and at destruction).
  void ReleaseHeldActionNotes() ARTSW_REALTIME;

  // [audio thread] Voice operations. A handle is a record's address, or 0.
  // These allocate nothing, lock nothing and cost the same whatever the
  // number of live voices.
  //
  // Starts a voice: colour query, articulation switch, note-on. Answers 0,
  // doing nothing at all, when the table is full, the parameters are null or
  // the pitch maps outside notes 0..127.
  intptr_t TriggerVoice(const void* voiceParams, int32_t hostVoiceTag) ARTSW_REALTIME;
  // Note-off unless another unreleased record holds the note on the same
  // channel and port; then EndVoice. Handles this engine did not hand out,
  // or has freed, are ignored.
  void ReleaseVoice(intptr_t handle) ARTSW_REALTIME;
  // Note-off unless released; frees the record.
  void KillVoice(intptr_t handle) ARTSW_REALTIME;
  // Writes *length stereo frames of silence; returns 0.
  int32_t RenderVoice(intptr_t handle, float* buffer, const int32_t* length) ARTSW_REALTIME;

  // [audio or editor thread] Parameters and host events.
  //
  // Returns the value given, rescaled under kParamRescale. A live
  // controller stores it clamped to 0..127 and sends it.
  int32_t ProcessParam(int32_t index, int32_t value, int32_t flags) ARTSW_REALTIME;
  // Pan (2) and volume (3) from the host, sent as CC 10 and CC 7. Returns 0.
  int32_t ProcessEvent(int32_t event, int32_t value, int32_t flags) ARTSW_REALTIME;
  // Shows value * 100 / maximum followed by "%" through the host's hint,
  // saturated to the 32-bit range.
  void ShowPercentHint(int32_t value, int32_t maximum) ARTSW_REALTIME;

  // [main thread] Parameter names (section 0), value texts (1) and colour
  // names (8), NUL-terminated; other sections write nothing.
  void GetName(int32_t section, int32_t index, int32_t value, char* text) const;

  DataModel model;

  const MidiOutput& output() const { return output_; }
  PluginHost* host() const { return host_; }
  int32_t hostTag() const { return hostTag_; }
  const VoiceTable& voices() const { return voices_; }

 private:
  void SwitchArticulation(int32_t slot, bool newActionSlot,
                          const SlotPlayback& additions) ARTSW_REALTIME;
  // Rewrites a record's message into its note-off and sends it on each of
  // the given channels of its note-on, at the note-on's port.
  void SendNoteOffs(VoiceRecord* record, uint16_t channels) ARTSW_REALTIME;

  void RequestRepaint(bool gridOnly) const ARTSW_REALTIME {
    if (repaint_) repaint_->InvalidateEditor(gridOnly);
  }

  PluginHost* host_;
  int32_t hostTag_;
  EditorRepaint* repaint_ = nullptr;
  MidiOutput output_;
  VoiceTable voices_;
  HeldActionNotes heldActionNotes_;
};
