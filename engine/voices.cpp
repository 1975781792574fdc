// Voices and the articulation switch: what a note sends, and when.
#include <cstring>

#include "engine/engine.h"
#include "engine/note_number.h"
#include "engine/velocity.h"
#include "engine/voice_params.h"

namespace {
constexpr int32_t kColourQuery = 2;
constexpr int32_t kVoiceEnded = 1;
constexpr uint8_t kKeyswitchVelocity = 127;
constexpr int32_t kUaccController = 32;
constexpr int32_t kModwheelController = 1;
}  // namespace

intptr_t ArticulationEngine::TriggerVoice(const void* voiceParams, int32_t hostVoiceTag) {
  if (voiceParams == nullptr) return 0;
  // The pitch is checked before a record is taken, so a note that cannot be
  // sent leaves no trace: no colour query, no slot change, no repaint.
  const int32_t note =
      NoteNumberForPitch(ReadVoiceParamsFloat(voiceParams, kVoiceParamsPitchOffset));
  if (note == kNoNote) return 0;

  VoiceRecord* record = voices_.Allocate(hostVoiceTag);
  if (record == nullptr) return 0;

  const int32_t colour = host_->QueryVoice(record->hostVoiceTag, kColourQuery, 0, 0);
  // The host promises colours 0..15. Any other answer selects no
  // articulation: the note plays with whatever is in force, and currentSlot
  // and the SentCache stay as they are, so the bank is never indexed out of
  // range and an unexpected colour never switches the instrument.
  const bool knownColour = colour >= 0 && colour < kSlotCount;
  if (knownColour) model.currentSlot = colour;
  RequestRepaint(true);
  if (knownColour) SwitchArticulation(colour);

  const uint8_t status = midi::kNoteOn | output_.Channel();
  const uint8_t velocity =
      VelocityForLevel(ReadVoiceParamsFloat(voiceParams, kVoiceParamsLevelOffset));
  voices_.StartNote(record, midi::Pack(status, note, velocity, output_.Port()));
  output_.EmitMidi(record->message);
  return VoiceTable::Handle(record);
}

void ArticulationEngine::SwitchArticulation(int32_t slot) {
  const uint8_t port = output_.Port();
  const uint8_t channel = output_.Channel();
  SentCache& sent = model.sent;

  // -1 leaves the cache entry alone: the previous slot's value stays in
  // force and is not sent again.
  const int32_t keyswitch = model.bank.keyswitch[slot];
  if (keyswitch != kUnset && keyswitch != sent.lastKeyswitch) {
    sent.lastKeyswitch = keyswitch;
    output_.SendNote(port, channel, false, keyswitch, kKeyswitchVelocity);
    output_.SendNote(port, channel, true, keyswitch, 0);
  }
  const int32_t uacc = model.bank.uacc[slot];
  if (uacc != kUnset && uacc != sent.lastUacc) {
    sent.lastUacc = uacc;
    output_.SendControlChange(port, channel, kUaccController, uacc);
  }
  const int32_t modwheel = model.bank.modwheel[slot];
  if (modwheel != kUnset && modwheel != sent.lastModwheel) {
    sent.lastModwheel = modwheel;
    output_.SendControlChange(port, channel, kModwheelController, modwheel);
  }
}

void ArticulationEngine::SendNoteOff(VoiceRecord* record) {
  // The note-on's own channel and port: an edit or a load that moved the
  // output since then must not leave the note sounding where it started.
  const MidiMessage m = record->message;
  record->message = midi::Pack(midi::kNoteOff | (midi::Status(m) & 0x0F), midi::Data1(m), 0,
                               midi::Port(m));
  output_.EmitMidi(record->message);
}

void ArticulationEngine::ReleaseVoice(intptr_t handle) {
  VoiceRecord* record = voices_.Find(handle);
  if (record == nullptr) return;
  // Another unreleased voice on the same note, channel and port keeps it
  // sounding; its own release sends the note-off. A released voice holds
  // nothing back, so two overlapping voices of one key can never both wait
  // for each other.
  if (voices_.Release(record)) SendNoteOff(record);
  host_->EndVoice(record->hostVoiceTag, kVoiceEnded);
}

void ArticulationEngine::KillVoice(intptr_t handle) {
  VoiceRecord* record = voices_.Find(handle);
  if (record == nullptr) return;
  // A kill without a release always ends the note, shared or not.
  if (record->released == 0) SendNoteOff(record);
  voices_.Free(record);
}

int32_t ArticulationEngine::RenderVoice(intptr_t, float* buffer, const int32_t* length) {
  if (buffer == nullptr || length == nullptr || *length <= 0) return 0;
  std::memset(buffer, 0, sizeof(float) * 2 * static_cast<size_t>(*length));
  return 0;
}
